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

bool DiscoveryResponder::start(quint16 port)
{
    stop();
    socket = new QUdpSocket(this);
    if (!socket->bind(QHostAddress::AnyIPv4, port)) {
        lastError = socket->errorString();
        delete socket;
        socket = nullptr;
        return false;
    }
    connect(socket, &QUdpSocket::readyRead, this, &DiscoveryResponder::readPending);
    return true;
}

void DiscoveryResponder::stop()
{
    delete socket;
    socket = nullptr;
}

bool DiscoveryResponder::isActive() const
{
    return socket != nullptr;
}

quint16 DiscoveryResponder::port() const
{
    return socket ? socket->localPort() : 0;
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

void DiscoveryResponder::readPending()
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
