// The message table: every message host, client, web port and page exchange,
// named once with its fields. From this one list come a struct per message
// (cmd::toHost::Chat, cmd::toClient::Scores, ...) with its builder and its
// reader, the dispatch each receiver uses, and the page's own copy of the
// table (webclient/messages.js, written by cmd::messagesModule()).
//
// A new message is one line in QUIB_MESSAGES and an `on` routine in each
// receiver that handles it; a receiver without one ignores the word.
//
// Field kinds, each read the way every receiver reads (cmd::FieldReader):
//   Number  a field up to the next "+", converted (cmd::Number keeps its text)
//   Text    a field up to the next "+"; with no "+" left it reads as empty
//   Rest    whatever remains of the message, "+" included
//   Whole   a number that is the whole rest of the message
//   Word    the text up to the next "+" or to the end
//   List    groups of fields (QUIB_GROUPS) to the end of the message; a message
//           with a list is read with "+@" appended (FieldReader::forList) and
//           an empty remainder is an empty list
// A message's tail is Plus when it ends in a bare "+" (an empty last field) and
// Bare when its last field ends it.
#pragma once

#include <QByteArray>
#include <QList>
#include <type_traits>
#include <utility>

#include "net/framing.h"

namespace cmd {

class FieldReader;

// A number field as it was read: its text, and its value when the text
// converts. Built from an int it is that number's text.
struct Number
{
    QByteArray text;
    bool ok = false;
    int value = 0;

    Number() = default;
    Number(int number) : text(QByteArray::number(number)), ok(true), value(number) {}
    static Number fromText(const QByteArray &text);
    // The value; a text that does not convert throws ParseError, which
    // abandons the message it came in.
    int get() const;
    bool is(int number) const { return ok && value == number; }
};

// Groups of a list: G(Name, fields).
#define QUIB_GROUPS(G, F)                                                                          \
    G(TeamItem, F(Number, slot) F(Number, team))                                                   \
    G(AcroItem, F(Number, slot) F(Text, acro))                                                     \
    G(VoteItem,                                                                                    \
      F(Text, won) F(Text, counted) F(Text, speed) F(Number, slot) F(Text, name) F(Number, votes)) \
    G(ScoreItem, F(Number, slot) F(Number, total) F(Number, points))

// The seven fields a game is announced with.
#define QUIB_ANNOUNCEMENT(F)                                                                       \
    F(Text, starter)                                                                               \
    F(Number, playTo)                                                                              \
    F(Number, creationSeconds)                                                                     \
    F(Text, bonus) F(Number, bonusLetters) F(Text, winningBonus) F(Text, speed)

// M(direction, Name, word, tail, fields). Directions: toHost (a client's, or a
// page's through the web port), toClient (the host's), toPage and toPort (the
// web port's own, between it and its page).
#define QUIB_MESSAGES(M, F, L)                                                                     \
    M(toHost, Login, "CMD_logininfo", Bare, F(Number, slot) F(Text, version) F(Rest, name))        \
    M(toHost, Kick, "CMD_kickhim", Plus, F(Number, slot) F(Number, target))                        \
    M(toHost, Chat, "CMD_chat", Bare, F(Number, slot) F(Rest, text))                               \
    M(toHost, Action, "CMD_action", Bare, F(Number, slot) F(Rest, text))                           \
    M(toHost, Sound, "CMD_playasound", Plus, F(Number, slot) F(Rest, sound))                       \
    M(toHost, StartGame, "CMD_startgame", Plus,                                                    \
      F(Text, starter) F(Number, playTo) F(Number, creationSeconds) F(Text, bonus)                 \
          F(Number, bonusLetters) F(Text, teams) F(Text, winningBonus) F(Text, speed)              \
              F(Number, maxLetters) F(Text, autoRestart) F(Text, noCouch))                         \
    M(toHost, Category, "CMD_catchoosen", Bare, F(Number, slot) F(Rest, category))                 \
    M(toHost, Answer, "CMD_acro", Bare, F(Number, slot) F(Rest, acro))                             \
    M(toHost, Vote, "CMD_choosenacro", Plus, F(Number, slot) F(Number, voted))                     \
    M(toHost, Team, "CMD_chooseteam", Plus, F(Number, slot) F(Number, team))                       \
    M(toHost, Leaving, "CMD_leaving", Plus, F(Number, slot))                                       \
    M(toHost, ClearRemoved, "CMD_clearremoved", Plus, F(Number, slot))                             \
    M(toClient, SendLogin, "CMD_sendlogininfo", Bare, F(Whole, slot))                              \
    M(toClient, Full, "CMD_full", Plus, )                                                          \
    M(toClient, NewPlayer, "CMD_newplayerinfo", Bare, F(Number, slot) F(Rest, name))               \
    M(toClient, ExistingPlayer, "CMD_existingplayers", Bare, F(Number, slot) F(Rest, name))        \
    M(toClient, HasWrongVersion, "CMD_havewrongversion", Bare, F(Rest, name))                      \
    M(toClient, WrongVersion, "CMD_wrongversion", Plus, )                                          \
    M(toClient, Stats, "CMD_stats", Bare,                                                          \
      F(Number, slot) F(Number, playTo) F(Number, creationSeconds) F(Text, teamGame)               \
          L(TeamItem, teams))                                                                      \
    M(toClient, PlayerGone, "CMD_playerdisconnected", Bare, F(Number, slot) F(Rest, name))         \
    M(toClient, ChatLine, "CMD_chat", Bare, F(Rest, text))                                         \
    M(toClient, ActionLine, "CMD_action", Bare, F(Rest, text))                                     \
    M(toClient, Sound, "CMD_playasound", Bare, F(Number, slot) F(Text, sound))                     \
    M(toClient, Game, "CMD_startgame", Plus, QUIB_ANNOUNCEMENT(F))                                 \
    M(toClient, TeamGame, "CMD_teamgame", Plus, QUIB_ANNOUNCEMENT(F))                              \
    M(toClient, Teams, "CMD_histeam", Bare, L(TeamItem, teams))                                    \
    M(toClient, NextPlayer, "CMD_nextplayer", Plus, F(Number, chooser) F(Text, noCouch))           \
    M(toClient, Cats, "CMD_cats", Plus, F(Number, letterCount))                                    \
    M(toClient, InBonus, "CMD_inbonus", Bare, F(Rest, players))                                    \
    M(toClient, Category, "CMD_catchoosen", Bare, F(Rest, category))                               \
    M(toClient, Letters, "CMD_theletters", Bare, F(Number, letterCount) F(Rest, letters))          \
    M(toClient, Entered, "CMD_entered", Bare, F(Whole, slot))                                      \
    M(toClient, NoAnswer, "CMD_noanswer", Plus, )                                                  \
    M(toClient, Answers, "CMD_anacro", Bare, L(AcroItem, acros))                                   \
    M(toClient, DoVote, "CMD_dovote", Bare, F(Whole, slot))                                        \
    M(toClient, UpdateTime, "CMD_updatetime", Bare, F(Whole, seconds))                             \
    M(toClient, NoVotes, "CMD_novotes", Plus, )                                                    \
    M(toClient, Votes, "CMD_thevotes", Bare, L(VoteItem, votes))                                   \
    M(toClient, Scores, "CMD_postscores", Bare,                                                    \
      F(Text, teamGame) F(Number, yellow) F(Number, white) L(ScoreItem, scores))                   \
    M(toClient, Winner, "CMD_winner", Bare, F(Rest, text))                                         \
    M(toClient, YourAnswer, "CMD_youracro", Bare, F(Number, slot) F(Rest, acro))                   \
    M(toPage, Hello, "WEB_hello", Plus, F(Text, version) F(Text, rating))                          \
    M(toPort, Join, "WEB_join", Bare, F(Word, token))                                              \
    M(toPage, Rights, "WEB_rights", Plus, F(Text, rights))                                         \
    M(toPage, AcroCheck, "WEB_acrocheck", Bare,                                                    \
      F(Text, accepted) F(Text, filtered) F(Rest, cleaned))                                        \
    M(toPage, Left, "WEB_left", Plus, F(Text, reason))

namespace wire {
using NumberType = Number;
using TextType = QByteArray;
using RestType = QByteArray;
using WholeType = Number;
using WordType = QByteArray;

class Reader;
class Writer;
} // namespace wire

#define QUIB_DECLARE_FIELD(kind, name) wire::kind##Type name;
#define QUIB_DECLARE_LIST(group, name) QList<group> name;

#define QUIB_DECLARE_GROUP(Name, fields)                                                           \
    struct Name                                                                                    \
    {                                                                                              \
        fields void read(wire::Reader &reader);                                                    \
        void write(wire::Writer &writer) const;                                                    \
    };
QUIB_GROUPS(QUIB_DECLARE_GROUP, QUIB_DECLARE_FIELD)
#undef QUIB_DECLARE_GROUP

// Each message's struct: its command word, its fields, read() from the
// remainder after the command word (true when every number field converted)
// and build() of the whole message, terminator included.
#define QUIB_DECLARE_MESSAGE(direction, Name, word, tail, fields)                                  \
    namespace direction {                                                                          \
    struct Name                                                                                    \
    {                                                                                              \
        static constexpr char Word[] = word;                                                       \
        fields bool read(const QByteArray &remainder);                                             \
        QByteArray build() const;                                                                  \
    };                                                                                             \
    }
QUIB_MESSAGES(QUIB_DECLARE_MESSAGE, QUIB_DECLARE_FIELD, QUIB_DECLARE_LIST)
#undef QUIB_DECLARE_MESSAGE
#undef QUIB_DECLARE_FIELD
#undef QUIB_DECLARE_LIST

namespace wire {
template <class Handler, class Message, class = void> struct Handles : std::false_type
{
};
template <class Handler, class Message>
struct Handles<Handler, Message,
               std::void_t<decltype(std::declval<Handler &>()(std::declval<const Message &>()))>>
    : std::true_type
{
};

template <class Message, class Handler> bool deliver(const QByteArray &remainder, Handler &handler)
{
    if constexpr (Handles<Handler, Message>::value) {
        Message message;
        message.read(remainder);
        handler(std::as_const(message));
        return true;
    }
    return false;
}
} // namespace wire

// Hands a message to the handler as the struct of its command word among the
// messages of one direction (ToHost, ToClient, ToPort): handler(const Message &)
// for every message it can be called with; any other is read no further.
// Returns true when the handler took the message. dispatch() splits an entry
// (terminator removed) as the pump does and drops one without a command word;
// dispatchWord() takes a word and remainder the caller split.
#define QUIB_DISPATCH_toHost(direction, Name, word)                                                \
    if constexpr (std::is_same_v<Direction, ToHost>)                                               \
        if (command == word) return wire::deliver<toHost::Name>(remainder, handler);
#define QUIB_DISPATCH_toClient(direction, Name, word)                                              \
    if constexpr (std::is_same_v<Direction, ToClient>)                                             \
        if (command == word) return wire::deliver<toClient::Name>(remainder, handler);
#define QUIB_DISPATCH_toPort(direction, Name, word)                                                \
    if constexpr (std::is_same_v<Direction, ToPort>)                                               \
        if (command == word) return wire::deliver<toPort::Name>(remainder, handler);
#define QUIB_DISPATCH_toPage(direction, Name, word)
#define QUIB_DISPATCH_ROW(direction, Name, word, tail, fields)                                     \
    QUIB_DISPATCH_##direction(direction, Name, word)
#define QUIB_DISPATCH_NOTHING(...)

// Directions to dispatch: cmd::dispatch<cmd::ToHost>(entry, handler).
struct ToHost;
struct ToClient;
struct ToPort;

template <class Direction, class Handler>
bool dispatchWord(const QByteArray &command, const QByteArray &remainder, Handler &&handler)
{
    QUIB_MESSAGES(QUIB_DISPATCH_ROW, QUIB_DISPATCH_NOTHING, QUIB_DISPATCH_NOTHING)
    return false;
}

template <class Direction, class Handler> bool dispatch(const QByteArray &entry, Handler &&handler)
{
    const SplitEntry split = splitEntry(entry);
    if (!split.valid) return false;
    return dispatchWord<Direction>(split.command, split.remainder, handler);
}
#undef QUIB_DISPATCH_toHost
#undef QUIB_DISPATCH_toClient
#undef QUIB_DISPATCH_toPort
#undef QUIB_DISPATCH_toPage
#undef QUIB_DISPATCH_ROW
#undef QUIB_DISPATCH_NOTHING

// The table as data, for the page's copy of it.
struct FieldInfo
{
    const char *kind;
    const char *name;
    const char *group; // the group of a list, else nullptr
};
struct MessageInfo
{
    const char *direction;
    const char *name;
    const char *word;
    const char *tail;
    QList<FieldInfo> fields;
};
struct GroupInfo
{
    const char *name;
    QList<FieldInfo> fields;
};
QList<MessageInfo> messageTable();
QList<GroupInfo> groupTable();
// The page's module: webclient/messages.js, exactly as committed.
QByteArray messagesModule();

} // namespace cmd
