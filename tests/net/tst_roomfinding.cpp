// Rooms on any game port found through one shared discovery port, and a
// finder that one hostile neighbour cannot fill. Loopback only.
#include <QUdpSocket>
#include <QtTest>
#include <memory>

#include "net/discoveryresponder.h"
#include "net/roomfinder.h"
#include "quibversion.h"

namespace {

quint16 freeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

QByteArray answer(quint16 port)
{
    discovery::RoomFacts facts;
    facts.hostName = QStringLiteral("Eve");
    facts.port = port;
    facts.version = QStringLiteral(QUIB_VERSION);
    return discovery::encodeAnswer(facts);
}

} // namespace

class TstRoomFinding : public QObject
{
    Q_OBJECT
private slots:
    void roomsOnAnyPortShareOneDiscoveryPort()
    {
        const quint16 shared = freeUdpPort();
        // One room on the shared port itself, two on ports of their own.
        const QList<quint16> gamePorts{shared, freeUdpPort(), freeUdpPort()};
        std::vector<std::unique_ptr<DiscoveryResponder>> rooms;
        for (quint16 port : gamePorts) {
            rooms.push_back(std::make_unique<DiscoveryResponder>([port] {
                discovery::RoomFacts f;
                f.port = port;
                f.version = QStringLiteral(QUIB_VERSION);
                return f;
            }));
            QVERIFY2(rooms.back()->start(port, shared), qPrintable(rooms.back()->error()));
            QCOMPARE(rooms.back()->sharedPort(), shared);
        }
        RoomFinder finder;
        // The loopback network's broadcast: rooms of this machine without any
        // other network.
        finder.setTargets({{QHostAddress(QStringLiteral("127.255.255.255")), shared}});
        QVERIFY(finder.start(0));
        QVERIFY(QTest::qWaitFor([&] { return finder.rooms().size() == 3; }, 5000));
        for (quint16 port : gamePorts)
            QVERIFY(finder.find(QHostAddress::LocalHost, port));
        // Each room still answers on its own game port, for a finder that
        // asks there.
        RoomFinder direct;
        direct.setTargets({{QHostAddress(QHostAddress::LocalHost), gamePorts[2]}});
        QVERIFY(direct.start(0));
        QVERIFY(QTest::qWaitFor([&] { return direct.rooms().size() == 1; }, 5000));
    }

    void oneNeighbourCannotFillTheList()
    {
        RoomFinder finder;
        const QHostAddress hostile(QStringLiteral("192.0.2.66"));
        for (int i = 0; i < 64; ++i)
            finder.takeAnswer(answer(quint16(20000 + i)), hostile);
        QCOMPARE(finder.rooms().size(), RoomFinder::MaxRoomsPerAddress);
        // Known rooms of that address keep being refreshed; real rooms elsewhere
        // still get in.
        finder.takeAnswer(answer(20000), hostile);
        finder.takeAnswer(answer(7772), QHostAddress(QStringLiteral("192.0.2.10")));
        QCOMPARE(finder.rooms().size(), RoomFinder::MaxRoomsPerAddress + 1);
        QVERIFY(finder.find(QHostAddress(QStringLiteral("192.0.2.10")), 7772));
    }

    void thisMachineIsListedOnce()
    {
        RoomFinder finder;
        finder.takeAnswer(answer(8000), QHostAddress(QHostAddress::LocalHost));
        finder.takeAnswer(answer(8000), QHostAddress(QHostAddress::LocalHostIPv6));
        finder.takeAnswer(answer(8000), QHostAddress(QStringLiteral("::ffff:127.0.0.1")));
        QCOMPARE(finder.rooms().size(), 1);
        QCOMPARE(finder.rooms().first().address, QHostAddress(QHostAddress::LocalHost));
    }
};

QTEST_GUILESS_MAIN(TstRoomFinding)
#include "tst_roomfinding.moc"
