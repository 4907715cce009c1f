// BotRoom: the computer players one program puts into one room. It gives them
// distinct, friendly names ending in " (cpu)", adds and removes them one at a
// time, and stops them all when the room is left or closed. Every player is a
// BotPlayer over its own TCP connection; they share one lexicon.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

#include "bots/botplayer.h"

struct BotRoomConfig
{
    QString host = QStringLiteral("127.0.0.1");
    quint16 port = facts::DefaultPort;
    quint32 seed = 0; // each player's generator is seeded from this and its number
    QString namePrefix;
    Difficulty difficulty = Difficulty::Normal;
    bool family = true;
    bool quiet = false; // nothing said in the chat
};

class BotRoom : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxBots = facts::MaxComputerPlayers;
    static constexpr char NameSuffix[] = " (cpu)";

    explicit BotRoom(const BotRoomConfig &config, QObject *parent = nullptr,
                     const Lexicon *lexicon = nullptr);
    ~BotRoom() override;

    // One more player (false at MaxBots or when it cannot connect).
    bool addBot();
    // The most recently added player leaves (false when there is none).
    bool removeBot();
    // Adds or removes players until `count` are in the room.
    void setCount(int count);
    int count() const { return int(bots.size()); }
    const QList<BotPlayer *> &players() const { return bots; }

    // Silences the players' chat (or lets them speak again), those to come too.
    void setQuiet(bool quiet);

    // Every player leaves cleanly; the room is then empty.
    void stopAll();

    // Told each player's local port when it starts connecting (true) and when
    // its connection has closed (false): a program that also runs the host
    // passes this on, so the host knows its own computer players.
    std::function<void(quint16 port, bool computer)> portHook;
    // Names of people the owner knows to be in the room, to keep clear of.
    std::function<QList<QByteArray>()> knownNames;

signals:
    void countChanged(int count);
    // The last player has gone (for instance because the host went away).
    void empty();

private:
    QByteArray freshName();
    void playerGone(BotPlayer *player);

    BotRoomConfig config;
    const Lexicon *lexicon;
    QList<BotPlayer *> bots;
    quint32 started = 0;
};
