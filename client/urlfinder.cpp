#include "client/urlfinder.h"

namespace {

// Tested in this order; the first found anywhere in the word wins.
const char *const Prefixes[] = {"http://",   "ftp://", "file://", "gopher://",
                                "telnet://", "news:",  "mailto:", "www."};

bool isBreak(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator ||
           c == QChar::LineSeparator || c == QChar::Nbsp;
}

bool endsAddress(QChar c)
{
    return c == u'/' || c.isLetterOrNumber();
}

} // namespace

FoundAddress findAddressAt(const QString &text, int position)
{
    FoundAddress none;
    if (position < 0 || position >= text.size() || isBreak(text[position])) return none;

    int start = position;
    while (start > 0 && !isBreak(text[start - 1]))
        --start;
    int end = position;
    while (end < text.size() && !isBreak(text[end]))
        ++end;
    // The word keeps the break that ends it, like the display's own word rule.
    const QString word = text.mid(start, end < text.size() ? end - start + 1 : end - start);

    // Lower case one character at a time, so positions in both texts agree.
    QString lower = word;
    for (QChar &c : lower)
        c = c.toLower();
    int p = -1;
    int prefixLength = 0;
    for (const char *prefix : Prefixes) {
        p = lower.indexOf(QLatin1String(prefix));
        if (p >= 0) {
            prefixLength = int(qstrlen(prefix));
            break;
        }
    }
    if (p < 0) return none;

    int e = word.indexOf(u'\n', p);
    if (e < 0) e = word.size() - 1;
    while (e >= p && !endsAddress(word[e]))
        --e;
    const QString address = word.mid(p, e - p + 1);
    if (address.size() <= prefixLength) return none;
    return FoundAddress{start + p, address};
}
