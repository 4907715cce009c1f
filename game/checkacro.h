// The answer check every client runs before an answer may leave: the words of
// the answer must begin, in order, with the round's letters.
#pragma once

#include <QString>

struct AcroCheck
{
    // False when there was nothing to check (an empty answer or only blanks);
    // the other fields are then unset.
    bool checked = false;
    // The answer as the player should now see it: leading blanks removed, runs
    // of blanks collapsed, filtered when the filter is on.
    QString cleaned;
    // The filtered answer holds "****".
    bool filtered = false;
    bool accepted = false;
};

// letters is the caption the letters are shown in; letterCount the round's
// number of letters. filterOn applies the family-room word filter first, so an
// answer with a listed word at the start of a word fails.
AcroCheck checkAcroText(const QString &text, const QString &letters, int letterCount,
                        bool filterOn);
