// DiscoveryResponder: answers room finders' queries with the room's public
// facts, one small datagram per query, from a UDP socket on the game's port
// number and, shared with every other room of the machine, one on the
// discovery port (7772) where finders broadcast. Both take IPv6 and IPv4.
// Malformed and oversized datagrams are dropped unanswered, and no flood of
// queries makes it send more than MaxAnswersPerSecond answers.
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

    // Binds UDP `port` on every address, and, when `sharedPort` is not 0,
    // that port too, shared with the other rooms of the machine (a room on
    // the shared port itself binds it once, shared). False (with error())
    // when neither could be bound; the room plays on without being found.
    bool start(quint16 port, quint16 sharedPort = 0);
    void stop();
    bool isActive() const;
    quint16 port() const;
    // The shared discovery port, 0 when none is bound.
    quint16 sharedPort() const;
    QString error() const { return lastError; }

    // Seam: milliseconds on a monotonic clock, for the rate limit.
    void setClock(std::function<qint64()> now) { clock = std::move(now); }

    // The answer to one datagram, or nothing: not a query, or over the rate.
    QByteArray answerFor(const QByteArray &datagram);

    quint64 queriesSeen() const { return seen; }
    quint64 answersSent() const { return answered; }
    quint64 ignored() const { return dropped; }

private:
    void readPending(QUdpSocket *from);
    QUdpSocket *bindOn(quint16 port, bool shared);

    std::function<discovery::RoomFacts()> facts;
    std::function<qint64()> clock;
    QUdpSocket *socket = nullptr;
    QUdpSocket *shared = nullptr;
    QString lastError;
    qint64 windowStart = 0;
    int inWindow = 0;
    bool windowOpen = false;
    quint64 seen = 0;
    quint64 answered = 0;
    quint64 dropped = 0;
};
