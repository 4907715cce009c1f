// What a computer player says in the chat: a greeting when it joins, a word on
// the category it chose, a reaction when its answer wins or a round was close.
// Now and then, not every time; never more than one line a round; never a
// line the family filter would touch; nothing at all when quiet. The lines
// come from the project's own list (bots/corpus/chat.txt, compiled in).
#pragma once

#include <QString>
#include <QStringList>
#include <random>

class BotChat
{
public:
    enum class Occasion
    {
        Greeting,
        Category, // it chose the round's category
        Won,      // its answer won the round
        Close,    // the round's top answers were a vote apart
        Count
    };

    BotChat(quint32 seed, bool quiet);

    // A line for the occasion, or an empty text when it says nothing this
    // time (by chance, because it spoke this round already, or because it is
    // quiet). `category` fills "{category}" and must itself pass the filter.
    QString line(Occasion occasion, const QString &category = QString());
    // A new round: it may speak once more.
    void newRound() { spoke = false; }
    void setQuiet(bool on) { quiet = on; }
    bool isQuiet() const { return quiet; }

    // Every line of an occasion as written (tests check them all).
    static const QStringList &lines(Occasion occasion);

private:
    std::mt19937 rng;
    bool quiet;
    bool spoke = false;
};
