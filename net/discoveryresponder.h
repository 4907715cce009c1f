// DiscoveryResponder: answers room finders' queries with the room's public
// facts, one small datagram per query, from a UDP socket on the game's port
// number. Malformed and oversized datagrams are dropped unanswered, and no
// flood of queries makes it send more than MaxAnswersPerSecond answers.
#pragma once

#include <QObject>
#include <functional>

#include "net/discovery.h"

class QUdpSocket;

class DiscoveryResponder : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxAnswersPerSecond = 20;

    // `facts` is asked for the room's state at each answer.
    explicit DiscoveryResponder(std::function<discovery::RoomFacts()> facts,
                                QObject *parent = nullptr);
    ~DiscoveryResponder() override;

    // Binds UDP `port` on every IPv4 address; false (with error()) when it is
    // taken. The room plays on without being found then.
    bool start(quint16 port);
    void stop();
    bool isActive() const;
    quint16 port() const;
    QString error() const { return lastError; }

    // Seam: milliseconds on a monotonic clock, for the rate limit.
    void setClock(std::function<qint64()> now) { clock = std::move(now); }

    // The answer to one datagram, or nothing: not a query, or over the rate.
    QByteArray answerFor(const QByteArray &datagram);

    quint64 queriesSeen() const { return seen; }
    quint64 answersSent() const { return answered; }
    quint64 ignored() const { return dropped; }

private:
    void readPending();

    std::function<discovery::RoomFacts()> facts;
    std::function<qint64()> clock;
    QUdpSocket *socket = nullptr;
    QString lastError;
    qint64 windowStart = 0;
    int inWindow = 0;
    bool windowOpen = false;
    quint64 seen = 0;
    quint64 answered = 0;
    quint64 dropped = 0;
};
