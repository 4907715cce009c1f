// TSock: one TCP or UDP socket with an incoming and an outgoing byte
// buffer. A listener takes IPv6 and IPv4 peers at once; a connection tries
// every address its host name has, of either family, in turn. In non-blocking mode readiness
// arrives on the GUI thread through the Qt event loop and is reported through the On* events; the
// component never cuts the byte stream into messages (see framing.h).
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <stdexcept>

class QSocketNotifier;
class TSockStream;

enum TSocketType
{
    stStream = 0,
    stDatagram = 1
};
enum TLineBreak
{
    lbCRLF = 0,
    lbCR = 1,
    lbLF = 2,
    lbSmart = 3
};
enum class TSocketInfo
{
    Lookup = 0,
    Connect = 1,
    Close = 2,
    Listen = 3,
    Receive = 4,
    Send = 5,
    Accept = 6,
    Error = 7
};

// Every failure the component raises.
class ESockException : public std::runtime_error
{
public:
    explicit ESockException(const QString &message)
        : std::runtime_error(message.toStdString()), text(message)
    {
    }
    QString text;
};

class TSock;
using TNotifyEvent = std::function<void(TSock *sender)>;
using TNotifyReadEvent = std::function<void(TSock *sender, int count)>;
using TNotifyAutoEvent = std::function<void(TSock *sender, TSock *newSock)>;
using TNotifyInfoEvent =
    std::function<void(TSock *sender, TSocketInfo socketInfo, const QString &msg)>;

class TSock : public QObject
{
    Q_OBJECT
public:
    explicit TSock(QObject *owner = nullptr);
    ~TSock() override;

    // Properties, in their stored order.
    TSocketType SocketType() const { return socketType; }
    void setSocketType(TSocketType value);
    QString HostName() const { return hostName; }
    void setHostName(const QString &value);
    QString PortName() const { return portName; }
    void setPortName(const QString &value);
    bool Blocking() const { return blocking; }
    void setBlocking(bool value);
    bool AutoAccept() const { return autoAccept; }
    void setAutoAccept(bool value) { autoAccept = value; }
    bool Listen() const { return listening; }
    void setListen(bool value);
    TLineBreak LineBreak() const { return lineBreak; }
    void setLineBreak(TLineBreak value) { lineBreak = value; }
    int BlockingTimeout() const { return blockingTimeout; }
    void setBlockingTimeout(int seconds) { blockingTimeout = seconds; }

    // What a connection reports through OnInfo (kind Close) when it closes,
    // for whatever reason; owners free what belonged to it on this text.
    static constexpr QLatin1String InfoSocketClosed{"Socket Closed"};

    // The events; an unassigned one is skipped. A connected socket that is
    // destroyed closes first and reports "Socket Closed" through OnInfo, so
    // whatever that handler uses must outlive the socket (or the handler be
    // cleared first).
    TNotifyEvent OnConnect;
    TNotifyEvent OnDisconnect;
    TNotifyInfoEvent OnInfo;
    TNotifyReadEvent OnRead;
    TNotifyEvent OnWrite;
    TNotifyEvent OnAccept;
    TNotifyAutoEvent OnAutoAccept;

    bool Connected() const { return connected; }
    qint64 Tag() const { return tag; }
    void setTag(qint64 value) { tag = value; }

    bool Open();
    bool Close();
    bool Send(const QByteArray &text);
    QByteArray Receive();
    QByteArray ReceiveCount(int count);
    bool Accept(TSock *&NewSock);
    bool SendDatagram(const QByteArray &text, const QString &host);
    void ReceiveDatagram(QByteArray &text, QString &host);
    // The peer's address: dotted for IPv4 (an IPv4 peer of the dual-stack
    // listener included), the usual IPv6 text otherwise.
    QString RemoteAddress() const;
    // The peer's port of an accepted or connected socket (host byte order).
    quint16 RemotePort() const;
    // The first IPv4 address of the name (network byte order).
    quint32 HostLookup(const QString &name);
    // Every address of the name, either family, in the resolver's order:
    // dotted IPv4, an IPv6 address (bare or in brackets), or a host name.
    QList<QHostAddress> HostLookupAll(const QString &name);
    // Seam: what a name resolves to from now on, as if the resolver said so.
    static void rememberHost(const QString &name, const QList<QHostAddress> &addresses);
    // How long a connection attempt to one address may take before the next
    // address of the name is tried as well (the last one waits for the system).
    static constexpr int NextAddressMs = 3000;
    quint16 PortLookup(const QString &name);
    static QString ErrorName(int number);

    // The local port a listening socket is bound to (tests listen on port "0").
    quint16 LocalPort() const;
    TSockStream *Stream() const { return stream; }

    // The system's socket, -1 when there is none.
    qintptr Handle() const { return handle; }
    // Bytes received and not yet taken, and bytes Send has queued that the
    // system has not taken yet: what an owner looks at to bound a connection.
    qsizetype IncomingSize() const { return incoming.size(); }
    qsizetype OutgoingSize() const { return outgoing.size() - outgoingSent; }

    // At most this many bytes are taken from the system per read notification.
    static constexpr int ReadBlockSize = 32768;
    // Every connection probes a silent peer: after 30 s without traffic, every
    // 5 s, and six probes without an answer (or data unacknowledged for 60 s)
    // end it with an error report, so a peer that vanished without a close
    // leaves within about a minute.
    static constexpr int KeepAliveIdleSeconds = 30;
    static constexpr int KeepAliveIntervalSeconds = 5;
    static constexpr int KeepAliveProbes = 6;

    // Readiness events, numbered as Windows Sockets numbers them. The Qt event
    // loop delivers them through handleNotification; a test may deliver one
    // itself. An error number above 10000 is only reported.
    enum Event
    {
        EventRead = 1,
        EventWrite = 2,
        EventAccept = 8,
        EventConnect = 16,
        EventClose = 32
    };
    void handleNotification(int event, int error);

    // While a saved configuration is applied, Listen and Blocking are only
    // stored; Loaded() then applies the blocking mode and starts listening if
    // Listen was stored true.
    void beginLoading() { loading = true; }
    void Loaded();

    // Entries in the process-wide host cache.
    static int hostCacheSize();

private:
    friend class TSockStream;

    void info(TSocketInfo kind, const QString &message);
    void applyBlocking();
    void registerNotifications();
    void suspendNotifications();
    void dropNotifiers();
    void updateWriteNotifier();
    void readable();
    void writable();
    void finishConnect();
    // Starts connecting to the next untried address of the name: 0 or "in
    // progress" once one attempt is under way, else the last error number.
    int connectNext();
    // The attempt under way failed (or took too long): on to the next
    // address, or, after the last, the failure is reported.
    void connectFailed(int error);
    void readStream();
    void resumeAccepting();
    void acceptAutomatically();
    // Takes one waiting connection into a new child socket; a failure is
    // reported and yields nullptr.
    TSock *acceptWaiting();
    TSock *adopt(qintptr accepted);
    void releaseHandle();
    void consumeOut(qint64 count);
    int waitMilliseconds() const;
    void fireNotify(const TNotifyEvent &event);

    TSocketType socketType = stStream;
    QString hostName;
    QString portName;
    bool blocking = false;
    bool autoAccept = false;
    bool listening = false;
    TLineBreak lineBreak = lbSmart;
    int blockingTimeout = 0;
    bool connected = false;
    qint64 tag = 0;
    qintptr handle = -1;
    QByteArray incoming;
    // Bytes of `outgoing` before outgoingSent are already with the system.
    QByteArray outgoing;
    qsizetype outgoingSent = 0;
    QHostAddress destAddress;
    quint16 destPort = 0; // network byte order
    QHostAddress peerAddress{quint32(0)};
    quint16 peerPort = 0; // network byte order
    // The addresses Open tries in turn, and the one under way.
    QList<QHostAddress> candidates;
    qsizetype candidate = 0;
    class QTimer *nextAddressTimer = nullptr;
    bool loading = false;
    // A non-blocking connect is under way.
    bool connecting = false;
    // Readiness notifications are wanted (non-blocking mode or listening).
    bool notifying = false;
    // The connection failed or was reset; its handle stays until Close but
    // is no longer watched, or it would report readiness without end.
    bool broken = false;
    // The error a failed send took from the system, so that the end of the
    // connection is still reported as the reset it was.
    int sendError = 0;
    // Counts handles, so that a late notification for a closed one is dropped.
    quint64 generation = 0;
    QSocketNotifier *readNotifier = nullptr;
    QSocketNotifier *writeNotifier = nullptr;
    TSockStream *stream = nullptr;
};

// Closes a connection, or stops a listener, on a way out where nobody is left
// to hear about a failure: it never throws. A null socket is skipped.
void closeQuietly(TSock *sock);
