// Letters, categories and the bonus round.
#include "host/tserver.h"

#include "net/commands.h"

namespace {
// One entry per value of an 83-sided draw: vowels are rare, the common
// consonants have five chances each, and X never comes.
const char LetterTable[] = "AA"
                           "BBBBB"
                           "CCCCC"
                           "DDDDD"
                           "E"
                           "FFFFF"
                           "GGGGG"
                           "HHHHH"
                           "I"
                           "JJ"
                           "K"
                           "LLLLL"
                           "MMMMM"
                           "NNNNN"
                           "O"
                           "PPPPP"
                           "Q"
                           "RRRRR"
                           "SSSSS"
                           "TTTTT"
                           "U"
                           "V"
                           "WWWWW"
                           "Y"
                           "Z";
const int LetterDraws = sizeof(LetterTable) - 1;
static_assert(sizeof(LetterTable) - 1 == 83, "the letter draw has 83 values");

using facts::BonusSelectingTicks;
using facts::SelectingTicks;
const int FirstLetterCount = 3;
const char DefaultCategory[] = "General";
} // namespace

char TServer::convertletter()
{
    return LetterTable[random(LetterDraws)];
}

void TServer::getcat()
{
    for (int s = 1; s <= LastPlayer; ++s) {
        players[s].votes = 0;
        players[s].vote = 0;
        players[s].roundscore = 0;
        players[s].acro.clear();
    }
    speedplayer = 0;
    ++numletters;
    if (numletters > maxletters) numletters = FirstLetterCount;
    if (bonuspending && bonusenabled) {
        setbonusround();
        return;
    }
    sendall(cmd::host::cats(numletters));
    category.clear();
    startstage(Stage::Selecting, SelectingTicks);
}

void TServer::on(int slot, const cmd::toHost::Category &chosen)
{
    if (gamestate != Stage::Selecting || !chosen.slot.is(slot)) return;
    if (slot == nextplayer) category = cutText(chosen.category, MaxTextBytes);
}

void TServer::getletters()
{
    // Kept for a player who returns while answers are open.
    letters.clear();
    for (int i = 0; i < numletters; ++i)
        letters += convertletter();
    sendall(cmd::host::theletters(numletters, letters));
    startstage(Stage::Creating, createtime + 2);
}

void TServer::setbonusround()
{
    numletters = bonusletters;
    bonusenabled = false;
    inbonusround = true;
    for (int s = 1; s <= LastPlayer; ++s)
        players[s].bonusmark = false;

    QByteArray list;
    if (isteamgame) {
        // One bonus player per side: the best score, ties settled by a draw.
        for (int t = 1; t <= 2; ++t) {
            int candidate = 0;
            for (int s = 1; s <= LastPlayer; ++s)
                if (occupied(s) && players[s].team == t) candidate = s;
            for (int s = 1; s <= LastPlayer; ++s) {
                if (!occupied(s) || players[s].team != t) continue;
                if (players[s].score > players[candidate].score)
                    candidate = s;
                else if (players[s].score == players[candidate].score && random(10) >= 5)
                    candidate = s;
            }
            players[candidate].bonusmark = candidate != 0;
            if (t == 2) list += ',';
            list += QByteArray::number(candidate);
        }
    } else {
        // The leaders, then everyone on the second-best score. However many
        // they are, the list names them all, so every client knows who may
        // answer.
        QList<int> chosen;
        const int lead = leader();
        if (lead != 0) {
            const int top = players[lead].score;
            int second = 0;
            for (int s = 1; s <= LastPlayer; ++s)
                if (occupied(s) && players[s].score == top) chosen.append(s);
            for (int s = 1; s <= LastPlayer; ++s)
                if (occupied(s) && players[s].score != top && players[s].score > second)
                    second = players[s].score;
            for (int s = 1; s <= LastPlayer; ++s)
                if (occupied(s) && players[s].score == second && !chosen.contains(s))
                    chosen.append(s);
        }
        for (int s : chosen) {
            players[s].bonusmark = true;
            if (!list.isEmpty()) list += ',';
            list += QByteArray::number(s);
        }
        if (chosen.isEmpty()) list = "0";
    }
    bonuslist = list;
    sendall(cmd::host::inbonus(list));
    category = DefaultCategory;
    startstage(Stage::Selecting, BonusSelectingTicks);
}
