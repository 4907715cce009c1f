// TSock stream connections on 127.0.0.1: what the owners see of connecting,
// sending, receiving, closing and accepting, in the order they see it.
#include "net/tsock.h"
#include "tests/support/testsupport.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QTest>

#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <utility>

namespace {

using testsupport::kindName;
using testsupport::pattern;

// Everything a socket reported, in order: "Close: Socket Closed",
// "connect", "read 5", "write", "disconnect", "accept". The log is shared
// with the handlers, as a socket destroyed after its recorder still reports
// "Socket Closed".
struct Recorder
{
    std::shared_ptr<QStringList> log = std::make_shared<QStringList>();
    QStringList &events = *log;

    void watch(TSock *sock)
    {
        auto log = this->log;
        sock->OnInfo = [log](TSock *, TSocketInfo kind, const QString &msg) {
            *log << kindName(kind) + ": " + msg;
        };
        sock->OnConnect = [log](TSock *) { *log << QStringLiteral("connect"); };
        sock->OnDisconnect = [log](TSock *) { *log << QStringLiteral("disconnect"); };
        sock->OnRead = [log](TSock *, int count) { *log << QStringLiteral("read %1").arg(count); };
        sock->OnWrite = [log](TSock *) { *log << QStringLiteral("write"); };
    }
    // The events without the data-flow reports that come with every read and write.
    QStringList flow() const
    {
        QStringList kept;
        for (const QString &e : events) {
            if (e.startsWith("Receive: ") || e.startsWith("Send: ") || e.startsWith("read ") ||
                e == "write")
                continue;
            kept << e;
        }
        return kept;
    }
    int count(const QString &event) const { return int(events.count(event)); }
};

// A listener on a free port, and a way to connect to it and take the
// accepted end.
struct Loopback
{
    std::unique_ptr<TSock> listener = std::make_unique<TSock>();
    QList<QPointer<TSock>> accepted;

    Loopback()
    {
        listener->setPortName("0");
        listener->OnAccept = [this](TSock *sender) {
            TSock *sock = nullptr;
            if (sender->Accept(sock)) accepted << sock;
        };
        listener->setListen(true);
    }
    QString port() const { return QString::number(listener->LocalPort()); }

    // Opens `client` to this listener and waits for both ends.
    bool connect(TSock *client)
    {
        const int before = int(accepted.size());
        client->setHostName("127.0.0.1");
        client->setPortName(port());
        client->Open();
        return QTest::qWaitFor([&] { return client->Connected() && accepted.size() > before; },
                               5000);
    }
    TSock *last() const { return accepted.isEmpty() ? nullptr : accepted.last().data(); }
};

// Whether the socket asks the event loop about room to write: only while a
// connection is being made or bytes wait, or an idle socket would wake it
// again and again.
bool watchesWrites(TSock *sock)
{
    const auto notifiers = sock->findChildren<QSocketNotifier *>(Qt::FindDirectChildrenOnly);
    for (const QSocketNotifier *n : notifiers)
        if (n->type() == QSocketNotifier::Write && n->isEnabled()) return true;
    return false;
}

} // namespace

class TestTSock : public QObject
{
    Q_OBJECT

private slots:
    void openReportsLookupsThenConnect();
    void listenReportsPortLookupThenStarted();
    void textSentBeforeConnectLeavesAfterIt();
    void twoMessagesInOneWriteArriveTogether();
    void largeSendArrivesIntactAndInOrder();
    void orderlyCloseByPeer_data();
    void orderlyCloseByPeer();
    void resetByPeerIsOnlyAnError();
    void readNotificationWithNothingReceived();
    void receiveAfterClose();
    void connectRefused();
    void stopListening();
    void listenOnBusyPort();
    void listenerRebindsWhileOldConnectionsLinger();
    void acceptedSocketSetup();
    void misuseRaises_data();
    void misuseRaises();
    void handlerMayFreeSocket_data();
    void handlerMayFreeSocket();
    void destroyingClosesConnectionsAndChildren();
    void errorNotificationIsOnlyReported();
};

void TestTSock::openReportsLookupsThenConnect()
{
    Loopback host;
    TSock client;
    Recorder rec;
    rec.watch(&client);
    client.setHostName("127.0.0.1");
    client.setPortName(host.port());
    QVERIFY(!client.Open());
    QVERIFY(!client.Connected());
    QTRY_VERIFY(client.Connected());
    QCOMPARE(rec.flow(), QStringList({"Lookup: Lookup Of Port " + host.port(),
                                      "Lookup: Lookup Of Host 127.0.0.1",
                                      "Connect: Non-Blocking Socket Connected", "connect"}));
    // Opening again while the handle exists changes nothing.
    QVERIFY(client.Open());
    QCOMPARE(rec.flow().size(), 4);
    // The first write notification after the connect still comes, once.
    QTRY_COMPARE(rec.count("write"), 1);
}

void TestTSock::listenReportsPortLookupThenStarted()
{
    TSock listener;
    Recorder rec;
    rec.watch(&listener);
    listener.setPortName("0");
    listener.setListen(true);
    QVERIFY(listener.Listen());
    QVERIFY(listener.LocalPort() != 0);
    QCOMPARE(rec.events, QStringList({"Lookup: Lookup Of Port 0", "Listen: Listening Started"}));
    listener.setListen(true);
    QCOMPARE(rec.events.last(), QString("Listen: Listening Already Running"));
}

void TestTSock::textSentBeforeConnectLeavesAfterIt()
{
    Loopback host;
    QByteArray received;
    host.listener->OnRead = [&](TSock *sock, int) { received += sock->Receive(); };
    TSock client;
    Recorder rec;
    rec.watch(&client);
    client.setHostName("127.0.0.1");
    client.setPortName(host.port());
    client.Open();
    QVERIFY(client.Send("CMD_one+1\xFF"));
    QVERIFY(client.Send(QByteArray("CMD_two+\0+2\xFF", 11)));
    QVERIFY(!client.Connected());
    QTRY_COMPARE(received, QByteArray("CMD_one+1\xFF"
                                      "CMD_two+\0+2\xFF",
                                      21));
    QCOMPARE(client.OutgoingSize(), 0);
    // The queued text left with the write notification that followed the connect.
    const int connectAt = int(rec.events.indexOf("connect"));
    const int writeAt = int(rec.events.indexOf("write"));
    QVERIFY(connectAt >= 0 && writeAt > connectAt);
}

void TestTSock::twoMessagesInOneWriteArriveTogether()
{
    Loopback host;
    TSock client;
    QVERIFY(host.connect(&client));
    TSock *server = host.last();
    QByteArray received;
    int reads = 0;
    server->OnRead = [&](TSock *sock, int count) {
        QCOMPARE(count, int(sock->IncomingSize()));
        ++reads;
        received += sock->Receive();
    };
    client.Send(QByteArray("CMD_chat+1+hi\xFF"
                           "CMD_chat+2+ho\xFF"));
    QTRY_COMPARE(received, QByteArray("CMD_chat+1+hi\xFF"
                                      "CMD_chat+2+ho\xFF"));
    QVERIFY(reads >= 1);
}

void TestTSock::largeSendArrivesIntactAndInOrder()
{
    Loopback host;
    TSock client;
    QVERIFY(host.connect(&client));
    TSock *server = host.last();
    QByteArray received;
    int reads = 0;
    client.OnRead = [&](TSock *sock, int count) {
        QVERIFY(count <= int(sock->IncomingSize()));
        ++reads;
        received += sock->Receive();
    };
    int writes = 0;
    server->OnWrite = [&](TSock *) { ++writes; };
    QTRY_VERIFY(!watchesWrites(server) && !watchesWrites(&client));
    // A small send buffer, as on a slow link: the system takes the megabyte
    // in many pieces.
    const int sendBuffer = 16 * 1024;
    QCOMPARE(
        ::setsockopt(int(server->Handle()), SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer),
        0);
    const QByteArray data = pattern(1 << 20);
    server->Send(data.left(1000));
    server->Send(data.mid(1000));
    QVERIFY(server->OutgoingSize() > 0); // more than the system takes at once
    QVERIFY(watchesWrites(server));
    QTRY_COMPARE_WITH_TIMEOUT(received.size(), data.size(), 10000);
    QVERIFY(received == data);
    QCOMPARE(server->OutgoingSize(), 0);
    QVERIFY(writes >= 2);
    QTRY_VERIFY(!watchesWrites(server));
    // Nobody reads more than one block per notification.
    QVERIFY(reads >= data.size() / TSock::ReadBlockSize);
}

void TestTSock::orderlyCloseByPeer_data()
{
    QTest::addColumn<bool>("closeInHandler");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("component closes")
        << false << QStringList({"read 3", "disconnect", "Close: Socket Closed"});
    QTest::newRow("handler closes too")
        << true
        << QStringList({"read 3", "disconnect", "Close: Socket Closed", "Close: Socket Closed"});
}

void TestTSock::orderlyCloseByPeer()
{
    QFETCH(bool, closeInHandler);
    QFETCH(QStringList, expected);
    Loopback host;
    TSock client;
    QVERIFY(host.connect(&client));
    TSock *server = host.last();
    Recorder rec;
    rec.watch(server);
    if (closeInHandler)
        server->OnDisconnect = [log = rec.log](TSock *sock) {
            *log << "disconnect";
            sock->Close();
        };
    client.Send("bye");
    client.Close();
    QTRY_VERIFY(!server->Connected());
    QStringList seen;
    for (const QString &e : rec.events)
        if (!e.startsWith("Receive: ") && !e.startsWith("Send: ") && e != "write") seen << e;
    QCOMPARE(seen, expected);
    QCOMPARE(server->Receive(), QByteArray("bye"));
}

void TestTSock::resetByPeerIsOnlyAnError()
{
    Loopback host;
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, host.listener->LocalPort());
    QVERIFY(peer.waitForConnected(5000));
    QTRY_COMPARE(host.accepted.size(), 1);
    TSock *server = host.last();
    Recorder rec;
    rec.watch(server);
    // SO_LINGER with a zero time turns the close into a reset.
    const linger abortive{1, 0};
    QCOMPARE(::setsockopt(int(peer.socketDescriptor()), SOL_SOCKET, SO_LINGER, &abortive,
                          sizeof abortive),
             0);
    peer.abort();
    QTRY_VERIFY(rec.events.contains("Error: Error #10054 (WSAECONNRESET)"));
    QTest::qWait(50); // a socket still watched would go on reporting
    QCOMPARE(rec.flow(), QStringList({"Error: Error #10054 (WSAECONNRESET)"}));
    QVERIFY(server->Connected());
    // Sending into the dead connection neither ends the process nor reports:
    // the text stays queued.
    QVERIFY(server->Send("late"));
    QVERIFY(server->Send("later"));
    QCOMPARE(server->OutgoingSize(), 9);
    QCOMPARE(rec.flow(), QStringList({"Error: Error #10054 (WSAECONNRESET)"}));
    // The owner decides; a Close still works and reports as usual.
    server->Close();
    QCOMPARE(rec.events.last(), QString("Close: Socket Closed"));
}

void TestTSock::readNotificationWithNothingReceived()
{
    Loopback host;
    TSock client;
    QVERIFY(host.connect(&client));
    TSock *server = host.last();
    Recorder rec;
    rec.watch(server);
    server->handleNotification(TSock::EventRead, 0);
    QCOMPARE(rec.events, QStringList({"Receive: Non-Blocking Incoming Data", "read 0"}));

    client.Send("xyz");
    QTRY_COMPARE(server->IncomingSize(), 3);
    rec.events.clear();
    server->handleNotification(TSock::EventRead, 0);
    QCOMPARE(rec.events, QStringList({"Receive: Non-Blocking Incoming Data", "read 3"}));
}

void TestTSock::receiveAfterClose()
{
    Loopback host;
    TSock client;
    QVERIFY(host.connect(&client));
    TSock *server = host.last();
    client.Send("abc");
    QTRY_COMPARE(server->IncomingSize(), 3);
    server->Close();
    QCOMPARE(server->ReceiveCount(2), QByteArray("ab"));
    QCOMPARE(server->Receive(), QByteArray("c"));
    try {
        server->Receive();
        QFAIL("no exception");
    } catch (const ESockException &e) {
        QCOMPARE(e.text, QString("Receive - Socket Not Connected"));
    }
}

void TestTSock::connectRefused()
{
    // A port that was just free and is now closed again.
    quint16 port = 0;
    {
        TSock probe;
        probe.setPortName("0");
        probe.setListen(true);
        port = probe.LocalPort();
    }
    TSock client;
    Recorder rec;
    rec.watch(&client);
    client.setHostName("127.0.0.1");
    client.setPortName(QString::number(port));
    QVERIFY(!client.Open());
    QTRY_VERIFY(rec.events.contains("Error: Error #10061 (WSAECONNREFUSED)"));
    QTest::qWait(20);
    QVERIFY(!client.Connected());
    QCOMPARE(rec.flow(), QStringList({"Lookup: Lookup Of Port " + QString::number(port),
                                      "Lookup: Lookup Of Host 127.0.0.1",
                                      "Error: Error #10061 (WSAECONNREFUSED)"}));
    // The handle stays: Open does nothing until a Close.
    QVERIFY(!client.Open());
    QCOMPARE(rec.flow().size(), 3);
    QVERIFY(client.Close());
    QCOMPARE(rec.events.last(), QString("Close: Socket Closed"));

    // After the Close the same socket can connect once somebody listens.
    Loopback host;
    QVERIFY(host.connect(&client));
}

void TestTSock::stopListening()
{
    Loopback host;
    Recorder rec;
    rec.watch(host.listener.get());
    host.listener->setListen(false);
    QCOMPARE(rec.events, QStringList({"Close: Socket Closed", "Listen: Listening Stopped"}));
    QVERIFY(!host.listener->Listen());
    // Stopped means closed: nobody can connect any more.
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, quint16(host.port().toUInt()));
    QVERIFY(!peer.waitForConnected(5000));
}

void TestTSock::listenOnBusyPort()
{
    Loopback first;
    TSock second;
    second.setPortName(first.port());
    try {
        second.setListen(true);
        QFAIL("bind succeeded on a busy port");
    } catch (const ESockException &e) {
        QCOMPARE(e.text, QString("Listen - Error Binding Socket"));
    }
    QVERIFY(!second.Listen());
    try {
        second.setListen(true);
        QFAIL("second attempt without Close succeeded");
    } catch (const ESockException &e) {
        QCOMPARE(e.text, QString("Listen - Socket Already In Use"));
    }
    // Once the port is free and the handle released, listening works.
    first.listener->setListen(false);
    second.Close();
    second.setListen(true);
    QVERIFY(second.Listen());
}

void TestTSock::listenerRebindsWhileOldConnectionsLinger()
{
    auto host = std::make_unique<Loopback>();
    const QString port = host->port();
    TSock client;
    QVERIFY(host->connect(&client));
    // The host closes first, so its end of the connection lingers in TIME_WAIT.
    host->last()->Close();
    QTRY_VERIFY(!client.Connected());
    host.reset();

    TSock restarted;
    restarted.setPortName(port);
    restarted.setListen(true);
    QVERIFY(restarted.Listen());
    QCOMPARE(QString::number(restarted.LocalPort()), port);
}

void TestTSock::acceptedSocketSetup()
{
    QList<QPair<TSock *, QString>> infos; // outlives the sockets that report into it
    int reads = 0;
    TSock listener;
    listener.setPortName("0");
    listener.setBlockingTimeout(7);
    listener.OnInfo = [&](TSock *sender, TSocketInfo kind, const QString &msg) {
        infos << qMakePair(sender, kindName(kind) + ": " + msg);
    };
    listener.OnRead = [&](TSock *, int) { ++reads; };
    listener.OnWrite = [](TSock *) {};
    listener.OnDisconnect = [](TSock *) {};
    listener.OnConnect = [](TSock *) {};
    listener.OnAutoAccept = [](TSock *, TSock *) {};
    TSock *accepted = nullptr;
    listener.OnAccept = [&](TSock *sender) { QVERIFY(sender->Accept(accepted)); };
    listener.setListen(true);
    infos.clear();

    TSock client;
    client.setHostName("127.0.0.1");
    client.setPortName(QString::number(listener.LocalPort()));
    client.Open();
    QTRY_VERIFY(accepted && client.Connected());

    QCOMPARE(accepted->parent(), &listener);
    QVERIFY(accepted->Connected());
    QVERIFY(!accepted->Listen());
    QCOMPARE(accepted->HostName(), QString("127.0.0.1"));
    QCOMPARE(accepted->PortName(), QString("0"));
    QCOMPARE(accepted->RemoteAddress(), QString("127.0.0.1"));
    QCOMPARE(listener.RemoteAddress(), QString("127.0.0.1"));
    QCOMPARE(accepted->BlockingTimeout(), 7);
    QVERIFY(accepted->OnRead && accepted->OnWrite && accepted->OnDisconnect && accepted->OnInfo);
    QVERIFY(!accepted->OnConnect && !accepted->OnAccept && !accepted->OnAutoAccept);
    QCOMPARE(accepted->Tag(), 0);
    accepted->setTag(5);
    QCOMPARE(accepted->Tag(), 5);

    // The setup reports through the copied handler, with the new socket as sender.
    QStringList setup;
    for (const auto &[sender, text] : std::as_const(infos)) {
        if (text.startsWith("Send: ")) continue;
        setup << (sender == accepted    ? "new "
                  : sender == &listener ? "listener "
                                        : "other ") +
                     text;
    }
    QCOMPARE(setup, QStringList({"new Lookup: Setting PortName While Connected Has No Effect",
                                 "new Lookup: Setting HostName While Connected Has No Effect",
                                 "listener Accept: Created New TSock Structure"}));

    // Both ends probe a silent peer, so one that vanished leaves within a
    // minute, and send short messages without delay.
    for (TSock *end : {accepted, &client}) {
        int on = 0, idle = 0;
        socklen_t size = sizeof on;
        QCOMPARE(getsockopt(int(end->Handle()), SOL_SOCKET, SO_KEEPALIVE, &on, &size), 0);
        QCOMPARE(on, 1);
        size = sizeof idle;
        QCOMPARE(getsockopt(int(end->Handle()), IPPROTO_TCP, TCP_KEEPIDLE, &idle, &size), 0);
        QCOMPARE(idle, TSock::KeepAliveIdleSeconds);
        QCOMPARE(getsockopt(int(end->Handle()), IPPROTO_TCP, TCP_NODELAY, &on, &size), 0);
        QCOMPARE(on, 1);
    }

    client.Send("ping");
    QTRY_COMPARE(reads, 1);
    QCOMPARE(accepted->Receive(), QByteArray("ping"));
}

void TestTSock::misuseRaises_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("message");
    QTest::newRow("send unopened") << 0 << "Send - Socket Not Connected";
    QTest::newRow("send on listener") << 1 << "Send - Cannot Send On A Listener Socket";
    QTest::newRow("receive unopened") << 2 << "Receive - Socket Not Connected";
    QTest::newRow("receive on listener") << 3 << "Receive - Cannot Receive On A Listener Socket";
    QTest::newRow("accept unopened") << 4 << "Accept - Socket Not In Listening Mode";
    QTest::newRow("type while listening")
        << 5 << "SocketType - Can't Assign Socket Type While Listening";
    QTest::newRow("type while connected")
        << 6 << "SocketType - Can't Assign Socket Type While Connected";
    QTest::newRow("datagram send on stream")
        << 7 << "SendDatagram - Datagram Send Not Supported On Stream Sockets";
    QTest::newRow("datagram receive on stream")
        << 8 << "ReceiveDatagram - Datagram Receive Not Supported On Stream Sockets";
    QTest::newRow("datagram send unopened") << 9 << "SendDatagram - Socket Not Connected";
    QTest::newRow("datagram receive unopened") << 10 << "ReceiveDatagram - Socket Not Connected";
    QTest::newRow("datagram listen") << 11 << "Listen - Cannot Listen On A Datagram Socket";
    QTest::newRow("info handler raises") << 12 << "Error here";
}

void TestTSock::misuseRaises()
{
    QFETCH(int, action);
    QFETCH(QString, message);
    Loopback host;
    TSock client;
    QVERIFY(host.connect(&client));
    TSock fresh;
    QByteArray text;
    QString from;
    TSock *none = nullptr;
    try {
        switch (action) {
        case 0:
            fresh.Send("x");
            break;
        case 1:
            host.listener->Send("x");
            break;
        case 2:
            fresh.Receive();
            break;
        case 3:
            host.listener->Receive();
            break;
        case 4:
            fresh.Accept(none);
            break;
        case 5:
            host.listener->setSocketType(stDatagram);
            break;
        case 6:
            client.setSocketType(stDatagram);
            break;
        case 7:
            client.SendDatagram("x", "127.0.0.1");
            break;
        case 8:
            client.ReceiveDatagram(text, from);
            break;
        case 9:
            fresh.setSocketType(stDatagram);
            fresh.SendDatagram("x", "127.0.0.1");
            break;
        case 10:
            fresh.setSocketType(stDatagram);
            fresh.ReceiveDatagram(text, from);
            break;
        case 11:
            fresh.setSocketType(stDatagram);
            fresh.setListen(true);
            break;
        case 12:
            client.OnInfo = [](TSock *, TSocketInfo, const QString &) {
                throw std::runtime_error("owner failed");
            };
            client.setPortName("1");
            break;
        }
        QFAIL("no exception");
    } catch (const ESockException &e) {
        QCOMPARE(e.text, message);
        QCOMPARE(QString::fromStdString(e.what()), message);
    }
    QVERIFY(!fresh.Listen());
    // Close swallows what the handler raises.
    QVERIFY(client.Close());
}

void TestTSock::handlerMayFreeSocket_data()
{
    QTest::addColumn<QString>("event");
    QTest::addColumn<bool>("later");
    for (const char *event : {"read", "info", "disconnect", "write"}) {
        QTest::newRow(QByteArray(event) + " delete") << QString(event) << false;
        QTest::newRow(QByteArray(event) + " deleteLater") << QString(event) << true;
    }
}

void TestTSock::handlerMayFreeSocket()
{
    QFETCH(QString, event);
    QFETCH(bool, later);
    Loopback host;
    TSock client;
    QVERIFY(host.connect(&client));
    QPointer<TSock> server = host.last();
    auto drop = [later](TSock *sock) {
        if (later)
            sock->deleteLater();
        else
            delete sock;
    };
    bool armed = true;
    if (event == "read")
        server->OnRead = [&](TSock *sock, int) {
            if (std::exchange(armed, false)) drop(sock);
        };
    if (event == "info")
        server->OnInfo = [&](TSock *sock, TSocketInfo kind, const QString &) {
            if (kind == TSocketInfo::Receive && std::exchange(armed, false)) drop(sock);
        };
    if (event == "disconnect")
        server->OnDisconnect = [&](TSock *sock) {
            if (std::exchange(armed, false)) drop(sock);
        };
    if (event == "write") {
        server->OnWrite = [&](TSock *sock) {
            if (std::exchange(armed, false)) drop(sock);
        };
        server->Send(QByteArray(4 << 20, 'w')); // leaves a backlog: more write notifications
    }
    client.OnRead = [](TSock *sock, int) { sock->Receive(); };
    client.Send("data");
    if (event == "disconnect") client.Close();
    QTRY_VERIFY(server.isNull());
    QVERIFY(!armed);
    // The loop goes on without the socket.
    QTest::qWait(20);
}

void TestTSock::destroyingClosesConnectionsAndChildren()
{
    QStringList serverEvents;
    QStringList listenerEvents;
    QStringList pendingEvents;
    auto host = std::make_unique<Loopback>();
    TSock client;
    Recorder clientRec;
    QVERIFY(host->connect(&client));
    clientRec.watch(&client);
    QPointer<TSock> server = host->last();
    server->OnInfo = [&](TSock *, TSocketInfo kind, const QString &msg) {
        serverEvents << kindName(kind) + ": " + msg;
    };
    host->listener->OnInfo = [&](TSock *, TSocketInfo kind, const QString &msg) {
        listenerEvents << kindName(kind) + ": " + msg;
    };
    host.reset(); // the listener, and with it the accepted socket
    QVERIFY(server.isNull());
    QVERIFY(listenerEvents.isEmpty()); // a listener closes without "Socket Closed"
    QCOMPARE(serverEvents, QStringList({"Close: Socket Closed"}));
    QTRY_COMPARE(clientRec.flow(), QStringList({"disconnect", "Close: Socket Closed"}));

    // A socket still connecting is released without a report.
    {
        TSock pending;
        pending.setHostName("127.0.0.1");
        pending.setPortName("1");
        pending.Open();
        pending.OnInfo = [&](TSock *, TSocketInfo kind, const QString &msg) {
            pendingEvents << kindName(kind) + ": " + msg;
        };
    }
    QTest::qWait(20);
    QVERIFY(pendingEvents.isEmpty());
}

void TestTSock::errorNotificationIsOnlyReported()
{
    Loopback host;
    TSock client;
    QVERIFY(host.connect(&client));
    TSock *server = host.last();
    Recorder rec;
    rec.watch(server);
    for (int event : {TSock::EventRead, TSock::EventWrite, TSock::EventAccept, TSock::EventConnect,
                      TSock::EventClose})
        server->handleNotification(event, 10053);
    QCOMPARE(rec.events, QStringList(5, "Error: Error #10053 (WSAECONNABORTED)"));
    QVERIFY(server->Connected());
    rec.events.clear();
    server->handleNotification(TSock::EventClose, 0);
    QCOMPARE(rec.events, QStringList({"disconnect", "Close: Socket Closed"}));
}

QTEST_GUILESS_MAIN(TestTSock)
#include "tst_tsock.moc"
