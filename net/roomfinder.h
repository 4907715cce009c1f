// RoomFinder: asks for rooms on the local network and keeps the list of those
// that answer. Each round sends one query to every target (by default the
// broadcast address of each IPv4 network, the loopback network's for rooms
// on this machine, and IPv6's all-nodes group on each link; tests give
// loopback ports) and drops the rooms that have missed the last MissedRounds
// rounds. Answers from this machine's own addresses count as 127.0.0.1, so
// a room of this machine is listed once however the query reached it.
#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>

#include "net/discovery.h"

class QUdpSocket;

class RoomFinder : public QObject
{
    Q_OBJECT
public:
    struct Target
    {
        QHostAddress address;
        quint16 port = discovery::DefaultPort;
    };
    struct Room
    {
        QHostAddress address; // where the answer came from
        discovery::RoomFacts facts;
        quint64 seenRound = 0;
    };
    // A room that missed this many rounds in a row is gone.
    static constexpr int MissedRounds = 2;
    // A flood of forged answers cannot grow the list beyond this.
    static constexpr int MaxRooms = 64;
    // Nor can one neighbour take the list: further rooms of an address that
    // already has this many are not taken.
    static constexpr int MaxRoomsPerAddress = 4;
    static constexpr int DefaultIntervalMs = 3000;

    explicit RoomFinder(QObject *parent = nullptr);
    ~RoomFinder() override;

    void setTargets(const QList<Target> &targets) { queryTargets = targets; }
    QList<Target> targets() const { return queryTargets; }
    // The broadcast address of every IPv4 network this machine is on, the
    // limited broadcast address, 127.255.255.255 and ff02::1 on every link
    // that has IPv6, all at `port`.
    static QList<Target> lanTargets(quint16 port = discovery::DefaultPort);

    // Opens the finder's socket, sends a round now and then one every
    // `intervalMs` (0: only when query() is called). False when no socket.
    bool start(int intervalMs = DefaultIntervalMs);
    void stop();
    bool isActive() const { return socket != nullptr; }
    // One round: forget silent rooms, then send one query to every target.
    void query();
    // One query to a single address, outside the rounds.
    void queryOne(const QHostAddress &address, quint16 port);

    // Sorted by hosting player's name, then address and port.
    QList<Room> rooms() const;
    // The room that answered from `address` for game port `port`, if listed.
    const Room *find(const QHostAddress &address, quint16 port) const;
    quint64 round() const { return rounds; }

    // Seam: an answer as if it arrived from `from`.
    void takeAnswer(const QByteArray &datagram, const QHostAddress &from);

signals:
    void roomsChanged();

private:
    void readPending();
    QHostAddress keyFor(const QHostAddress &from) const;

    QUdpSocket *socket = nullptr;
    // This machine's own addresses, renewed each round.
    QList<QHostAddress> own;
    QTimer timer;
    QList<Target> queryTargets;
    QList<Room> found;
    quint64 rounds = 0;
};
