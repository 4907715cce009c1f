#include "net/discoveryresponder.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QUdpSocket>

DiscoveryResponder::DiscoveryResponder(std::function<discovery::RoomFacts()> roomFacts,
                                       QObject *parent)
    : QObject(parent), facts(std::move(roomFacts))
{
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    clock = [started] { return started->elapsed(); };
}

DiscoveryResponder::~DiscoveryResponder() = default;

QUdpSocket *DiscoveryResponder::bindOn(quint16 port, bool share)
{
    // Broadcasts reach every socket that shares the port; a unicast query
    // reaches only one of them, which is why each room keeps its own port too.
    const QUdpSocket::BindMode mode = share
                                          ? QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint
                                          : QUdpSocket::DefaultForPlatform;
    auto *s = new QUdpSocket(this);
    // IPv6 and IPv4 on one socket; IPv4 alone where the system has no IPv6.
    if (!s->bind(QHostAddress::Any, port, mode) && !s->bind(QHostAddress::AnyIPv4, port, mode)) {
        lastError = s->errorString();
        delete s;
        return nullptr;
    }
    connect(s, &QUdpSocket::readyRead, this, [this, s] { readPending(s); });
    return s;
}

bool DiscoveryResponder::start(quint16 port, quint16 sharedPort)
{
    stop();
    if (sharedPort != 0) shared = bindOn(sharedPort, true);
    if (port != sharedPort || !shared) socket = bindOn(port, false);
    if (socket || shared) lastError.clear();
    return socket || shared;
}

void DiscoveryResponder::stop()
{
    delete socket;
    socket = nullptr;
    delete shared;
    shared = nullptr;
}

bool DiscoveryResponder::isActive() const
{
    return socket || shared;
}

quint16 DiscoveryResponder::port() const
{
    if (socket) return socket->localPort();
    return shared ? shared->localPort() : 0;
}

quint16 DiscoveryResponder::sharedPort() const
{
    return shared ? shared->localPort() : 0;
}

QByteArray DiscoveryResponder::answerFor(const QByteArray &datagram)
{
    if (!discovery::isQuery(datagram)) {
        ++dropped;
        return QByteArray();
    }
    ++seen;
    // One fixed window a second, for every sender together: spoofed senders
    // cannot share out more answers than that between them.
    const qint64 now = clock();
    if (!windowOpen || now - windowStart >= 1000 || now < windowStart) {
        windowOpen = true;
        windowStart = now;
        inWindow = 0;
    }
    if (inWindow >= MaxAnswersPerSecond) {
        ++dropped;
        return QByteArray();
    }
    ++inWindow;
    ++answered;
    return discovery::encodeAnswer(facts ? facts() : discovery::RoomFacts());
}

void DiscoveryResponder::readPending(QUdpSocket *socket)
{
    while (socket && socket->hasPendingDatagrams()) {
        const qint64 size = socket->pendingDatagramSize();
        QHostAddress sender;
        quint16 senderPort = 0;
        if (size < 0 || size > discovery::MaxQueryBytes) {
            // Read into nothing: an oversized datagram is dropped whole.
            socket->readDatagram(nullptr, 0);
            ++dropped;
            continue;
        }
        QByteArray datagram(qMax<qint64>(size, 1), '\0');
        const qint64 got =
            socket->readDatagram(datagram.data(), datagram.size(), &sender, &senderPort);
        if (got < 0) break;
        datagram.truncate(int(got));
        if (senderPort == 0 || sender.isNull()) {
            ++dropped;
            continue;
        }
        const QByteArray answer = answerFor(datagram);
        if (!answer.isEmpty()) socket->writeDatagram(answer, sender, senderPort);
    }
}
