// The builders of every message host and client exchange, with the signatures
// their callers use, and the field reader every receiver uses. The messages
// themselves, their fields and their readers are the table in net/messages.h;
// no caller assembles or takes apart a message by hand.
//
// Texts are UTF-8 byte strings. Builders drop any 0xFF byte from a text field,
// so a field can never end its message early; every message ends with 0xFF.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <stdexcept>

#include "net/gamefacts.h"
#include "net/messages.h"
#include "quibversion.h"

namespace cmd {

// Command words, as the message table (net/messages.h) names them.
inline constexpr auto &CMD_logininfo = toHost::Login::Word;
inline constexpr auto &CMD_kickhim = toHost::Kick::Word;
inline constexpr auto &CMD_chat = toHost::Chat::Word;
inline constexpr auto &CMD_action = toHost::Action::Word;
inline constexpr auto &CMD_playasound = toHost::Sound::Word;
inline constexpr auto &CMD_startgame = toHost::StartGame::Word;
inline constexpr auto &CMD_catchoosen = toHost::Category::Word;
inline constexpr auto &CMD_acro = toHost::Answer::Word;
inline constexpr auto &CMD_choosenacro = toHost::Vote::Word;
inline constexpr auto &CMD_chooseteam = toHost::Team::Word;
inline constexpr auto &CMD_sendlogininfo = toClient::SendLogin::Word;
inline constexpr auto &CMD_full = toClient::Full::Word;
inline constexpr auto &CMD_newplayerinfo = toClient::NewPlayer::Word;
inline constexpr auto &CMD_existingplayers = toClient::ExistingPlayer::Word;
inline constexpr auto &CMD_havewrongversion = toClient::HasWrongVersion::Word;
inline constexpr auto &CMD_wrongversion = toClient::WrongVersion::Word;
inline constexpr auto &CMD_stats = toClient::Stats::Word;
inline constexpr auto &CMD_playerdisconnected = toClient::PlayerGone::Word;
inline constexpr auto &CMD_teamgame = toClient::TeamGame::Word;
inline constexpr auto &CMD_histeam = toClient::Teams::Word;
inline constexpr auto &CMD_nextplayer = toClient::NextPlayer::Word;
inline constexpr auto &CMD_cats = toClient::Cats::Word;
inline constexpr auto &CMD_inbonus = toClient::InBonus::Word;
inline constexpr auto &CMD_theletters = toClient::Letters::Word;
inline constexpr auto &CMD_entered = toClient::Entered::Word;
inline constexpr auto &CMD_noanswer = toClient::NoAnswer::Word;
inline constexpr auto &CMD_anacro = toClient::Answers::Word;
inline constexpr auto &CMD_dovote = toClient::DoVote::Word;
inline constexpr auto &CMD_updatetime = toClient::UpdateTime::Word;
inline constexpr auto &CMD_novotes = toClient::NoVotes::Word;
inline constexpr auto &CMD_thevotes = toClient::Votes::Word;
inline constexpr auto &CMD_postscores = toClient::Scores::Word;
inline constexpr auto &CMD_winner = toClient::Winner::Word;
inline constexpr auto &CMD_leaving = toHost::Leaving::Word;
inline constexpr auto &CMD_clearremoved = toHost::ClearRemoved::Word;
inline constexpr auto &CMD_youracro = toClient::YourAnswer::Word;

// The version this release reports at login.
inline constexpr char GameVersion[] = QUIB_VERSION;

// "+" typed inside an answer travels as "~".
QByteArray acroToWire(const QByteArray &acro);
QByteArray acroFromWire(const QByteArray &acro);

// A chat or action text: the visible line, "|", then the colour text.
QByteArray colouredText(const QByteArray &line, const QByteArray &colour);

// The longest text the host keeps or relays from a client's message (a chat or
// action field, an answer, a category), in bytes of UTF-8. A client never sends
// a longer one.
inline constexpr int MaxTextBytes = facts::MaxTextBytes;
// Cuts UTF-8 text to at most `maxBytes` bytes without splitting a character.
QByteArray cutText(const QByteArray &text, int maxBytes);

// The letters of CMD_theletters: at most `count` of the "+"-separated fields of
// its letters text, run together (the host sends them as one field).
QByteArray joinedLetters(const QByteArray &letters, int count);

// A "/me" line as it goes out: without "/me" and the character after it
// (normally a blank). A character may be several UTF-8 bytes; all of them go.
QByteArray withoutMe(const QByteArray &line);

// A number field that does not convert. Its text is what the error box shows.
class ParseError : public std::runtime_error
{
public:
    explicit ParseError(const QByteArray &field);
};

// Plain decimal conversion: optional "-", then at least one digit, within int
// range. No blanks and no "+" sign.
bool toNumber(const QByteArray &text, int &out);

// Reads fields the way every receiver does: a field is the text up to the next
// "+", removed together with that "+"; with no "+" left it reads as empty and
// nothing is removed. rest() is a field that runs to the end of the message.
class FieldReader
{
public:
    explicit FieldReader(const QByteArray &remainder) : buffer(remainder) {}
    // A reader for a message that carries a list: "+@" is appended and the list
    // has ended when exactly "@" is left.
    static FieldReader forList(const QByteArray &remainder);

    QByteArray field();
    int number();          // field() converted; throws ParseError
    bool number(int &out); // field() converted; false when it does not convert
    QByteArray rest() const { return buffer; }
    bool listEnded() const { return buffer == "@"; }
    bool isEmpty() const { return buffer.isEmpty(); }

private:
    QByteArray buffer;
};

// Fields of CMD_startgame as the options dialog sends them; the defaults are the
// dialog's initial values.
struct GameOptions
{
    QByteArray starterName;
    int playTo = facts::DefaultPlayTo;
    int creationSeconds = facts::DefaultCreationSeconds;
    bool playBonus = true;
    int bonusLetters = facts::DefaultBonusLetters;
    bool teamGame = false;
    bool winningBonus = true;
    bool speedBonus = false;
    int maxLetters = facts::DefaultMaxLetters;
    bool autoRestart = false;
    bool noCouchTopics = false;
};

// The seven fields the host announces a game with. The three flag fields are
// relayed exactly as the starter sent them.
struct GameAnnouncement
{
    QByteArray starterName;
    QByteArray playTo;
    QByteArray creationSeconds;
    QByteArray bonusField;
    QByteArray bonusLetters;
    QByteArray winningBonusField;
    QByteArray speedField;
};

struct VoteRecord
{
    bool won = false;
    bool votesCounted = false;
    bool speedBonus = false;
    int slot = 0;
    QByteArray name;
    int votesReceived = 0;
};

struct ScoreRecord
{
    int slot = 0;
    int gameScore = 0;
    int roundPoints = 0;
};

using SlotTeam = QPair<int, int>;        // slot, team
using SlotAcro = QPair<int, QByteArray>; // slot, acro as on the wire

// Client to host.
namespace client {
QByteArray logininfo(int slot, const QByteArray &version, const QByteArray &name);
QByteArray kickhim(int slot, int target);
QByteArray chat(int slot, const QByteArray &line, const QByteArray &colour);
QByteArray action(int slot, const QByteArray &line, const QByteArray &colour);
// A phrase button: "/me" phrases go out as an action without "/me ", any other
// phrase as " says: " and the phrase.
QByteArray phrase(int slot, const QByteArray &phrase, const QByteArray &colour);
QByteArray playasound(int slot, int n);
QByteArray startgame(const GameOptions &options);
QByteArray catchoosen(int slot, const QByteArray &category);
QByteArray acro(int slot, const QByteArray &typed); // turns "+" into "~"
QByteArray choosenacro(int slot, int votedSlot);
QByteArray chooseteam(int slot, int team);
// The player leaves on purpose: the host lets the slot go at once instead of
// keeping it for a return.
QByteArray leaving(int slot);
// The hosting player lets the removed players join again.
QByteArray clearremoved(int slot);
} // namespace client

// Host to client.
namespace host {
QByteArray sendlogininfo(int slot);
QByteArray full();
QByteArray newplayerinfo(int slot, const QByteArray &name);
QByteArray existingplayers(int slot, const QByteArray &name);
QByteArray havewrongversion(const QByteArray &name);
QByteArray wrongversion();
QByteArray stats(int slot, int playTo, int creationSeconds, bool teamGame,
                 const QList<SlotTeam> &teams);
QByteArray playerdisconnected(int slot, const QByteArray &name);
// Relays: the sender's name, " chats: " and the client's text; an action is the
// name, one blank and the client's text.
QByteArray chat(const QByteArray &senderName, const QByteArray &clientText);
QByteArray action(const QByteArray &senderName, const QByteArray &clientText);
QByteArray playasound(int slot, const QByteArray &rest);
QByteArray startgame(const GameAnnouncement &game);
QByteArray teamgame(const GameAnnouncement &game);
QByteArray histeam(int slot, int team);               // one player's team
QByteArray histeamBare();                             // a choice during team choice
QByteArray histeamList(const QList<SlotTeam> &teams); // end of team choice
QByteArray nextplayer(int chooserSlot, const QByteArray &noCouchField);
QByteArray cats(int letterCount);
QByteArray inbonus(const QByteArray &list);
QByteArray catchoosen(const QByteArray &category);
QByteArray theletters(int letterCount, const QByteArray &letters);
QByteArray entered(int slot);
QByteArray noanswer();
// Acros go out in their wire form: a stray "+" becomes "~" so the list holds.
QByteArray anacro(const QList<SlotAcro> &acros);
QByteArray dovote(int slot);
QByteArray updatetime(int seconds);
QByteArray novotes();
// The names travel as they are: a name holding "+" shifts the fields of its
// record and every later one for the receiver, a limit of this list's form.
QByteArray thevotes(const QList<VoteRecord> &records);
QByteArray postscores(bool teamGame, int yellowScore, int whiteScore,
                      const QList<ScoreRecord> &scores);
QByteArray winner(const QByteArray &text);
// A line of the host's own in everybody's chat: an action without a sender,
// in yellow.
QByteArray notice(const QByteArray &text);
// To a player who returns while answers are open: its own kept answer.
QByteArray youracro(int slot, const QByteArray &acro);
} // namespace host

} // namespace cmd
