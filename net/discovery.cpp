#include "net/discovery.h"

#include <QList>

namespace discovery {

namespace {

// Cuts UTF-8 to `maxBytes` without splitting a character and turns control
// characters (line breaks included) into blanks.
QByteArray cleanText(const QString &text, int maxBytes)
{
    QByteArray bytes = text.toUtf8();
    for (char &c : bytes)
        if (uchar(c) < 0x20 || uchar(c) == 0x7F) c = ' ';
    if (bytes.size() <= maxBytes) return bytes;
    int end = maxBytes;
    while (end > 0 && (uchar(bytes[end]) & 0xC0) == 0x80)
        --end;
    return bytes.left(end);
}

bool readNumber(const QByteArray &text, int max, int &out)
{
    if (text.isEmpty() || text.size() > 5) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    out = text.toInt();
    return out <= max;
}

} // namespace

QString normalRating(const QString &rating)
{
    if (rating == QLatin1String(facts::RatingAdult) || rating == QLatin1String(facts::RatingFamily))
        return rating;
    return QString();
}

QByteArray encodeQuery()
{
    return QByteArray(QueryPrefix) + QByteArray::number(ProtocolVersion);
}

bool isQuery(const QByteArray &datagram)
{
    if (datagram.size() > MaxQueryBytes || !datagram.startsWith(QueryPrefix)) return false;
    int version = 0;
    return readNumber(datagram.mid(int(sizeof(QueryPrefix)) - 1), 99999, version) && version > 0;
}

QByteArray encodeAnswer(const RoomFacts &facts)
{
    QByteArray out = QByteArray(AnswerPrefix) + QByteArray::number(ProtocolVersion);
    auto line = [&out](const char *key, const QByteArray &value) {
        out += '\n';
        out += key;
        out += '=';
        out += value;
    };
    line("version", cleanText(facts.version, MaxVersionBytes));
    line("port", QByteArray::number(facts.port));
    line("host", cleanText(facts.hostName, MaxNameBytes));
    line("rating", normalRating(facts.rating).toLatin1());
    line("players", QByteArray::number(qBound(0, facts.players, MaxPlayers)));
    line("spies", QByteArray::number(qBound(0, facts.spies, MaxSpies)));
    line("game", facts.gameRunning ? "1" : "0");
    return out;
}

std::optional<RoomFacts> decodeAnswer(const QByteArray &datagram)
{
    if (datagram.size() > MaxAnswerBytes) return std::nullopt;
    const QList<QByteArray> lines = datagram.split('\n');
    const QByteArray &head = lines.first();
    int protocol = 0;
    if (!head.startsWith(AnswerPrefix) ||
        !readNumber(head.mid(int(sizeof(AnswerPrefix)) - 1), 99999, protocol) || protocol < 1)
        return std::nullopt;

    RoomFacts facts;
    // Every field must be there once; unknown keys are left to later versions.
    enum
    {
        Version = 1,
        Port = 2,
        Host = 4,
        Rating = 8,
        Players = 16,
        Spies = 32,
        Game = 64,
        All = 127
    };
    int seen = 0;
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray &l = lines[i];
        const qsizetype eq = l.indexOf('=');
        if (eq <= 0) return std::nullopt;
        const QByteArray key = l.left(eq);
        const QByteArray value = l.mid(eq + 1);
        int field = 0;
        int number = 0;
        if (key == "version") {
            if (value.isEmpty() || value.size() > MaxVersionBytes) return std::nullopt;
            facts.version = QString::fromUtf8(value);
            field = Version;
        } else if (key == "port") {
            if (!readNumber(value, 65535, number) || number == 0) return std::nullopt;
            facts.port = quint16(number);
            field = Port;
        } else if (key == "host") {
            if (value.size() > MaxNameBytes) return std::nullopt;
            facts.hostName = QString::fromUtf8(value);
            field = Host;
        } else if (key == "rating") {
            facts.rating = normalRating(QString::fromUtf8(value));
            field = Rating;
        } else if (key == "players") {
            if (!readNumber(value, MaxPlayers, facts.players)) return std::nullopt;
            field = Players;
        } else if (key == "spies") {
            if (!readNumber(value, MaxSpies, facts.spies)) return std::nullopt;
            field = Spies;
        } else if (key == "game") {
            if (value != "0" && value != "1") return std::nullopt;
            facts.gameRunning = value == "1";
            field = Game;
        }
        if (field & seen) return std::nullopt;
        seen |= field;
    }
    if (seen != All) return std::nullopt;
    return facts;
}

} // namespace discovery
