// Finding a web address in the chat's text at a character position: the word
// under the point, if it holds one of the known prefixes, up to its last
// letter, digit or "/".
#pragma once

#include <QString>

struct FoundAddress
{
    int start = -1; // position of the address in the text
    QString address;
    bool isValid() const { return start >= 0; }
};

// `text` is the display's plain text (lines separated by "\n"), `position` the
// character under the point. Words end at blanks, tabs and line breaks.
FoundAddress findAddressAt(const QString &text, int position);
