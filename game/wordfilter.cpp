#include "game/wordfilter.h"

namespace WordFilter {
namespace {

const QString Mask = QStringLiteral("****");

// One QChar to one QChar, so positions in the lower-case copy stay valid in the
// original; full case mapping can change a string's length.
QString lowerCopy(const QString &text)
{
    QString lower = text;
    for (QChar &c : lower)
        c = c.toLower();
    return lower;
}

} // namespace

const QStringList &entries()
{
    // The order matters: an entry that contains an earlier one never matches
    // whole ("fucks" loses only its "fuck"), while "gonads" goes before "gonad".
    static const QStringList list = {
        QStringLiteral("fuck"),         QStringLiteral("fucks"),   QStringLiteral("pussy"),
        QStringLiteral("pussies"),      QStringLiteral("fucker"),  QStringLiteral("fuckers"),
        QStringLiteral("fucking"),      QStringLiteral("fuckin"),  QStringLiteral("slut"),
        QStringLiteral("sluts"),        QStringLiteral("bitch"),   QStringLiteral("asshole"),
        QStringLiteral("motherfucker"), QStringLiteral("cunt"),    QStringLiteral("cunts"),
        QStringLiteral("dike"),         QStringLiteral("dikes"),   QStringLiteral("whore"),
        QStringLiteral("whores"),       QStringLiteral(" cock "),  QStringLiteral("cocks"),
        QStringLiteral("nigger"),       QStringLiteral("niggers"), QStringLiteral("queef"),
        QStringLiteral("queefs"),       QStringLiteral("nigga"),   QStringLiteral("niggas"),
        QStringLiteral("gonads"),       QStringLiteral("gonad"),   QStringLiteral("twat"),
        QStringLiteral("twats"),        QStringLiteral("penis"),   QStringLiteral("blow job"),
        QStringLiteral("doggie style"), QStringLiteral(" tit "),   QStringLiteral("tits"),
        QStringLiteral("titties")};
    return list;
}

QString filterWords(const QString &text)
{
    QString result = text;
    QString lower = lowerCopy(text);
    for (const QString &entry : entries()) {
        // Each pass removes letters and inserts only asterisks, so it ends.
        for (int p = lower.indexOf(entry); p >= 0; p = lower.indexOf(entry)) {
            result.replace(p, entry.size(), Mask);
            lower.replace(p, entry.size(), Mask);
        }
    }
    return result;
}

} // namespace WordFilter
