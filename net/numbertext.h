// Reading a number a person typed (command-line options): decimal digits
// only, no sign or blanks, and no more than `max`.
#pragma once

#include <QString>

inline bool toUnsigned(const QString &text, qulonglong max, qulonglong &out)
{
    if (text.isEmpty()) return false;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    bool ok = false;
    out = text.toULongLong(&ok);
    return ok && out <= max;
}
