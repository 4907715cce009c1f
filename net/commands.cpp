#include "net/commands.h"

#include <climits>

namespace cmd {
namespace {

const char Terminator = '\xFF';

// A text field never carries the terminator.
QByteArray clean(const QByteArray &text)
{
    if (!text.contains(Terminator)) return text;
    QByteArray copy = text;
    copy.replace(QByteArray(1, Terminator), QByteArray());
    return copy;
}

QByteArray tf(bool flag)
{
    return flag ? "t" : "f";
}
QByteArray yn(bool flag)
{
    return flag ? "y" : "n";
}
QByteArray num(int value)
{
    return QByteArray::number(value);
}

// Command word, then "+" and each field, then the terminator.
class Builder
{
public:
    explicit Builder(const char *command) : text(command) {}
    Builder &f(const QByteArray &field)
    {
        text += '+';
        text += clean(field);
        return *this;
    }
    Builder &f(int value) { return f(num(value)); }
    // A form that ends in a bare "+" (an empty last field).
    Builder &emptyField()
    {
        text += '+';
        return *this;
    }
    QByteArray done() const { return text + Terminator; }

private:
    QByteArray text;
};

QByteArray announcement(const char *command, const GameAnnouncement &g)
{
    return Builder(command)
        .f(g.starterName)
        .f(g.playTo)
        .f(g.creationSeconds)
        .f(g.bonusField)
        .f(g.bonusLetters)
        .f(g.winningBonusField)
        .f(g.speedField)
        .emptyField()
        .done();
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
    return Builder(CMD_logininfo).f(slot).f(version).f(name).done() + Terminator;
}

QByteArray kickhim(int slot, int target)
{
    return Builder(CMD_kickhim).f(slot).f(target).emptyField().done();
}

QByteArray chat(int slot, const QByteArray &line, const QByteArray &colour)
{
    return Builder(CMD_chat).f(slot).f(colouredText(line, colour)).done();
}

QByteArray action(int slot, const QByteArray &line, const QByteArray &colour)
{
    return Builder(CMD_action).f(slot).f(colouredText(line, colour)).done();
}

QByteArray phrase(int slot, const QByteArray &phrase, const QByteArray &colour)
{
    if (phrase.startsWith("/me")) return action(slot, withoutMe(phrase), colour);
    return action(slot, " says: " + phrase, colour);
}

QByteArray playasound(int slot, int n)
{
    return Builder(CMD_playasound).f(slot).f("wave" + num(n)).emptyField().done();
}

QByteArray startgame(const GameOptions &o)
{
    return Builder(CMD_startgame)
        .f(o.starterName)
        .f(o.playTo)
        .f(o.creationSeconds)
        .f(tf(o.playBonus))
        .f(o.bonusLetters)
        .f(o.teamGame ? "team" : "none")
        .f(tf(o.winningBonus))
        .f(tf(o.speedBonus))
        .f(o.maxLetters)
        .f(tf(o.autoRestart))
        .f(tf(o.noCouchTopics))
        .emptyField()
        .done();
}

QByteArray catchoosen(int slot, const QByteArray &category)
{
    return Builder(CMD_catchoosen).f(slot).f(category).done();
}

QByteArray acro(int slot, const QByteArray &typed)
{
    return Builder(CMD_acro).f(slot).f(acroToWire(typed)).done();
}

QByteArray choosenacro(int slot, int votedSlot)
{
    return Builder(CMD_choosenacro).f(slot).f(votedSlot).emptyField().done();
}

QByteArray chooseteam(int slot, int team)
{
    return Builder(CMD_chooseteam).f(slot).f(team).emptyField().done();
}

QByteArray leaving(int slot)
{
    return Builder(CMD_leaving).f(slot).emptyField().done();
}

QByteArray clearremoved(int slot)
{
    return Builder(CMD_clearremoved).f(slot).emptyField().done();
}

} // namespace client

namespace host {

QByteArray sendlogininfo(int slot)
{
    return Builder(CMD_sendlogininfo).f(slot).done();
}
QByteArray full()
{
    return Builder(CMD_full).emptyField().done();
}

QByteArray newplayerinfo(int slot, const QByteArray &name)
{
    return Builder(CMD_newplayerinfo).f(slot).f(name).done();
}

QByteArray existingplayers(int slot, const QByteArray &name)
{
    return Builder(CMD_existingplayers).f(slot).f(name).done();
}

QByteArray havewrongversion(const QByteArray &name)
{
    return Builder(CMD_havewrongversion).f(name).done();
}

QByteArray wrongversion()
{
    return Builder(CMD_wrongversion).emptyField().done();
}

QByteArray stats(int slot, int playTo, int creationSeconds, bool teamGame,
                 const QList<SlotTeam> &teams)
{
    Builder b(CMD_stats);
    b.f(slot).f(playTo).f(creationSeconds).f(tf(teamGame));
    for (const SlotTeam &t : teams)
        b.f(t.first).f(t.second);
    return b.done();
}

QByteArray playerdisconnected(int slot, const QByteArray &name)
{
    return Builder(CMD_playerdisconnected).f(slot).f(name).done();
}

QByteArray chat(const QByteArray &senderName, const QByteArray &clientText)
{
    return Builder(CMD_chat).f(senderName + " chats: " + clientText).done();
}

QByteArray action(const QByteArray &senderName, const QByteArray &clientText)
{
    return Builder(CMD_action).f(senderName + ' ' + clientText).done();
}

QByteArray playasound(int slot, const QByteArray &rest)
{
    return Builder(CMD_playasound).f(slot).f(rest).done();
}

QByteArray startgame(const GameAnnouncement &game)
{
    return announcement(CMD_startgame, game);
}
QByteArray teamgame(const GameAnnouncement &game)
{
    return announcement(CMD_teamgame, game);
}

QByteArray histeam(int slot, int team)
{
    return Builder(CMD_histeam).f(slot).f(team).done();
}
QByteArray histeamBare()
{
    return Builder(CMD_histeam).done();
}

QByteArray histeamList(const QList<SlotTeam> &teams)
{
    Builder b(CMD_histeam);
    for (const SlotTeam &t : teams)
        b.f(t.first).f(t.second);
    return b.done();
}

QByteArray nextplayer(int chooserSlot, const QByteArray &noCouchField)
{
    return Builder(CMD_nextplayer).f(chooserSlot).f(noCouchField).emptyField().done();
}

QByteArray cats(int letterCount)
{
    return Builder(CMD_cats).f(letterCount).emptyField().done();
}

QByteArray inbonus(const QByteArray &list)
{
    return Builder(CMD_inbonus).f(list).done();
}
QByteArray catchoosen(const QByteArray &category)
{
    return Builder(CMD_catchoosen).f(category).done();
}

QByteArray theletters(int letterCount, const QByteArray &letters)
{
    return Builder(CMD_theletters).f(letterCount).f(letters).done();
}

QByteArray entered(int slot)
{
    return Builder(CMD_entered).f(slot).done();
}
QByteArray noanswer()
{
    return Builder(CMD_noanswer).emptyField().done();
}

QByteArray anacro(const QList<SlotAcro> &acros)
{
    Builder b(CMD_anacro);
    for (const SlotAcro &a : acros)
        b.f(a.first).f(acroToWire(a.second));
    return b.done();
}

QByteArray dovote(int slot)
{
    return Builder(CMD_dovote).f(slot).done();
}
QByteArray updatetime(int seconds)
{
    return Builder(CMD_updatetime).f(seconds).done();
}
QByteArray novotes()
{
    return Builder(CMD_novotes).emptyField().done();
}

QByteArray thevotes(const QList<VoteRecord> &records)
{
    Builder b(CMD_thevotes);
    for (const VoteRecord &r : records)
        b.f(yn(r.won))
            .f(yn(r.votesCounted))
            .f(yn(r.speedBonus))
            .f(r.slot)
            .f(r.name)
            .f(r.votesReceived);
    return b.done();
}

QByteArray postscores(bool teamGame, int yellowScore, int whiteScore,
                      const QList<ScoreRecord> &scores)
{
    Builder b(CMD_postscores);
    b.f(tf(teamGame)).f(yellowScore).f(whiteScore);
    for (const ScoreRecord &s : scores)
        b.f(s.slot).f(s.gameScore).f(s.roundPoints);
    return b.done();
}

QByteArray winner(const QByteArray &text)
{
    return Builder(CMD_winner).f(text).done();
}

QByteArray notice(const QByteArray &text)
{
    return Builder(CMD_action).f(colouredText(text, "clYellow")).done();
}

QByteArray youracro(int slot, const QByteArray &acro)
{
    return Builder(CMD_youracro).f(slot).f(acroToWire(acro)).done();
}

} // namespace host
} // namespace cmd
