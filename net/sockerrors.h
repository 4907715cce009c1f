// The Windows Sockets error numbers TSock words its reports with, on every
// platform: each number's name and the system error (errno) it stands for in
// the BSD build, in one table.
#pragma once

#include <QString>

namespace sockerrors {

// "WSAECONNREFUSED" for 10061; "UNKNOWN ERROR" for a number not in the table.
QString name(int number);

// The number for a BSD errno value. 0 stays 0; an errno the table does not
// list gets 10000 + errno below 35 (where the two numberings agree) and
// 11000 + errno above, a number that names no listed error rather than a
// wrong one.
int fromErrno(int native);

} // namespace sockerrors
