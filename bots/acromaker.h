// How a computer player writes and judges answers. A phrase shape is drawn
// from the phrase model under the round's letters (a noun phrase, a short
// sentence, a command, a headline, with small words where people put them),
// its content words come mostly from the category's field and are put in the
// form the shape asks for ("Bacon Fixes Sundays"), and of a few drafts the one
// this player likes best is kept. Every answer passes the same check a
// person's client applies. Seeded, so two players (or two rounds) write
// different answers and a test can repeat a run.
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <random>

#include "bots/lexicon.h"

enum class Difficulty
{
    Easy, // plainer words, fewer drafts, less on topic, now and then no answer
    Normal,
    Hard // on-topic, familiar words, many drafts to pick the best from
};

class AcroMaker
{
public:
    AcroMaker(const Lexicon &lexicon, quint32 seed, Difficulty difficulty = Difficulty::Normal,
              bool family = true);

    // An answer for the letters (one per word, in order) that the client's
    // check accepts, with the family filter applied when `family` is on and
    // nothing it would hide, and not one this player wrote before in the game.
    // Empty when the letters allow no answer (letters that are not A to Z, or
    // more than MaxLetters of them).
    QString make(const QString &letters, const QString &category);

    // This player's taste for an answer: valid for the letters, on-topic,
    // reading as a phrase, in familiar words. No randomness; higher is better.
    double rate(const QString &answer, const QString &letters, const QString &category) const;

    // The answer this player votes for among `answers` (an index), by its
    // taste with a little of its mood; -1 when there is none.
    int choose(const QStringList &answers, const QString &letters, const QString &category);

    // Starts reading the category's field on a worker thread ahead of the
    // round, so writing costs no lexicon reads and the caller's thread (a
    // GUI's, in the desktop program) does not wait for them.
    void prepare(const QString &category);
    // A new game: earlier answers may come again.
    void newGame();

    // A category for this player to choose: from the fixed list only when
    // `fixedOnly`, else from the built-in list or now and then one of its own.
    QString pickCategory(bool fixedOnly);

    std::mt19937 &random() { return rng; }
    Difficulty difficulty() const { return level; }

    static constexpr int MaxLetters = 64;
    static constexpr int GeneralThemes = 3;

private:
    QString draft(const std::vector<int> &letters, const Lexicon::Related *field);
    QString theme(int k) const;
    int pickLemma(int pos, int letter, const Lexicon::Related *field);
    bool acceptable(const QString &answer, const QString &letters) const;
    double taste(const QList<QByteArray> &words, const Lexicon::Related *field) const;

    const Lexicon &lexicon;
    std::mt19937 rng;
    Difficulty level;
    bool family;
    int caseStyle;              // 0 Title Case, 1 first word capitalised, 2 lower case
    QSet<QString> written;      // this game's answers, lower case
    QSet<QByteArray> usedWords; // this game's content words, lower case
};
