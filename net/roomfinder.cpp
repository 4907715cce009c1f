#include "net/roomfinder.h"

#include <QNetworkInterface>
#include <QUdpSocket>
#include <algorithm>

namespace {
// Room keys compare v4-mapped and plain IPv4 addresses alike.
QHostAddress plain(const QHostAddress &address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : address;
}
} // namespace

RoomFinder::RoomFinder(QObject *parent) : QObject(parent), queryTargets(lanTargets())
{
    connect(&timer, &QTimer::timeout, this, &RoomFinder::query);
}

RoomFinder::~RoomFinder() = default;

QList<RoomFinder::Target> RoomFinder::lanTargets(quint16 port)
{
    QList<Target> result;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &nic : interfaces) {
        const auto flags = nic.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning) ||
            !(flags & QNetworkInterface::CanBroadcast) || (flags & QNetworkInterface::IsLoopBack))
            continue;
        bool linkV6 = false;
        for (const QNetworkAddressEntry &entry : nic.addressEntries()) {
            const QHostAddress broadcast = entry.broadcast();
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol && !broadcast.isNull())
                result.append({broadcast, port});
            if (entry.ip().protocol() == QAbstractSocket::IPv6Protocol && entry.ip().isLinkLocal())
                linkV6 = true;
        }
        if (linkV6 && (flags & QNetworkInterface::CanMulticast)) {
            QHostAddress allNodes(QStringLiteral("ff02::1"));
            allNodes.setScopeId(nic.name());
            result.append({allNodes, port});
        }
    }
    result.append({QHostAddress(QHostAddress::Broadcast), port});
    // Rooms on this machine, also when it has no network but loopback.
    result.append({QHostAddress(QStringLiteral("127.255.255.255")), port});
    return result;
}

QHostAddress RoomFinder::keyFor(const QHostAddress &from) const
{
    const QHostAddress key = plain(from);
    if (key.isLoopback() || own.contains(key)) return QHostAddress(QHostAddress::LocalHost);
    return key;
}

bool RoomFinder::start(int intervalMs)
{
    stop();
    socket = new QUdpSocket(this);
    if (!socket->bind(QHostAddress::Any, 0) && !socket->bind(QHostAddress::AnyIPv4, 0)) {
        delete socket;
        socket = nullptr;
        return false;
    }
    connect(socket, &QUdpSocket::readyRead, this, &RoomFinder::readPending);
    query();
    if (intervalMs > 0) timer.start(intervalMs);
    return true;
}

void RoomFinder::stop()
{
    timer.stop();
    delete socket;
    socket = nullptr;
}

void RoomFinder::query()
{
    ++rounds;
    const qsizetype before = found.size();
    found.erase(
        std::remove_if(found.begin(), found.end(),
                       [this](const Room &r) { return rounds - r.seenRound > MissedRounds; }),
        found.end());
    if (found.size() != before) emit roomsChanged();
    own.clear();
    for (const QHostAddress &a : QNetworkInterface::allAddresses())
        own.append(plain(a));
    if (!socket) return;
    const QByteArray datagram = discovery::encodeQuery();
    for (const Target &t : queryTargets)
        socket->writeDatagram(datagram, t.address, t.port);
}

void RoomFinder::queryOne(const QHostAddress &address, quint16 port)
{
    if (socket) socket->writeDatagram(discovery::encodeQuery(), address, port);
}

QList<RoomFinder::Room> RoomFinder::rooms() const
{
    QList<Room> list = found;
    std::sort(list.begin(), list.end(), [](const Room &a, const Room &b) {
        const int byName =
            QString::compare(a.facts.hostName, b.facts.hostName, Qt::CaseInsensitive);
        if (byName != 0) return byName < 0;
        if (a.address.toString() != b.address.toString())
            return a.address.toString() < b.address.toString();
        return a.facts.port < b.facts.port;
    });
    return list;
}

const RoomFinder::Room *RoomFinder::find(const QHostAddress &address, quint16 port) const
{
    const QHostAddress key = keyFor(address);
    for (const Room &r : found)
        if (r.address == key && r.facts.port == port) return &r;
    return nullptr;
}

void RoomFinder::takeAnswer(const QByteArray &datagram, const QHostAddress &from)
{
    const std::optional<discovery::RoomFacts> facts = discovery::decodeAnswer(datagram);
    if (!facts) return;
    const QHostAddress key = keyFor(from);
    int fromKey = 0;
    for (Room &r : found) {
        if (r.address == key && r.facts.port == facts->port) {
            const bool changed = !(r.facts == *facts);
            r.facts = *facts;
            r.seenRound = rounds;
            if (changed) emit roomsChanged();
            return;
        }
        if (r.address == key) ++fromKey;
    }
    if (found.size() >= MaxRooms || fromKey >= MaxRoomsPerAddress) return;
    found.append({key, *facts, rounds});
    emit roomsChanged();
}

void RoomFinder::readPending()
{
    while (socket && socket->hasPendingDatagrams()) {
        const qint64 size = socket->pendingDatagramSize();
        if (size < 0 || size > discovery::MaxAnswerBytes) {
            socket->readDatagram(nullptr, 0);
            continue;
        }
        QByteArray datagram(qMax<qint64>(size, 1), '\0');
        QHostAddress sender;
        const qint64 got = socket->readDatagram(datagram.data(), datagram.size(), &sender);
        if (got < 0) break;
        datagram.truncate(int(got));
        takeAnswer(datagram, sender);
    }
}
