// Finding rooms: the datagrams, and hosts answering a finder over loopback.
#include <QProcess>
#include <QTest>
#include <QUdpSocket>
#include <memory>

#include "host/hostoptions.h"
#include "host/roomfacts.h"
#include "host/tserver.h"
#include "net/discovery.h"
#include "net/discoveryresponder.h"
#include "net/roomfinder.h"
#include "quibversion.h"
#include "tserverprobe.h"

namespace {
// A real host with a responder, both on the same port number.
struct Room
{
    explicit Room(const QString &rating)
    {
        QVERIFY(server.startListening(QStringLiteral("0")));
        QVERIFY(responder.start(server.listeningPort()));
        ratingText = rating;
    }
    TServer server;
    QString ratingText;
    DiscoveryResponder responder{[this] { return roomFacts(server, ratingText); }};
};

RoomFinder::Target loopback(quint16 port)
{
    return {QHostAddress(QHostAddress::LocalHost), port};
}
} // namespace

class TestDiscovery : public QObject
{
    Q_OBJECT

private slots:
    void answers_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<bool>("valid");
        const QByteArray good =
            "QUIBBLETON!1\nversion=" QUIB_VERSION "\nport=7772\nhost=Ann\nrating=e\n"
            "players=3\nspies=1\ngame=1";
        QTest::newRow("good") << good << true;
        QTest::newRow("unknown key kept out") << good + "\nlater=x" << true;
        QTest::newRow("later protocol") << QByteArray(good).replace("!1", "!7") << true;
        QTest::newRow("field missing") << QByteArray(good).replace("\ngame=1", "") << false;
        QTest::newRow("field twice") << good + "\nspies=1" << false;
        QTest::newRow("13 players") << QByteArray(good).replace("players=3", "players=13") << false;
        QTest::newRow("4 spies") << QByteArray(good).replace("spies=1", "spies=4") << false;
        QTest::newRow("port 0") << QByteArray(good).replace("port=7772", "port=0") << false;
        QTest::newRow("port too big")
            << QByteArray(good).replace("port=7772", "port=70000") << false;
        QTest::newRow("signed number")
            << QByteArray(good).replace("players=3", "players=-3") << false;
        QTest::newRow("game flag") << QByteArray(good).replace("game=1", "game=yes") << false;
        QTest::newRow("wrong head")
            << QByteArray(good).replace("QUIBBLETON!", "QUIBBLETON?") << false;
        QTest::newRow("line without =") << good + "\nnoise" << false;
        QTest::newRow("oversized") << good + "\nx=" + QByteArray(600, 'x') << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void answers()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(bool, valid);
        const auto facts = discovery::decodeAnswer(datagram);
        QCOMPARE(facts.has_value(), valid);
        if (valid) {
            QCOMPARE(facts->hostName, QStringLiteral("Ann"));
            QCOMPARE(facts->players, 3);
            QVERIFY(facts->gameRunning);
        }
    }

    void hostileTextsStayOneSmallAnswer()
    {
        discovery::RoomFacts facts;
        facts.hostName = QString(300, QChar(0x00E9)) + "\nport=1";
        facts.version = QUIB_VERSION "\nspies=3";
        facts.rating = "adult";
        const QByteArray answer = discovery::encodeAnswer(facts);
        QVERIFY(answer.size() <= discovery::MaxAnswerBytes);
        const auto back = discovery::decodeAnswer(answer);
        QVERIFY(back.has_value());
        QCOMPARE(back->port, quint16(7772));
        QCOMPARE(back->spies, 0);
        QCOMPARE(back->rating, QString());
        QVERIFY(back->hostName.startsWith(QString(64, QChar(0x00E9))));
    }

    void twoHostsFoundAndAClosedOneDropsOff()
    {
        Room ann(QStringLiteral("e"));
        Room bob(QStringLiteral("a"));
        TServerProbe(ann.server).addTestPlayer(1, "Ann");
        TServerProbe(ann.server).addTestPlayer(2, "Cy");
        TServerProbe(ann.server).addTestPlayer(13, "Spy");
        TServerProbe(bob.server).addTestPlayer(1, "Bob");
        TServerProbe(bob.server).setGameRunning(true);

        RoomFinder finder;
        finder.setTargets(
            {loopback(ann.server.listeningPort()), loopback(bob.server.listeningPort())});
        QVERIFY(finder.start(0));
        QTRY_COMPARE(finder.rooms().size(), 2);
        const auto rooms = finder.rooms(); // sorted by name
        const discovery::RoomFacts &a = rooms[0].facts;
        const discovery::RoomFacts &b = rooms[1].facts;
        QCOMPARE(a.hostName, QStringLiteral("Ann"));
        QCOMPARE(a.rating, QStringLiteral("e"));
        QCOMPARE(a.players, 2);
        QCOMPARE(a.spies, 1);
        QVERIFY(!a.gameRunning);
        QCOMPARE(a.port, ann.server.listeningPort());
        QCOMPARE(a.version, QStringLiteral(QUIB_VERSION));
        QCOMPARE(rooms[0].address, QHostAddress(QHostAddress::LocalHost));
        QCOMPARE(b.hostName, QStringLiteral("Bob"));
        QCOMPARE(b.rating, QStringLiteral("a"));
        QVERIFY(b.gameRunning);

        // Bob closes: after the rounds it may miss, it is gone; Ann stays.
        bob.responder.stop();
        bob.server.closeAll();
        for (int i = 0; i <= RoomFinder::MissedRounds; ++i) {
            const quint64 before = ann.responder.answersSent();
            finder.query();
            QTRY_VERIFY(ann.responder.answersSent() > before);
            QTRY_VERIFY(finder.rooms().size() >= 1 &&
                        finder.find(rooms[0].address, a.port)->seenRound == finder.round());
        }
        QCOMPARE(finder.rooms().size(), 1);
        QCOMPARE(finder.rooms()[0].facts.hostName, QStringLiteral("Ann"));
    }

    void garbageAndOversizedDatagramsAreIgnored()
    {
        Room room(QString{});
        QUdpSocket peer;
        QVERIFY(peer.bind(QHostAddress::LocalHost, 0));
        const quint16 port = room.responder.port();
        const QList<QByteArray> junk = {"",
                                        "hello",
                                        "QUIBBLETON?",
                                        "QUIBBLETON?x",
                                        "QUIBBLETON?0",
                                        QByteArray(4000, '\xFF'),
                                        "QUIBBLETON?1" + QByteArray(100, ' ')};
        for (const QByteArray &d : junk)
            peer.writeDatagram(d, QHostAddress::LocalHost, port);
        peer.writeDatagram(discovery::encodeQuery(), QHostAddress::LocalHost, port);
        QTRY_COMPARE(room.responder.queriesSeen(), quint64(1));
        QTRY_COMPARE(room.responder.ignored(), quint64(junk.size()));
        QTRY_VERIFY(peer.hasPendingDatagrams());
        QByteArray answer(1024, '\0');
        answer.truncate(int(peer.readDatagram(answer.data(), answer.size())));
        QVERIFY(discovery::decodeAnswer(answer).has_value());
        QVERIFY(room.server.listeningPort() != 0); // the host plays on
    }

    void floodIsAnsweredAtAFixedRate()
    {
        Room room(QString{});
        qint64 now = 5000;
        room.responder.setClock([&now] { return now; });
        QUdpSocket peer;
        QVERIFY(peer.bind(QHostAddress::LocalHost, 0));
        const int flood = 3 * DiscoveryResponder::MaxAnswersPerSecond;
        for (int i = 0; i < flood; ++i)
            peer.writeDatagram(discovery::encodeQuery(), QHostAddress::LocalHost,
                               room.responder.port());
        QTRY_COMPARE(room.responder.queriesSeen(), quint64(flood));
        QCOMPARE(room.responder.answersSent(), quint64(DiscoveryResponder::MaxAnswersPerSecond));
        int received = 0;
        auto drain = [&] {
            while (peer.hasPendingDatagrams()) {
                peer.readDatagram(nullptr, 0);
                ++received;
            }
            return received;
        };
        QTRY_COMPARE(drain(), DiscoveryResponder::MaxAnswersPerSecond);

        // The next second answers again.
        now += 1000;
        QVERIFY(!room.responder.answerFor(discovery::encodeQuery()).isEmpty());
        now += 10;
        for (int i = 1; i < DiscoveryResponder::MaxAnswersPerSecond; ++i)
            QVERIFY(!room.responder.answerFor(discovery::encodeQuery()).isEmpty());
        QVERIFY(room.responder.answerFor(discovery::encodeQuery()).isEmpty());
    }

    void dedicatedHostAnswersUnlessTold_data()
    {
        QTest::addColumn<bool>("discovery");
        QTest::newRow("answers") << true;
        QTest::newRow("--no-discovery") << false;
    }
    void dedicatedHostAnswersUnlessTold()
    {
        QFETCH(bool, discovery);
        const QString exe = QCoreApplication::applicationDirPath() + "/../quibbleton-host";
        QStringList args{"--port", "0", "--rating", "e"};
        if (!discovery) args << "--no-discovery";
        QProcess host;
        host.start(exe, args);
        QVERIFY(host.waitForStarted());
        QVERIFY(host.waitForReadyRead(5000));
        // The first line; the browser links may come in the same read.
        const QByteArray line = host.readAllStandardOutput().split('\n').first().trimmed();
        const quint16 port = quint16(line.mid(line.lastIndexOf(' ') + 1).toUInt());
        QVERIFY(port != 0);

        // A responder of our own on another port answers the same round, so
        // "no answer" from the host is seen after an answer that did come.
        Room witness(QString{});
        RoomFinder finder;
        finder.setTargets({loopback(port), loopback(witness.server.listeningPort())});
        QVERIFY(finder.start(0));
        if (discovery) {
            QTRY_VERIFY(finder.find(QHostAddress(QHostAddress::LocalHost), port));
            const RoomFinder::Room *room = finder.find(QHostAddress(QHostAddress::LocalHost), port);
            QCOMPARE(room->facts.rating, QStringLiteral("e"));
            QCOMPARE(room->facts.players, 0);
            QCOMPARE(room->facts.hostName, QString());
        } else {
            QTRY_VERIFY(
                finder.find(QHostAddress(QHostAddress::LocalHost), witness.server.listeningPort()));
            QVERIFY(!finder.find(QHostAddress(QHostAddress::LocalHost), port));
        }
        host.terminate();
        QVERIFY(host.waitForFinished(5000));
    }

    void hostOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("discovery");
        QTest::addColumn<QString>("rating");
        QTest::newRow("defaults") << QStringList{} << true << true << "";
        QTest::newRow("no discovery") << QStringList{"--no-discovery"} << true << false << "";
        QTest::newRow("family") << QStringList{"--rating", "e"} << true << true << "e";
        QTest::newRow("not rated") << QStringList{"--rating=n"} << true << true << "";
        QTest::newRow("bad rating") << QStringList{"--rating", "x"} << false << true << "";
    }
    void hostOptions()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, ok);
        QFETCH(bool, discovery);
        QFETCH(QString, rating);
        HostOptions o;
        QString error;
        const auto got = parseHostOptions(QStringList{"quibbleton-host"} + args, o, error);
        QCOMPARE(got == HostOptionsResult::Run, ok);
        if (!ok) return;
        QCOMPARE(o.discovery, discovery);
        QCOMPARE(o.rating, rating);
    }
};

QTEST_GUILESS_MAIN(TestDiscovery)
#include "tests/host/tserverprobe.h"
#include "tst_discovery.moc"
