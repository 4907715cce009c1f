// TSock beyond the game's own use: name and port lookups, error names,
// datagrams, blocking mode, automatic accepting, the stream adapter and
// deferred configuration.
#include "net/sockplatform.h"
#include "net/tsock.h"
#include "net/tsockstream.h"
#include "tests/support/testsupport.h"

#include <QAtomicInt>
#include <QMutex>
#include <QPointer>
#include <QTest>
#include <QThread>
#include <QUdpSocket>
#include <QtEndian>

#include <cerrno>
#include <memory>
#include <sys/socket.h>
#include <tuple>

namespace {

using testsupport::kindName;

// The reports of a socket, in order. The log is shared with the handlers,
// as a socket destroyed after the caller's variables still reports "Socket Closed".
std::shared_ptr<QStringList> record(TSock *sock)
{
    auto log = std::make_shared<QStringList>();
    sock->OnInfo = [log](TSock *, TSocketInfo kind, const QString &msg) {
        *log << kindName(kind) + ": " + msg;
    };
    sock->OnConnect = [log](TSock *) { *log << QStringLiteral("connect"); };
    sock->OnDisconnect = [log](TSock *) { *log << QStringLiteral("disconnect"); };
    return log;
}

QString raised(const std::function<void()> &action)
{
    try {
        action();
    } catch (const ESockException &e) {
        return e.text;
    }
    return QString();
}

// A non-blocking listener on a free port that keeps what it accepts.
struct Listener
{
    std::unique_ptr<TSock> sock = std::make_unique<TSock>();
    QList<QPointer<TSock>> accepted;
    Listener()
    {
        sock->setPortName("0");
        sock->OnAccept = [this](TSock *sender) {
            TSock *created = nullptr;
            if (sender->Accept(created)) accepted << created;
        };
        sock->setListen(true);
    }
    QString port() const { return QString::number(sock->LocalPort()); }
};

// Opens a datagram socket on a port that is free for UDP.
bool openDatagram(TSock &sock)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        QUdpSocket probe;
        if (!probe.bind(QHostAddress::AnyIPv4, 0)) continue;
        const quint16 port = probe.localPort();
        probe.close();
        sock.setPortName(QString::number(port));
        if (sock.Open()) return true;
        sock.Close();
    }
    return false;
}

} // namespace

class TestTSockModes : public QObject
{
    Q_OBJECT

private slots:
    void errorNames_data();
    void errorNames();
    void systemErrors_data();
    void systemErrors();
    void hostLookup_data();
    void hostLookup();
    void hostCacheIgnoresLetterCase();
    void portLookup_data();
    void portLookup();
    void datagramOpenAndLoopback();
    void datagramFromAnotherSocket();
    void datagramNotificationWaitsForReceive();
    void blockingConnectSendReceive();
    void blockingConnectRefused();
    void blockingReceiveAfterReset();
    void switchingModesOnAConnection();
    void autoAcceptNonBlockingCallsDirectly();
    void autoAcceptBlockingRunsOnAThread();
    void streamAdapter();
    void streamAdapterKeepsSurplus();
    void loadingDefersListen();
};

void TestTSockModes::errorNames_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("name");
    const QList<QPair<int, const char *>> rows = {
        {10004, "WSAEINTR"},           {10009, "WSAEBADF"},        {10013, "WSAEACCES"},
        {10014, "WSAEFAULT"},          {10022, "WSAEINVAL"},       {10024, "WSAEMFILE"},
        {10035, "WSAEWOULDBLOCK"},     {10036, "WSAEINPROGRESS"},  {10037, "WSAEALREADY"},
        {10038, "WSAENOTSOCK"},        {10039, "WSAEDESTADDRREQ"}, {10040, "WSAEMSGSIZE"},
        {10041, "WSAEPROTOTYPE"},      {10042, "WSAENOPROTOOPT"},  {10043, "WSAEPROTONOSUPPORT"},
        {10044, "WSAESOCKTNOSUPPORT"}, {10045, "WSAEOPNOTSUPP"},   {10046, "WSAEPFNOSUPPORT"},
        {10047, "WSAEAFNOSUPPORT"},    {10048, "WSAEADDRINUSE"},   {10049, "WSAEADDRNOTAVAIL"},
        {10050, "WSAENETDOWN"},        {10051, "WSAENETUNREACH"},  {10052, "WSAENETRESET"},
        {10053, "WSAECONNABORTED"},    {10054, "WSAECONNRESET"},   {10055, "WSAENOBUFS"},
        {10056, "WSAEISCONN"},         {10057, "WSAENOTCONN"},     {10058, "WSAESHUTDOWN"},
        {10059, "WSAETOOMANYREFS"},    {10060, "WSAETIMEDOUT"},    {10061, "WSAECONNREFUSED"},
        {10062, "WSAELOOP"},           {10063, "WSAENAMETOOLONG"}, {10064, "WSAEHOSTDOWN"},
        {10065, "WSAEHOSTUNREACH"},    {10066, "WSAENOTEMPTY"},    {10067, "WSAEPROCLIM"},
        {10068, "WSAEUSERS"},          {10069, "WSAEDQUOT"},       {10070, "WSAESTALE"},
        {10071, "WSAEREMOTE"},         {10091, "WSASYSNOTREADY"},  {10092, "WSAVERNOTSUPPORTED"},
        {10093, "WSANOTINITIALISED"},  {10101, "WSAEDISCON"},      {11001, "WSAHOST_NOT_FOUND"},
        {11002, "WSATRY_AGAIN"},       {11003, "WSANO_RECOVERY"},  {11004, "WSANO_DATA"},
    };
    QCOMPARE(rows.size(), 51);
    for (const auto &[number, name] : rows)
        QTest::newRow(name) << number << QString::fromLatin1(name);
    for (int unknown : {0, -1, 10000, 10001, 10034, 10072, 10090, 10094, 10100, 11000, 11005})
        QTest::newRow(qPrintable(QString::number(unknown))) << unknown << "UNKNOWN ERROR";
}

void TestTSockModes::errorNames()
{
    QFETCH(int, number);
    QFETCH(QString, name);
    QCOMPARE(TSock::ErrorName(number), name);
}

// System errors become the numbers the reports are worded with; those the
// table does not list get a number that names no error.
void TestTSockModes::systemErrors_data()
{
    QTest::addColumn<int>("native");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("name");
    const QList<std::tuple<const char *, int, int, const char *>> rows = {
        {"none", 0, 0, "UNKNOWN ERROR"},
        {"EINTR", EINTR, 10004, "WSAEINTR"},
        {"EAGAIN", EAGAIN, 10035, "WSAEWOULDBLOCK"},
        {"EWOULDBLOCK", EWOULDBLOCK, 10035, "WSAEWOULDBLOCK"},
        {"EINPROGRESS", EINPROGRESS, 10036, "WSAEINPROGRESS"},
        {"ECONNRESET", ECONNRESET, 10054, "WSAECONNRESET"},
        {"EPIPE", EPIPE, 10058, "WSAESHUTDOWN"},
        {"ECONNREFUSED", ECONNREFUSED, 10061, "WSAECONNREFUSED"},
        {"EREMOTE", EREMOTE, 10071, "WSAEREMOTE"},
        {"unlisted below 35", ENOENT, 10000 + ENOENT, "UNKNOWN ERROR"},
        {"unlisted above 35", EPROTO, 11000 + EPROTO, "UNKNOWN ERROR"},
    };
    for (const auto &[row, native, number, name] : rows)
        QTest::newRow(row) << native << number << QString::fromLatin1(name);
}

void TestTSockModes::systemErrors()
{
    QFETCH(int, native);
    QFETCH(int, number);
    QFETCH(QString, name);
    QCOMPARE(sockplatform::mapError(native), number);
    QCOMPARE(TSock::ErrorName(number), name);
}

void TestTSockModes::hostLookup_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<quint32>("address"); // host byte order; 0 when the lookup fails
    QTest::newRow("dotted") << "127.0.0.1" << 0x7F000001u;
    QTest::newRow("dotted other") << "10.1.2.254" << 0x0A0102FEu;
    QTest::newRow("name") << "localhost" << 0x7F000001u;
    QTest::newRow("unknown name") << "no-such-host.invalid" << 0u;
    QTest::newRow("bad dotted") << "1.2.3.999" << 0u;
    QTest::newRow("digit first, not dotted") << "3com-host" << 0u;
    QTest::newRow("empty") << "" << 0u;
    QTest::newRow("embedded zero") << QString("127.0.0.1") + QChar(0) + "x" << 0u;
}

void TestTSockModes::hostLookup()
{
    QFETCH(QString, name);
    QFETCH(quint32, address);
    TSock sock;
    const auto log = record(&sock);
    QStringList &events = *log;
    quint32 found = 0;
    const QString error = raised([&] { found = sock.HostLookup(name); });
    QCOMPARE(events, QStringList({"Lookup: Lookup Of Host " + name}));
    if (address == 0) {
        QCOMPARE(error, QString("Host Lookup - Could Not Find Host Entry"));
    } else {
        QCOMPARE(error, QString());
        QCOMPARE(qFromBigEndian(found), address);
    }
}

void TestTSockModes::hostCacheIgnoresLetterCase()
{
    TSock sock;
    const int before = TSock::hostCacheSize();
    const quint32 lower = sock.HostLookup("localhost");
    const int cached = TSock::hostCacheSize();
    QVERIFY(cached == before || cached == before + 1);
    QCOMPARE(sock.HostLookup("LOCALHOST"), lower);
    QCOMPARE(sock.HostLookup("LocalHost"), lower);
    QCOMPARE(TSock::hostCacheSize(), cached);
    // Dotted addresses are never cached.
    sock.HostLookup("192.168.7.7");
    QCOMPARE(TSock::hostCacheSize(), cached);
    // The cache is the process's, not the socket's.
    TSock other;
    QCOMPARE(other.HostLookup("LOCALHOST"), lower);
    QCOMPARE(TSock::hostCacheSize(), cached);
}

void TestTSockModes::portLookup_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("datagram");
    QTest::addColumn<int>("port"); // -1 when the lookup fails
    QTest::newRow("number") << "80" << false << 80;
    QTest::newRow("game port") << "7772" << false << 7772;
    QTest::newRow("zero") << "0" << false << 0;
    QTest::newRow("highest") << "65535" << false << 65535;
    QTest::newRow("service") << "http" << false << 80;
    QTest::newRow("udp service") << "domain" << true << 53;
    QTest::newRow("unknown service") << "no-such-service" << false << -1;
    QTest::newRow("too large") << "99999" << false << -1;
    QTest::newRow("digits then text") << "80x" << false << -1;
    QTest::newRow("empty") << "" << false << -1;
}

void TestTSockModes::portLookup()
{
    QFETCH(QString, name);
    QFETCH(bool, datagram);
    QFETCH(int, port);
    TSock sock;
    if (datagram) sock.setSocketType(stDatagram);
    const auto log = record(&sock);
    QStringList &events = *log;
    quint16 found = 0;
    const QString error = raised([&] { found = sock.PortLookup(name); });
    QCOMPARE(events, QStringList({"Lookup: Lookup Of Port " + name}));
    if (port < 0) {
        QCOMPARE(error, QString("Port Lookup - Could Not Find Service Entry"));
    } else {
        QCOMPARE(error, QString());
        QCOMPARE(int(qFromBigEndian(found)), port);
    }
}

void TestTSockModes::datagramOpenAndLoopback()
{
    TSock sock;
    sock.setSocketType(stDatagram);
    QVERIFY(openDatagram(sock));
    const auto log = record(&sock);
    QStringList &events = *log;
    QList<QPair<QByteArray, QString>> received;
    sock.OnRead = [&](TSock *sender, int count) {
        QCOMPARE(count, 0);
        QByteArray text;
        QString host;
        sender->ReceiveDatagram(text, host);
        received << qMakePair(text, host);
    };
    // A datagram socket sends to its own port on the named host: here itself.
    QVERIFY(sock.SendDatagram("ping", "127.0.0.1"));
    QTRY_COMPARE(received.size(), 1);
    QCOMPARE(received[0].first, QByteArray("ping"));
    QCOMPARE(received[0].second, QString("127.0.0.1"));
    QCOMPARE(sock.RemoteAddress(), QString("127.0.0.1"));
    QCOMPARE(sock.HostName(), QString("127.0.0.1"));
    QCOMPARE(events, QStringList({"Lookup: Lookup Of Host 127.0.0.1"}));

    // Send goes to HostName; Receive returns the text without the sender.
    sock.OnRead = nullptr;
    QVERIFY(sock.Send(QByteArray("two\0bytes", 9)));
    sock.setBlockingTimeout(5);
    QCOMPARE(sock.Receive(), QByteArray("two\0bytes", 9));
    // Nothing waiting and no time to wait: both results empty.
    sock.setBlockingTimeout(0);
    QByteArray text = "old";
    QString host = "old";
    sock.ReceiveDatagram(text, host);
    QVERIFY(text.isEmpty() && host.isEmpty());

    QVERIFY(sock.Close());
    QVERIFY(!sock.Connected());
}

void TestTSockModes::datagramFromAnotherSocket()
{
    TSock sock;
    sock.setSocketType(stDatagram);
    const auto log = record(&sock);
    QStringList &events = *log;
    QVERIFY(openDatagram(sock));
    QCOMPARE(events, QStringList({"Lookup: Lookup Of Port " + sock.PortName(),
                                  "Connect: Datagram Socket Connected", "connect"}));
    QByteArray text;
    QString host;
    sock.OnRead = [&](TSock *sender, int) { sender->ReceiveDatagram(text, host); };
    QUdpSocket peer;
    peer.writeDatagram("hello", QHostAddress::LocalHost, quint16(sock.PortName().toUInt()));
    QTRY_COMPARE(text, QByteArray("hello"));
    QCOMPARE(host, QString("127.0.0.1"));
}

void TestTSockModes::datagramNotificationWaitsForReceive()
{
    TSock sock;
    sock.setSocketType(stDatagram);
    QVERIFY(openDatagram(sock));
    int reads = 0;
    sock.OnRead = [&](TSock *, int) { ++reads; };
    sock.SendDatagram("one", "127.0.0.1");
    QTRY_COMPARE(reads, 1);
    // Until the datagram is taken there is no further notification.
    QTest::qWait(50);
    QCOMPARE(reads, 1);
    QByteArray text;
    QString host;
    sock.ReceiveDatagram(text, host);
    QCOMPARE(text, QByteArray("one"));
    sock.SendDatagram("two", "127.0.0.1");
    QTRY_COMPARE(reads, 2);
}

void TestTSockModes::blockingConnectSendReceive()
{
    Listener host;
    QByteArray atHost;
    host.sock->OnRead = [&](TSock *sender, int) { atHost += sender->Receive(); };
    TSock client;
    const auto log = record(&client);
    QStringList &events = *log;
    client.setBlocking(true);
    client.setBlockingTimeout(5);
    client.setHostName("127.0.0.1");
    client.setPortName(host.port());
    QVERIFY(client.Open());
    QCOMPARE(events, QStringList({"Lookup: Lookup Of Port " + host.port(),
                                  "Lookup: Lookup Of Host 127.0.0.1",
                                  "Connect: Blocking Socket Connected", "connect"}));
    QTRY_COMPARE(host.accepted.size(), 1);
    TSock *server = host.accepted.last();

    events.clear();
    QVERIFY(client.Send("hello"));
    QCOMPARE(events, QStringList({"Send: Blocking Outgoing Data"}));
    QTRY_COMPARE(atHost, QByteArray("hello"));

    // No data and no time to wait: an empty result, nothing reported.
    client.setBlockingTimeout(0);
    events.clear();
    QCOMPARE(client.Receive(), QByteArray());
    QVERIFY(events.isEmpty());

    server->Send("reply");
    client.setBlockingTimeout(5);
    QCOMPARE(client.ReceiveCount(2), QByteArray("re"));
    QCOMPARE(client.Receive(), QByteArray("ply"));
    QCOMPARE(events,
             QStringList({"Receive: Blocking Incoming Data", "Receive: Blocking Incoming Data"}));

    // The peer closing shows up in the receive that reads nothing.
    events.clear();
    server->Close();
    QCOMPARE(client.Receive(), QByteArray());
    QCOMPARE(events, QStringList({"Receive: Blocking Incoming Data",
                                  "Close: Socket Disconnected On Receive", "Close: Socket Closed",
                                  "disconnect"}));
    QVERIFY(!client.Connected());
}

void TestTSockModes::blockingConnectRefused()
{
    quint16 port = 0;
    {
        Listener gone;
        port = gone.sock->LocalPort();
    }
    TSock client;
    const auto log = record(&client);
    QStringList &events = *log;
    client.setBlocking(true);
    client.setHostName("127.0.0.1");
    client.setPortName(QString::number(port));
    QVERIFY(!client.Open());
    QCOMPARE(events, QStringList({"Lookup: Lookup Of Port " + QString::number(port),
                                  "Lookup: Lookup Of Host 127.0.0.1",
                                  "Close: Blocking Socket Can't Connect", "Close: Socket Closed"}));
    QVERIFY(!client.Connected());
}

void TestTSockModes::blockingReceiveAfterReset()
{
    Listener host;
    TSock client;
    client.setBlocking(true);
    client.setBlockingTimeout(5);
    client.setHostName("127.0.0.1");
    client.setPortName(host.port());
    QVERIFY(client.Open());
    QTRY_COMPARE(host.accepted.size(), 1);
    TSock *server = host.accepted.last();
    const linger abortive{1, 0};
    QCOMPARE(::setsockopt(int(server->Handle()), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive),
             0);
    server->Close();
    const auto log = record(&client);
    QStringList &events = *log;
    QCOMPARE(raised([&] { client.Receive(); }), QString("Receive - Socket Error WSAECONNRESET"));
    QCOMPARE(events,
             QStringList({"Receive: Blocking Incoming Data", "Error: Socket Error On Receive"}));
    // Sending into the reset connection fails loudly in blocking mode.
    events.clear();
    QCOMPARE(raised([&] { client.Send("late"); }), QString("Send - Socket Error"));
    QCOMPARE(events, QStringList({"Error: Socket Error On Send"}));
}

void TestTSockModes::switchingModesOnAConnection()
{
    Listener host;
    TSock client;
    client.setHostName("127.0.0.1");
    client.setPortName(host.port());
    client.Open();
    QTRY_VERIFY(client.Connected() && host.accepted.size() == 1);
    int reads = 0;
    client.OnRead = [&](TSock *, int) { ++reads; };
    client.setBlocking(true);
    host.accepted.last()->Send("quiet");
    QTest::qWait(50);
    QCOMPARE(reads, 0); // a blocking socket is not watched
    client.setBlocking(false);
    QTRY_COMPARE(reads, 1);
    QCOMPARE(client.Receive(), QByteArray("quiet"));
}

void TestTSockModes::autoAcceptNonBlockingCallsDirectly()
{
    TSock listener;
    listener.setPortName("0");
    listener.setAutoAccept(true);
    int accepts = 0;
    listener.OnAccept = [&](TSock *) { ++accepts; };
    QThread *calledOn = nullptr;
    QPointer<TSock> created;
    listener.OnAutoAccept = [&](TSock *sender, TSock *newSock) {
        QCOMPARE(sender, &listener);
        calledOn = QThread::currentThread();
        created = newSock;
    };
    listener.setListen(true);
    TSock client;
    client.setHostName("127.0.0.1");
    client.setPortName(QString::number(listener.LocalPort()));
    client.Open();
    QTRY_VERIFY(created);
    QCOMPARE(calledOn, QThread::currentThread());
    QCOMPARE(accepts, 0);
    QCOMPARE(created->parent(), &listener);
    QVERIFY(created->Connected());
    QCOMPARE(created->HostName(), QString("127.0.0.1"));

    // Without a handler the owner is asked to accept.
    listener.OnAutoAccept = nullptr;
    TSock second;
    second.setHostName("127.0.0.1");
    second.setPortName(QString::number(listener.LocalPort()));
    second.Open();
    QTRY_COMPARE(accepts, 1);
}

void TestTSockModes::autoAcceptBlockingRunsOnAThread()
{
    // Declared first: the handler's thread may run until the listener goes.
    QMutex mutex;
    QThread *calledOn = nullptr;
    QByteArray got;
    QAtomicInt done = 0;
    TSock listener;
    listener.setPortName("0");
    listener.setBlocking(true);
    listener.setBlockingTimeout(5);
    listener.setAutoAccept(true);
    listener.OnAutoAccept = [&](TSock *, TSock *newSock) {
        const QByteArray text = newSock->ReceiveCount(-1);
        newSock->Send("pong:" + text);
        QMutexLocker lock(&mutex);
        calledOn = QThread::currentThread();
        got = text;
        done = 1;
    };
    listener.setListen(true);
    TSock client;
    client.setHostName("127.0.0.1");
    client.setPortName(QString::number(listener.LocalPort()));
    QByteArray reply;
    client.OnRead = [&](TSock *sender, int) { reply += sender->Receive(); };
    client.Open();
    client.Send("ping");
    QTRY_COMPARE(reply, QByteArray("pong:ping"));
    QTRY_VERIFY(done.loadAcquire() == 1);
    QMutexLocker lock(&mutex);
    QVERIFY(calledOn != nullptr);
    QVERIFY(calledOn != QThread::currentThread());
    QCOMPARE(got, QByteArray("ping"));
}

void TestTSockModes::streamAdapter()
{
    Listener host;
    TSock client;
    client.setHostName("127.0.0.1");
    client.setPortName(host.port());
    client.Open();
    QTRY_VERIFY(client.Connected() && host.accepted.size() == 1);
    TSock *server = host.accepted.last();

    TSockStream *out = server->Stream();
    QVERIFY(out->isOpen() && out->isSequential());
    QCOMPARE(out->write("abcdef"), 6);
    QTRY_COMPARE(client.IncomingSize(), 6);
    TSockStream *in = client.Stream();
    QCOMPARE(in->bytesAvailable(), 6);
    QCOMPARE(in->read(4), QByteArray("abcd"));
    QCOMPARE(in->read(10), QByteArray("ef"));
    QCOMPARE(in->read(1), QByteArray());
    QVERIFY(!in->seek(3));

    client.Close();
    char byte = 0;
    QCOMPARE(in->read(&byte, 1), -1);
    QCOMPARE(in->errorString(), QString("Receive - Socket Not Connected"));
    QCOMPARE(in->write("x"), -1);
    QCOMPARE(in->errorString(), QString("Send - Socket Not Connected"));
}

void TestTSockModes::streamAdapterKeepsSurplus()
{
    Listener host;
    TSock client;
    client.setHostName("127.0.0.1");
    client.setPortName(host.port());
    client.Open();
    QTRY_VERIFY(client.Connected() && host.accepted.size() == 1);
    TSock *server = host.accepted.last();
    server->Send("abc");
    QTRY_COMPARE(client.IncomingSize(), 3);
    client.setBlocking(true);
    client.setBlockingTimeout(5);
    server->Send("def");
    // The blocking receive returns everything buffered; the adapter hands
    // out what was asked for and keeps the rest in order.
    QCOMPARE(client.Stream()->read(2), QByteArray("ab"));
    QByteArray rest = client.Receive();
    while (rest.size() < 4)
        rest += client.Receive();
    QCOMPARE(rest, QByteArray("cdef"));
}

void TestTSockModes::loadingDefersListen()
{
    TSock sock;
    const auto log = record(&sock);
    QStringList &events = *log;
    sock.beginLoading();
    sock.setPortName("0");
    sock.setBlocking(false);
    sock.setListen(true);
    QVERIFY(sock.Listen());
    QCOMPARE(sock.LocalPort(), 0);
    QVERIFY(events.isEmpty());
    sock.Loaded();
    QCOMPARE(events, QStringList({"Lookup: Lookup Of Port 0", "Listen: Listening Started"}));
    QVERIFY(sock.LocalPort() != 0);
}

QTEST_GUILESS_MAIN(TestTSockModes)
#include "tst_tsockmodes.moc"
