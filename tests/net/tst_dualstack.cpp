// One listener for both address families, and connections that try every
// address a name has, in turn. Loopback only: ::1 and 127.0.0.1.
#include <QTcpServer>
#include <QtTest>
#include <memory>

#include "net/tsock.h"

namespace {

struct Reports
{
    QStringList infos;
    void watch(TSock &sock)
    {
        sock.OnInfo = [this](TSock *, TSocketInfo, const QString &m) { infos.append(m); };
    }
};

bool waitConnected(TSock &sock, Reports &r)
{
    return QTest::qWaitFor(
               [&] {
                   return sock.Connected() || r.infos.filter(QStringLiteral("Error #")).size() > 0;
               },
               5000) &&
           sock.Connected();
}

} // namespace

class TstDualStack : public QObject
{
    Q_OBJECT
private slots:
    void listenerTakesBothFamilies_data()
    {
        QTest::addColumn<QString>("hostName");
        QTest::addColumn<QString>("seenAs");
        QTest::newRow("IPv4") << "127.0.0.1"
                              << "127.0.0.1";
        QTest::newRow("bare IPv6") << "::1"
                                   << "::1";
        QTest::newRow("bracketed IPv6") << "[::1]"
                                        << "::1";
    }
    void listenerTakesBothFamilies()
    {
        QFETCH(QString, hostName);
        QFETCH(QString, seenAs);
        TSock listener;
        listener.setPortName("0");
        TSock *accepted = nullptr;
        listener.OnAccept = [&](TSock *s) { s->Accept(accepted); };
        listener.setListen(true);
        Reports r; // outlives the socket, whose close it still hears
        TSock client;
        r.watch(client);
        client.setHostName(hostName);
        client.setPortName(QString::number(listener.LocalPort()));
        client.Open();
        QVERIFY2(waitConnected(client, r), qPrintable(r.infos.join('|')));
        QVERIFY(QTest::qWaitFor([&] { return accepted != nullptr; }, 5000));
        std::unique_ptr<TSock> owned(accepted);
        // IPv4 peers of the IPv6 socket are shown in plain dotted form.
        QCOMPARE(accepted->RemoteAddress(), seenAs);
        QCOMPARE(accepted->HostName(), seenAs);
        client.Send("hello");
        QVERIFY(QTest::qWaitFor([&] { return accepted->IncomingSize() == 5; }, 5000));
    }

    // A name with both families: the address that answers is found whichever
    // comes first, and the one that refuses is passed over without a report.
    void triesEveryAddressInTurn_data()
    {
        QTest::addColumn<bool>("serverOnV6");
        QTest::addColumn<bool>("v6First");
        QTest::newRow("v4 room, v6 first") << false << true;
        QTest::newRow("v6 room, v4 first") << true << false;
    }
    void triesEveryAddressInTurn()
    {
        QFETCH(bool, serverOnV6);
        QFETCH(bool, v6First);
        QTcpServer server;
        QVERIFY(server.listen(serverOnV6 ? QHostAddress::LocalHostIPv6 : QHostAddress::LocalHost));
        QList<QHostAddress> both{QHostAddress(QHostAddress::LocalHostIPv6),
                                 QHostAddress(QHostAddress::LocalHost)};
        if (!v6First) std::reverse(both.begin(), both.end());
        const QString name = QStringLiteral("both-%1-%2.test").arg(serverOnV6).arg(v6First);
        TSock::rememberHost(name, both);
        Reports r; // outlives the socket, whose close it still hears
        TSock client;
        r.watch(client);
        client.setHostName(name);
        client.setPortName(QString::number(server.serverPort()));
        client.Open();
        QVERIFY(waitConnected(client, r));
        QVERIFY(r.infos.filter(QStringLiteral("Error #")).isEmpty());
        QVERIFY(server.hasPendingConnections() || server.waitForNewConnection(5000));
    }

    void lastRefusalIsTheOneReported()
    {
        QTcpServer probe; // a port nobody listens on once the probe is gone
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close();
        TSock::rememberHost(
            QStringLiteral("nobody.test"),
            {QHostAddress(QHostAddress::LocalHostIPv6), QHostAddress(QHostAddress::LocalHost)});
        Reports r; // outlives the socket, whose close it still hears
        TSock client;
        r.watch(client);
        client.setHostName(QStringLiteral("nobody.test"));
        client.setPortName(QString::number(port));
        client.Open();
        QVERIFY(QTest::qWaitFor([&] { return !r.infos.filter("Error #").isEmpty(); }, 5000));
        QTest::qWait(50);
        QCOMPARE(r.infos.filter("Error #"), QStringList{"Error #10061 (WSAECONNREFUSED)"});
        QVERIFY(!client.Connected());
        QVERIFY(!r.infos.contains(TSock::InfoSocketClosed));
    }

    void lookupOfEitherFamily()
    {
        TSock sock;
        QCOMPARE(sock.HostLookupAll("[::1]"),
                 QList<QHostAddress>{QHostAddress(QHostAddress::LocalHostIPv6)});
        QCOMPARE(sock.HostLookupAll("127.0.0.1"),
                 QList<QHostAddress>{QHostAddress(QHostAddress::LocalHost)});
        // The real resolver: localhost has at least its IPv4 address.
        QVERIFY(sock.HostLookupAll("localhost").contains(QHostAddress(QHostAddress::LocalHost)));
        TSock::rememberHost(QStringLiteral("v6only.test"), {QHostAddress("2001:db8::7")});
        QCOMPARE(sock.HostLookupAll("V6ONLY.test").first().toString(), QString("2001:db8::7"));
        // The IPv4 lookup of a name without IPv4 finds nothing.
        QVERIFY_THROWS_EXCEPTION(ESockException, sock.HostLookup("v6only.test"));
        for (const char *bad : {"::zz", "[::1", "1.2.3.x", "fe80::1::2"})
            QVERIFY_THROWS_EXCEPTION(ESockException, sock.HostLookupAll(QString::fromLatin1(bad)));
    }
};

QTEST_GUILESS_MAIN(TstDualStack)
#include "tst_dualstack.moc"
