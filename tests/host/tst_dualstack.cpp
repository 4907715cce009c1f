// One room, players over IPv6 and IPv4 loopback side by side.
#include <QtTest>

#include "host/tserver.h"
#include "net/commands.h"
#include "tests/support/testsupport.h"

using testsupport::LoopbackClient;

class TstHostDualStack : public QObject
{
    Q_OBJECT
private slots:
    void bothFamiliesJoinOneRoom()
    {
        TServer server;
        QVERIFY(server.startListening(QStringLiteral("0")));
        const QList<QHostAddress> from{QHostAddress(QHostAddress::LocalHostIPv6),
                                       QHostAddress(QHostAddress::LocalHost)};
        const QList<QByteArray> names{"Ann", "Bob"};
        std::vector<std::unique_ptr<LoopbackClient>> clients;
        QList<int> seats;
        for (int i = 0; i < 2; ++i) {
            clients.push_back(std::make_unique<LoopbackClient>());
            LoopbackClient &c = *clients.back();
            c.socket.connectToHost(from[i], server.listeningPort());
            QVERIFY(c.socket.waitForConnected(5000));
            const QByteArray reply = c.waitFor(cmd::CMD_sendlogininfo);
            QVERIFY(!reply.isEmpty());
            const int slot = reply.mid(int(qstrlen(cmd::CMD_sendlogininfo)) + 1).toInt();
            seats.append(slot);
            c.send(cmd::client::logininfo(slot, cmd::GameVersion, names[i]));
            QVERIFY(!c.waitFor("CMD_newplayerinfo+" + QByteArray::number(slot) + "+" + names[i])
                         .isEmpty());
        }
        QCOMPARE(seats, (QList<int>{1, 2}));
        // The IPv6 player hears of the IPv4 one: the same room.
        QVERIFY(!clients[0]->waitFor("CMD_newplayerinfo+2+Bob").isEmpty());
        QCOMPARE(server.peer(1).address, QString("::1"));
        QCOMPARE(server.peer(2).address, QString("127.0.0.1"));
    }
};

QTEST_GUILESS_MAIN(TstHostDualStack)
#include "tst_dualstack.moc"
