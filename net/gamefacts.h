// The game's facts that more than one layer knows: the port, the slots, the
// stage lengths, the bounds on texts and the options with their defaults and
// limits. Each is stated here once; the host, the program, the computer
// players, the web side and the help texts take it from here, and the tests
// check the documents and the web page that quote one against it.
#pragma once

#include <QtGlobal>

namespace facts {

// The game's TCP port, and the shared UDP port where rooms answer finders.
inline constexpr quint16 DefaultPort = 7772;
inline constexpr char DefaultPortText[] = "7772";

// Slots 1 to 12 play, 13 to 15 are spies; slot 1 hosts.
inline constexpr int PlayerSlots = 12;
inline constexpr int SpySlots = 3;
inline constexpr int LastSlot = PlayerSlots + SpySlots;
// Computer players a room can take: every seat but the hosting player's.
inline constexpr int MaxComputerPlayers = PlayerSlots - 1;

// The longest text the host keeps or relays from a client's message (a chat
// or action field, an answer, a category) and the longest name, in bytes of
// UTF-8. A client never sends longer ones.
inline constexpr int MaxTextBytes = 4096;
inline constexpr int MaxNameBytes = 256;

// Room ratings as the room list, the command lines and the settings spell
// them; a room without either is not rated ("n" where a word must be given).
inline constexpr char RatingAdult[] = "a";
inline constexpr char RatingFamily[] = "e";
inline constexpr char RatingNone[] = "n";

// The options of a game: the dialog's initial values, and the bounds the host
// holds a start message to (far outside what the dialog offers: they keep
// counts from overflowing and letter strings small).
inline constexpr int DefaultPlayTo = 30;
inline constexpr int DefaultCreationSeconds = 60;
inline constexpr int DefaultBonusLetters = 10;
inline constexpr int DefaultMaxLetters = 7;
inline constexpr int MaxPlayTo = 100000;
inline constexpr int MaxCreationSeconds = 3600;
inline constexpr int MaxLetters = 30;
// How long a dropped player's place is kept for its return (0: not kept).
inline constexpr int DefaultRejoinSeconds = 120;
inline constexpr int MaxRejoinSeconds = 3600;

// What the options dialog (the program's and the page's) offers: each
// number's range, step and initial value.
struct OptionRange
{
    int min;
    int max;
    int step;
    int initial;
};
inline constexpr OptionRange PlayToRange{3, 100, 5, DefaultPlayTo};
inline constexpr OptionRange CreationSecondsRange{45, 120, 5, DefaultCreationSeconds};
inline constexpr OptionRange MaxLettersRange{5, 8, 1, DefaultMaxLetters};
inline constexpr OptionRange BonusLettersRange{7, 10, 1, DefaultBonusLetters};
inline constexpr OptionRange RejoinSecondsRange{0, 600, 10, DefaultRejoinSeconds};

// Stage lengths in ticks of the host's stage clock (a second by default).
inline constexpr int TeamStageTicks = 10;
inline constexpr int SelectingTicks = 18;
inline constexpr int BonusSelectingTicks = 10;
inline constexpr int NoAnswerVotingTicks = 3;
inline constexpr int NoVotesBreakTicks = 3;
inline constexpr int ResultBreakTicks = 10;
inline constexpr int ScoreStageTicks = 5;
inline constexpr int RestartStageTicks = 10;
inline constexpr int DefaultTickMs = 1000;

} // namespace facts
