#include "net/sockerrors.h"

#include <cerrno>

namespace sockerrors {

namespace {

struct Row
{
    int number;
    const char *name;
    // The errno values reported as this number; 0 where none is.
    int native[2];
};

// Sorted by number. EAGAIN and EWOULDBLOCK may be one value or two; writing
// after either side shut the connection down (EPIPE) reads as a shutdown.
constexpr Row Table[] = {
    {10004, "WSAEINTR", {EINTR, 0}},
    {10009, "WSAEBADF", {EBADF, 0}},
    {10013, "WSAEACCES", {EACCES, 0}},
    {10014, "WSAEFAULT", {EFAULT, 0}},
    {10022, "WSAEINVAL", {EINVAL, 0}},
    {10024, "WSAEMFILE", {EMFILE, 0}},
    {10035, "WSAEWOULDBLOCK", {EWOULDBLOCK, EAGAIN}},
    {10036, "WSAEINPROGRESS", {EINPROGRESS, 0}},
    {10037, "WSAEALREADY", {EALREADY, 0}},
    {10038, "WSAENOTSOCK", {ENOTSOCK, 0}},
    {10039, "WSAEDESTADDRREQ", {EDESTADDRREQ, 0}},
    {10040, "WSAEMSGSIZE", {EMSGSIZE, 0}},
    {10041, "WSAEPROTOTYPE", {EPROTOTYPE, 0}},
    {10042, "WSAENOPROTOOPT", {ENOPROTOOPT, 0}},
    {10043, "WSAEPROTONOSUPPORT", {EPROTONOSUPPORT, 0}},
    {10044, "WSAESOCKTNOSUPPORT", {ESOCKTNOSUPPORT, 0}},
    {10045, "WSAEOPNOTSUPP", {EOPNOTSUPP, 0}},
    {10046, "WSAEPFNOSUPPORT", {EPFNOSUPPORT, 0}},
    {10047, "WSAEAFNOSUPPORT", {EAFNOSUPPORT, 0}},
    {10048, "WSAEADDRINUSE", {EADDRINUSE, 0}},
    {10049, "WSAEADDRNOTAVAIL", {EADDRNOTAVAIL, 0}},
    {10050, "WSAENETDOWN", {ENETDOWN, 0}},
    {10051, "WSAENETUNREACH", {ENETUNREACH, 0}},
    {10052, "WSAENETRESET", {ENETRESET, 0}},
    {10053, "WSAECONNABORTED", {ECONNABORTED, 0}},
    {10054, "WSAECONNRESET", {ECONNRESET, 0}},
    {10055, "WSAENOBUFS", {ENOBUFS, 0}},
    {10056, "WSAEISCONN", {EISCONN, 0}},
    {10057, "WSAENOTCONN", {ENOTCONN, 0}},
    {10058, "WSAESHUTDOWN", {ESHUTDOWN, EPIPE}},
    {10059, "WSAETOOMANYREFS", {ETOOMANYREFS, 0}},
    {10060, "WSAETIMEDOUT", {ETIMEDOUT, 0}},
    {10061, "WSAECONNREFUSED", {ECONNREFUSED, 0}},
    {10062, "WSAELOOP", {ELOOP, 0}},
    {10063, "WSAENAMETOOLONG", {ENAMETOOLONG, 0}},
    {10064, "WSAEHOSTDOWN", {EHOSTDOWN, 0}},
    {10065, "WSAEHOSTUNREACH", {EHOSTUNREACH, 0}},
    {10066, "WSAENOTEMPTY", {ENOTEMPTY, 0}},
    {10067, "WSAEPROCLIM", {0, 0}},
    {10068, "WSAEUSERS", {EUSERS, 0}},
    {10069, "WSAEDQUOT", {EDQUOT, 0}},
    {10070, "WSAESTALE", {ESTALE, 0}},
    {10071, "WSAEREMOTE", {EREMOTE, 0}},
    {10091, "WSASYSNOTREADY", {0, 0}},
    {10092, "WSAVERNOTSUPPORTED", {0, 0}},
    {10093, "WSANOTINITIALISED", {0, 0}},
    {10101, "WSAEDISCON", {0, 0}},
    {11001, "WSAHOST_NOT_FOUND", {0, 0}},
    {11002, "WSATRY_AGAIN", {0, 0}},
    {11003, "WSANO_RECOVERY", {0, 0}},
    {11004, "WSANO_DATA", {0, 0}},
};

} // namespace

QString name(int number)
{
    for (const Row &row : Table)
        if (row.number == number) return QString::fromLatin1(row.name);
    return QStringLiteral("UNKNOWN ERROR");
}

int fromErrno(int native)
{
    if (native == 0) return 0;
    for (const Row &row : Table)
        if (native == row.native[0] || native == row.native[1]) return row.number;
    return native < 35 ? 10000 + native : 11000 + native;
}

} // namespace sockerrors
