#include "net/commands.h"

#include <climits>

namespace cmd {
namespace {

const char Terminator = '\xFF';

QByteArray tf(bool flag)
{
    return flag ? "t" : "f";
}
QByteArray yn(bool flag)
{
    return flag ? "y" : "n";
}

} // namespace

QByteArray acroToWire(const QByteArray &acro)
{
    QByteArray copy = acro;
    return copy.replace('+', '~');
}

QByteArray acroFromWire(const QByteArray &acro)
{
    QByteArray copy = acro;
    return copy.replace('~', '+');
}

QByteArray colouredText(const QByteArray &line, const QByteArray &colour)
{
    return line + '|' + colour;
}

QByteArray withoutMe(const QByteArray &line)
{
    int i = 3; // "/me"
    if (i < line.size()) ++i;
    while (i < line.size() && (uchar(line[i]) & 0xC0) == 0x80)
        ++i;
    return line.mid(i);
}

QByteArray joinedLetters(const QByteArray &letters, int count)
{
    QByteArray joined;
    int start = 0;
    for (int i = 0; i < count; ++i) {
        const int plus = letters.indexOf('+', start);
        joined += letters.mid(start, plus < 0 ? -1 : plus - start);
        if (plus < 0) break;
        start = plus + 1;
    }
    return joined;
}

ParseError::ParseError(const QByteArray &field)
    : std::runtime_error("'" + QByteArray(field).toStdString() + "' is not a valid integer value")
{
}

QByteArray cutText(const QByteArray &text, int maxBytes)
{
    if (maxBytes <= 0) return QByteArray();
    if (text.size() <= maxBytes) return text;
    int end = maxBytes;
    // Step back over continuation bytes so no character is split.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.left(end);
}

bool toNumber(const QByteArray &text, int &out)
{
    const bool negative = text.startsWith('-');
    int i = negative ? 1 : 0;
    if (i >= text.size()) return false;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
        if (value > limit) return false;
    }
    out = int(negative ? -value : value);
    return true;
}

FieldReader FieldReader::forList(const QByteArray &remainder)
{
    return FieldReader(remainder + "+@");
}

QByteArray FieldReader::field()
{
    const int plus = buffer.indexOf('+');
    if (plus < 0) return QByteArray();
    QByteArray value = buffer.left(plus);
    buffer.remove(0, plus + 1);
    return value;
}

int FieldReader::number()
{
    const QByteArray text = field();
    int value = 0;
    if (!toNumber(text, value)) throw ParseError(text);
    return value;
}

bool FieldReader::number(int &out)
{
    return toNumber(field(), out);
}

namespace client {

QByteArray logininfo(int slot, const QByteArray &version, const QByteArray &name)
{
    // The login name carries its own 0xFF, so the message ends in two of them;
    // the second makes an empty entry that the host's pump skips.
    return toHost::Login{slot, version, name}.build() + Terminator;
}

QByteArray kickhim(int slot, int target)
{
    return toHost::Kick{slot, target}.build();
}

QByteArray chat(int slot, const QByteArray &line, const QByteArray &colour)
{
    return toHost::Chat{slot, colouredText(line, colour)}.build();
}

QByteArray action(int slot, const QByteArray &line, const QByteArray &colour)
{
    return toHost::Action{slot, colouredText(line, colour)}.build();
}

QByteArray phrase(int slot, const QByteArray &phrase, const QByteArray &colour)
{
    if (phrase.startsWith("/me")) return action(slot, withoutMe(phrase), colour);
    return action(slot, " says: " + phrase, colour);
}

QByteArray playasound(int slot, int n)
{
    return toHost::Sound{slot, "wave" + QByteArray::number(n)}.build();
}

QByteArray startgame(const GameOptions &o)
{
    return toHost::StartGame{o.starterName,      o.playTo,           o.creationSeconds,
                             tf(o.playBonus),    o.bonusLetters,     o.teamGame ? "team" : "none",
                             tf(o.winningBonus), tf(o.speedBonus),   o.maxLetters,
                             tf(o.autoRestart),  tf(o.noCouchTopics)}
        .build();
}

QByteArray catchoosen(int slot, const QByteArray &category)
{
    return toHost::Category{slot, category}.build();
}

QByteArray acro(int slot, const QByteArray &typed)
{
    return toHost::Answer{slot, acroToWire(typed)}.build();
}

QByteArray choosenacro(int slot, int votedSlot)
{
    return toHost::Vote{slot, votedSlot}.build();
}

QByteArray chooseteam(int slot, int team)
{
    return toHost::Team{slot, team}.build();
}

QByteArray leaving(int slot)
{
    return toHost::Leaving{slot}.build();
}

QByteArray clearremoved(int slot)
{
    return toHost::ClearRemoved{slot}.build();
}

} // namespace client

namespace host {
namespace {
template <class Announcement> QByteArray announcement(const GameAnnouncement &g)
{
    return Announcement{
        g.starterName, Number::fromText(g.playTo),       Number::fromText(g.creationSeconds),
        g.bonusField,  Number::fromText(g.bonusLetters), g.winningBonusField,
        g.speedField}
        .build();
}

QList<TeamItem> teamItems(const QList<SlotTeam> &teams)
{
    QList<TeamItem> items;
    for (const SlotTeam &t : teams)
        items.append({t.first, t.second});
    return items;
}
} // namespace

QByteArray sendlogininfo(int slot)
{
    return toClient::SendLogin{slot}.build();
}
QByteArray full()
{
    return toClient::Full{}.build();
}

QByteArray newplayerinfo(int slot, const QByteArray &name)
{
    return toClient::NewPlayer{slot, name}.build();
}

QByteArray existingplayers(int slot, const QByteArray &name)
{
    return toClient::ExistingPlayer{slot, name}.build();
}

QByteArray havewrongversion(const QByteArray &name)
{
    return toClient::HasWrongVersion{name}.build();
}

QByteArray wrongversion()
{
    return toClient::WrongVersion{}.build();
}

QByteArray stats(int slot, int playTo, int creationSeconds, bool teamGame,
                 const QList<SlotTeam> &teams)
{
    return toClient::Stats{slot, playTo, creationSeconds, tf(teamGame), teamItems(teams)}.build();
}

QByteArray playerdisconnected(int slot, const QByteArray &name)
{
    return toClient::PlayerGone{slot, name}.build();
}

QByteArray chat(const QByteArray &senderName, const QByteArray &clientText)
{
    return toClient::ChatLine{senderName + " chats: " + clientText}.build();
}

QByteArray action(const QByteArray &senderName, const QByteArray &clientText)
{
    return toClient::ActionLine{senderName + ' ' + clientText}.build();
}

QByteArray playasound(int slot, const QByteArray &rest)
{
    return toClient::Sound{slot, rest}.build();
}

QByteArray startgame(const GameAnnouncement &game)
{
    return announcement<toClient::Game>(game);
}
QByteArray teamgame(const GameAnnouncement &game)
{
    return announcement<toClient::TeamGame>(game);
}

QByteArray histeam(int slot, int team)
{
    return toClient::Teams{{{slot, team}}}.build();
}
QByteArray histeamBare()
{
    return toClient::Teams{}.build();
}

QByteArray histeamList(const QList<SlotTeam> &teams)
{
    return toClient::Teams{teamItems(teams)}.build();
}

QByteArray nextplayer(int chooserSlot, const QByteArray &noCouchField)
{
    return toClient::NextPlayer{chooserSlot, noCouchField}.build();
}

QByteArray cats(int letterCount)
{
    return toClient::Cats{letterCount}.build();
}

QByteArray inbonus(const QByteArray &list)
{
    return toClient::InBonus{list}.build();
}
QByteArray catchoosen(const QByteArray &category)
{
    return toClient::Category{category}.build();
}

QByteArray theletters(int letterCount, const QByteArray &letters)
{
    return toClient::Letters{letterCount, letters}.build();
}

QByteArray entered(int slot)
{
    return toClient::Entered{slot}.build();
}
QByteArray noanswer()
{
    return toClient::NoAnswer{}.build();
}

QByteArray anacro(const QList<SlotAcro> &acros)
{
    toClient::Answers message;
    for (const SlotAcro &a : acros)
        message.acros.append({a.first, acroToWire(a.second)});
    return message.build();
}

QByteArray dovote(int slot)
{
    return toClient::DoVote{slot}.build();
}
QByteArray updatetime(int seconds)
{
    return toClient::UpdateTime{seconds}.build();
}
QByteArray novotes()
{
    return toClient::NoVotes{}.build();
}

QByteArray thevotes(const QList<VoteRecord> &records)
{
    toClient::Votes message;
    for (const VoteRecord &r : records)
        message.votes.append(
            {yn(r.won), yn(r.votesCounted), yn(r.speedBonus), r.slot, r.name, r.votesReceived});
    return message.build();
}

QByteArray postscores(bool teamGame, int yellowScore, int whiteScore,
                      const QList<ScoreRecord> &scores)
{
    toClient::Scores message{tf(teamGame), yellowScore, whiteScore, {}};
    for (const ScoreRecord &s : scores)
        message.scores.append({s.slot, s.gameScore, s.roundPoints});
    return message.build();
}

QByteArray winner(const QByteArray &text)
{
    return toClient::Winner{text}.build();
}

QByteArray notice(const QByteArray &text)
{
    return toClient::ActionLine{colouredText(text, "clYellow")}.build();
}

QByteArray youracro(int slot, const QByteArray &acro)
{
    return toClient::YourAnswer{slot, acroToWire(acro)}.build();
}

} // namespace host
} // namespace cmd
