#include "game/checkacro.h"

#include "game/wordfilter.h"

namespace {

const QChar Blank = QLatin1Char(' ');
const QString TwoBlanks = QStringLiteral("  ");
const QString EndMark = QStringLiteral("@");

// Letters are compared without regard to case, A to Z only.
QChar lowerAZ(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ? QChar(c.unicode() + 32) : c;
}

void collapseBlanks(QString &text)
{
    for (int at = text.indexOf(TwoBlanks); at >= 0; at = text.indexOf(TwoBlanks))
        text.remove(at, 1);
}

void dropLeading(QString &word, QChar c)
{
    if (!word.isEmpty() && word.front() == c) word.remove(0, 1);
}

} // namespace

AcroCheck checkAcroText(const QString &text, const QString &letters, int letterCount, bool filterOn)
{
    AcroCheck check;
    if (text.isEmpty()) return check;
    QString work = text;
    int lead = 0;
    while (lead < work.size() && work.at(lead) == Blank)
        ++lead;
    work.remove(0, lead);
    if (work.isEmpty()) return check;
    check.checked = true;

    collapseBlanks(work);
    if (filterOn) {
        work = WordFilter::filterWords(work);
        check.filtered = work.contains(QStringLiteral("****"));
    }
    check.cleaned = work;

    // " @" marks the end; collapsing again only matters for a trailing blank.
    work += Blank;
    work += EndMark;
    collapseBlanks(work);

    int k = 0;
    bool error = false;
    while (work != EndMark) {
        ++k;
        const int blank = work.indexOf(Blank);
        QString word = work.left(blank);
        work.remove(0, blank + 1);
        if (!word.isEmpty()) {
            // In exactly this order, each at most once.
            dropLeading(word, QLatin1Char('"'));
            dropLeading(word, QLatin1Char('\''));
            dropLeading(word, QLatin1Char('*'));
            dropLeading(word, QLatin1Char('('));
            word.remove(QLatin1Char('.'));
        }
        if (k > letterCount || word.isEmpty() || k > letters.size() ||
            lowerAZ(letters.at(k - 1)) != lowerAZ(word.front()))
            error = true;
    }
    if (k != letterCount) error = true;
    check.accepted = !error;
    return check;
}
