// How a computer player writes and judges answers: phrases of real words whose
// parts of speech follow each other sensibly, leaning towards words near the
// round's category, always passing the same answer check a person's client
// applies. Seeded, so two players (or two rounds) write different answers
// and a test can repeat a run.
#pragma once

#include <QString>
#include <QStringList>
#include <random>

#include "bots/lexicon.h"

enum class Difficulty
{
    Easy, // looser word choice, fewer drafts
    Normal,
    Hard // familiar, on-topic words, more drafts to pick from
};

class AcroMaker
{
public:
    AcroMaker(const Lexicon &lexicon, quint32 seed, Difficulty difficulty = Difficulty::Normal,
              bool family = true);

    // An answer for the letters (one per word, in order) that the client's
    // check accepts, with the family filter applied when `family` is on and
    // nothing it would hide. Empty when the letters allow no answer (letters
    // that are not A to Z, or more than MaxLetters of them).
    QString make(const QString &letters, const QString &category);

    // This player's taste for an answer: valid, familiar, on-topic, not too
    // long. No randomness; higher is better.
    double rate(const QString &answer, const QString &letters, const QString &category) const;

    // A category for this player to choose: from the fixed list only when
    // `fixedOnly`, else from the built-in list or now and then one of its own.
    QString pickCategory(bool fixedOnly);

    std::mt19937 &random() { return rng; }
    Difficulty difficulty() const { return level; }

    static constexpr int MaxLetters = 64;

private:
    QString draft(const QString &letters, const Lexicon::Related *related);
    int pickWord(int pos, int letter, const Lexicon::Related *related);
    bool acceptable(const QString &answer, const QString &letters) const;

    const Lexicon &lexicon;
    std::mt19937 rng;
    Difficulty level;
    bool family;
    int caseStyle; // 0 Title Case, 1 first word capitalised, 2 lower case
};
