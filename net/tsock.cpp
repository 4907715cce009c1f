#include "net/tsock.h"

#include "net/sockerrors.h"
#include <QtEndian>

#include "net/sockplatform.h"
#include "net/tsockstream.h"
#include "net/tsockthread.h"

#include <QList>
#include <QMutex>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QtDebug>
#include <climits>

using sockplatform::InvalidHandle;

namespace {

// Reports through OnInfo.
const QString InfoLookupHost = QStringLiteral("Lookup Of Host ");
const QString InfoLookupPort = QStringLiteral("Lookup Of Port ");
const QString InfoHostWhileConnected =
    QStringLiteral("Setting HostName While Connected Has No Effect");
const QString InfoPortWhileConnected =
    QStringLiteral("Setting PortName While Connected Has No Effect");
const QString InfoNonBlockingConnected = QStringLiteral("Non-Blocking Socket Connected");
const QString InfoBlockingConnected = QStringLiteral("Blocking Socket Connected");
const QString InfoDatagramConnected = QStringLiteral("Datagram Socket Connected");
const QString InfoBlockingCantConnect = QStringLiteral("Blocking Socket Can't Connect");
const QString InfoDisconnectedOnReceive = QStringLiteral("Socket Disconnected On Receive");
const QString InfoListeningStarted = QStringLiteral("Listening Started");
const QString InfoListeningStopped = QStringLiteral("Listening Stopped");
const QString InfoListeningRunning = QStringLiteral("Listening Already Running");
const QString InfoNonBlockingIn = QStringLiteral("Non-Blocking Incoming Data");
const QString InfoBlockingIn = QStringLiteral("Blocking Incoming Data");
const QString InfoNonBlockingOut = QStringLiteral("Non-Blocking Outgoing Data");
const QString InfoBlockingOut = QStringLiteral("Blocking Outgoing Data");
const QString InfoBlockingAccept = QStringLiteral("Blocking Accept");
const QString InfoCouldNotAccept = QStringLiteral("Could Not Accept Connection");
const QString InfoCreatedNew = QStringLiteral("Created New TSock Structure");
const QString InfoSendError = QStringLiteral("Socket Error On Send");
const QString InfoReceiveError = QStringLiteral("Socket Error On Receive");

// Messages of ESockException.
const QString ErrStartup = QStringLiteral("WSAStartup - Could Not Initialize WinSock");
const QString ErrListenInUse = QStringLiteral("Listen - Socket Already In Use");
const QString ErrListenDatagram = QStringLiteral("Listen - Cannot Listen On A Datagram Socket");
const QString ErrListenBind = QStringLiteral("Listen - Error Binding Socket");
const QString ErrListenStart = QStringLiteral("Listen - Error Starting Listen");
const QString ErrTypeListening =
    QStringLiteral("SocketType - Can't Assign Socket Type While Listening");
const QString ErrTypeConnected =
    QStringLiteral("SocketType - Can't Assign Socket Type While Connected");
const QString ErrSendNotConnected = QStringLiteral("Send - Socket Not Connected");
const QString ErrSendOnListener = QStringLiteral("Send - Cannot Send On A Listener Socket");
const QString ErrSendSocket = QStringLiteral("Send - Socket Error");
const QString ErrReceiveNotConnected = QStringLiteral("Receive - Socket Not Connected");
const QString ErrReceiveOnListener =
    QStringLiteral("Receive - Cannot Receive On A Listener Socket");
const QString ErrReceiveSocket = QStringLiteral("Receive - Socket Error ");
const QString ErrSendDatagramNotConnected = QStringLiteral("SendDatagram - Socket Not Connected");
const QString ErrSendDatagramStream =
    QStringLiteral("SendDatagram - Datagram Send Not Supported On Stream Sockets");
const QString ErrReceiveDatagramNotConnected =
    QStringLiteral("ReceiveDatagram - Socket Not Connected");
const QString ErrReceiveDatagramStream =
    QStringLiteral("ReceiveDatagram - Datagram Receive Not Supported On Stream Sockets");
const QString ErrAcceptNotListening = QStringLiteral("Accept - Socket Not In Listening Mode");
const QString ErrHostNotFound = QStringLiteral("Host Lookup - Could Not Find Host Entry");
const QString ErrServiceNotFound = QStringLiteral("Port Lookup - Could Not Find Service Entry");
const QString ErrInfoHandler = QStringLiteral("Error here");

constexpr int ListenBacklog = 5;

// Every stream connection probes a silent peer and sends without delay.
void tuneConnection(qintptr handle)
{
    sockplatform::setKeepAlive(handle, TSock::KeepAliveIdleSeconds, TSock::KeepAliveIntervalSeconds,
                               TSock::KeepAliveProbes);
    sockplatform::setNoDelay(handle);
}
// Sent bytes are cut off the front of the outgoing buffer only in large
// pieces, so a long backlog is not moved again after every partial send.
constexpr qsizetype CompactThreshold = 64 * 1024;

struct HostEntry
{
    QString name;
    QList<QHostAddress> addresses;
};

// Shared by every TSock of the process and never pruned; the automatic
// accept thread may look names up as well.
QMutex hostCacheMutex;
QList<HostEntry> &hostCache()
{
    static QList<HostEntry> cache;
    return cache;
}

HostEntry *cachedHost(const QString &name)
{
    for (HostEntry &entry : hostCache())
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0) return &entry;
    return nullptr;
}

bool inProgress(int result)
{
    return result == sockplatform::ErrInProgress || result == sockplatform::ErrWouldBlock;
}

// Error numbers of an IPv6 socket on a system whose IPv6 is switched off.
bool noIpv6(int error)
{
    return error == 10047 || error == 10049;
}

bool startsWithDigit(const QString &name)
{
    return !name.isEmpty() && name.at(0) >= QLatin1Char('0') && name.at(0) <= QLatin1Char('9');
}

// OnRead's count is 32 bits wide; the buffer is not.
int countOf(const QByteArray &buffer)
{
    return int(qMin<qsizetype>(buffer.size(), INT_MAX));
}

QString errorReport(int error)
{
    return QStringLiteral("Error #%1 (%2)").arg(QString::number(error), TSock::ErrorName(error));
}

// The event loop cannot carry an exception further; say what was lost.
void warnEscaped(const std::exception &e)
{
    qWarning("TSock: %s", e.what());
}
void warnEscaped()
{
    qWarning("TSock: a handler raised an unknown exception");
}

} // namespace

TSock::TSock(QObject *owner) : QObject(owner)
{
    if (!sockplatform::startup()) throw ESockException(ErrStartup);
    stream = new TSockStream(this);
}

TSock::~TSock()
{
    // An automatic accept still running on its thread uses this listener.
    const auto threads = findChildren<TSockThread *>(Qt::FindDirectChildrenOnly);
    for (TSockThread *thread : threads)
        thread->wait();
    if (listening || connected)
        Close();
    else
        releaseHandle();
}

// ---- properties --------------------------------------------------------

void TSock::setSocketType(TSocketType value)
{
    if (!loading) {
        if (listening) throw ESockException(ErrTypeListening);
        if (connected) throw ESockException(ErrTypeConnected);
    }
    socketType = value;
}

void TSock::setHostName(const QString &value)
{
    if (connected && socketType == stStream) info(TSocketInfo::Lookup, InfoHostWhileConnected);
    hostName = value;
    if (connected && socketType == stDatagram)
        destAddress = sockplatform::fromNetwork(HostLookup(value));
}

void TSock::setPortName(const QString &value)
{
    if (connected) info(TSocketInfo::Lookup, InfoPortWhileConnected);
    portName = value;
}

void TSock::setBlocking(bool value)
{
    blocking = value;
    if (loading || handle == InvalidHandle) return;
    applyBlocking();
}

void TSock::setListen(bool value)
{
    if (loading) {
        listening = value;
        return;
    }
    if (handle != InvalidHandle && !listening) {
        listening = false;
        throw ESockException(ErrListenInUse);
    }
    if (socketType == stDatagram && value) {
        listening = false;
        throw ESockException(ErrListenDatagram);
    }
    const bool wasListening = listening;
    if (!value) {
        listening = false;
        Close();
        info(TSocketInfo::Listen, InfoListeningStopped);
        return;
    }
    if (wasListening) {
        info(TSocketInfo::Listen, InfoListeningRunning);
        return;
    }
    const quint16 port = PortLookup(portName);
    // One IPv6 socket that takes IPv4 peers too; plain IPv4 where the system
    // has no IPv6.
    qintptr created = sockplatform::openSocket(true, true);
    if (created != InvalidHandle && !sockplatform::setDualStack(created)) {
        sockplatform::closeSocket(created);
        created = InvalidHandle;
    }
    bool dualStack = created != InvalidHandle;
    if (!dualStack) created = sockplatform::openSocket(true, false);
    if (created == InvalidHandle) throw ESockException(ErrListenBind);
    handle = created;
    ++generation;
    broken = false;
    sockplatform::setReuseAddress(handle);
    destAddress = dualStack ? sockplatform::anyAddress6() : QHostAddress(QHostAddress::AnyIPv4);
    destPort = port;
    bool bound = sockplatform::bindSocket(handle, destAddress, destPort);
    if (!bound && dualStack && noIpv6(sockplatform::lastError())) {
        const qintptr v4 = sockplatform::openSocket(true, false);
        if (v4 != InvalidHandle) {
            sockplatform::closeSocket(handle);
            handle = v4;
            sockplatform::setReuseAddress(handle);
            destAddress = QHostAddress(QHostAddress::AnyIPv4);
            bound = sockplatform::bindSocket(handle, destAddress, destPort);
        }
    }
    // The handle stays on failure, as a Close is what releases it.
    if (!bound) throw ESockException(ErrListenBind);
    if (!sockplatform::listenSocket(handle, ListenBacklog)) throw ESockException(ErrListenStart);
    listening = true;
    // Watched only once it listens: an unbound socket reads as hung up.
    applyBlocking();
    info(TSocketInfo::Listen, InfoListeningStarted);
}

void TSock::Loaded()
{
    loading = false;
    applyBlocking();
    if (listening && handle == InvalidHandle) {
        listening = false;
        setListen(true);
    }
}

// ---- readiness -------------------------------------------------------------

void TSock::applyBlocking()
{
    if (handle == InvalidHandle) return;
    if (!blocking || listening) {
        registerNotifications();
    } else {
        notifying = false;
        suspendNotifications();
        sockplatform::setNonBlocking(handle, false);
    }
}

void TSock::registerNotifications()
{
    notifying = true;
    sockplatform::setNonBlocking(handle, true);
    if (broken) return;
    if (!readNotifier) {
        readNotifier = new QSocketNotifier(handle, QSocketNotifier::Read, this);
        connect(readNotifier, &QSocketNotifier::activated, this, &TSock::readable);
    }
    readNotifier->setEnabled(true);
    if (socketType == stStream && !listening) {
        if (!writeNotifier) {
            writeNotifier = new QSocketNotifier(handle, QSocketNotifier::Write, this);
            connect(writeNotifier, &QSocketNotifier::activated, this, &TSock::writable);
        }
        // One write notification when the connection is usable (or, while
        // connecting, when the attempt ends); later ones only while bytes wait.
        writeNotifier->setEnabled(true);
    } else if (writeNotifier) {
        writeNotifier->setEnabled(false);
    }
}

void TSock::suspendNotifications()
{
    if (readNotifier) readNotifier->setEnabled(false);
    if (writeNotifier) writeNotifier->setEnabled(false);
}

void TSock::dropNotifiers()
{
    // Disabled before the handle goes, deleted later: Close may run inside
    // one of their own notifications.
    for (QSocketNotifier *notifier : {readNotifier, writeNotifier}) {
        if (!notifier) continue;
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
    readNotifier = nullptr;
    writeNotifier = nullptr;
}

void TSock::updateWriteNotifier()
{
    if (!writeNotifier) return;
    const bool wanted = notifying && !broken && handle != InvalidHandle &&
                        (connecting || (connected && OutgoingSize() > 0 && sendError == 0));
    writeNotifier->setEnabled(wanted);
}

void TSock::resumeAccepting()
{
    if (readNotifier && listening && notifying && !broken) readNotifier->setEnabled(true);
}

void TSock::readable()
{
    try {
        if (handle == InvalidHandle || broken) return;
        if (listening || socketType == stDatagram) {
            // As with Windows Sockets, the next accept or datagram notification
            // comes after the owner has taken this one (Accept, ReceiveDatagram),
            // so an owner that leaves it waiting is not woken without end.
            readNotifier->setEnabled(false);
            handleNotification(listening ? EventAccept : EventRead, 0);
        } else if (connecting) {
            finishConnect();
        } else {
            handleNotification(EventRead, 0);
        }
    } catch (const std::exception &e) {
        warnEscaped(e);
    } catch (...) {
        warnEscaped();
    }
}

void TSock::writable()
{
    try {
        if (handle == InvalidHandle || broken) return;
        if (connecting) {
            finishConnect();
            return;
        }
        // A send that leaves bytes behind turns it on again.
        writeNotifier->setEnabled(false);
        handleNotification(EventWrite, 0);
    } catch (const std::exception &e) {
        warnEscaped(e);
    } catch (...) {
        warnEscaped();
    }
}

void TSock::finishConnect()
{
    const int error = sockplatform::pendingError(handle);
    if (error == 0 && !sockplatform::isWritable(handle)) return;
    if (error != 0) {
        connectFailed(error);
        return;
    }
    connecting = false;
    if (nextAddressTimer) nextAddressTimer->stop();
    // The write notifier stays on: its first notification after the connect
    // sends whatever was queued meanwhile.
    handleNotification(EventConnect, 0);
}

int TSock::connectNext()
{
    int last = 10049;
    while (candidate < candidates.size()) {
        const QHostAddress address = candidates.at(candidate);
        if (handle != InvalidHandle) {
            // Quietly: the connection is still being made, only elsewhere.
            dropNotifiers();
            sockplatform::closeSocket(handle);
            handle = InvalidHandle;
        }
        const qintptr created =
            sockplatform::openSocket(true, address.protocol() == QAbstractSocket::IPv6Protocol);
        if (created == InvalidHandle) {
            last = sockplatform::lastError();
            ++candidate;
            continue;
        }
        handle = created;
        tuneConnection(handle);
        ++generation;
        broken = false;
        destAddress = address;
        applyBlocking();
        const int result = sockplatform::connectSocket(handle, address, destPort);
        if (result == 0 || (!blocking && inProgress(result))) {
            if (!blocking && candidate + 1 < candidates.size()) {
                if (!nextAddressTimer) {
                    nextAddressTimer = new QTimer(this);
                    nextAddressTimer->setSingleShot(true);
                    connect(nextAddressTimer, &QTimer::timeout, this, [this] {
                        try {
                            if (connecting && handle != InvalidHandle) connectFailed(10060);
                        } catch (const std::exception &e) {
                            warnEscaped(e);
                        } catch (...) {
                            warnEscaped();
                        }
                    });
                }
                nextAddressTimer->start(NextAddressMs);
            }
            return result;
        }
        last = result;
        ++candidate;
    }
    return last;
}

void TSock::connectFailed(int error)
{
    if (nextAddressTimer) nextAddressTimer->stop();
    if (candidate + 1 < candidates.size()) {
        ++candidate;
        const int result = connectNext();
        if (handle != InvalidHandle && (result == 0 || inProgress(result))) {
            connecting = true;
            return;
        }
        error = result;
    }
    connecting = false;
    broken = true;
    suspendNotifications();
    handleNotification(EventConnect, error);
}

void TSock::handleNotification(int event, int error)
{
    if (error > 10000) {
        info(TSocketInfo::Error, errorReport(error));
        return;
    }
    QPointer<TSock> alive(this);
    switch (event) {
    case EventRead:
        if (socketType == stStream) {
            readStream();
        } else {
            const TNotifyReadEvent handler = OnRead;
            if (handler) handler(this, countOf(incoming));
        }
        return;
    case EventWrite:
        if (OutgoingSize() > 0) {
            Send(QByteArray());
            if (!alive) return;
        }
        info(TSocketInfo::Send, InfoNonBlockingOut);
        if (!alive) return;
        fireNotify(OnWrite);
        return;
    case EventAccept:
        if (autoAccept && OnAutoAccept)
            acceptAutomatically();
        else
            fireNotify(OnAccept);
        return;
    case EventConnect:
        connected = true;
        info(TSocketInfo::Connect, InfoNonBlockingConnected);
        if (!alive) return;
        fireNotify(OnConnect);
        return;
    case EventClose:
        fireNotify(OnDisconnect);
        if (!alive) return;
        Close();
        return;
    default:
        return;
    }
}

void TSock::readStream()
{
    const qsizetype before = incoming.size();
    incoming.resize(before + ReadBlockSize);
    const qint64 n = sockplatform::receiveBytes(handle, incoming.data() + before, ReadBlockSize);
    const int error = n < 0 ? sockplatform::lastError() : 0;
    incoming.resize(before + qMax<qint64>(n, 0));

    if (n == 0 ||
        (n < 0 && error != sockplatform::ErrWouldBlock && error != sockplatform::ErrInterrupted)) {
        // The connection is over: stop watching it before anyone hears of it,
        // or a nested event loop in a handler would hear of it again.
        broken = true;
        suspendNotifications();
        int closeError = error;
        // A reset that a failed send already took from the system.
        if (n == 0 &&
            (sendError == sockplatform::ErrConnReset || sendError == sockplatform::ErrConnAborted))
            closeError = sendError;
        handleNotification(EventClose, closeError);
        return;
    }
    QPointer<TSock> alive(this);
    info(TSocketInfo::Receive, InfoNonBlockingIn);
    if (!alive) return;
    const TNotifyReadEvent handler = OnRead;
    if (handler) handler(this, countOf(incoming));
}

void TSock::fireNotify(const TNotifyEvent &event)
{
    // A copy, as the handler may reassign or destroy what it was called through.
    const TNotifyEvent handler = event;
    if (handler) handler(this);
}

void TSock::info(TSocketInfo kind, const QString &message)
{
    const TNotifyInfoEvent handler = OnInfo;
    if (!handler) return;
    try {
        handler(this, kind, message);
    } catch (...) {
        throw ESockException(ErrInfoHandler);
    }
}

// ---- operations ------------------------------------------------------------

bool TSock::Open()
{
    if (handle != InvalidHandle) return connected;
    const bool isStream = socketType == stStream;
    // Names are resolved before a socket exists, so a failed lookup leaves
    // no handle behind.
    const quint16 port = PortLookup(portName);
    QList<QHostAddress> addresses;
    if (isStream) addresses = HostLookupAll(hostName);
    broken = false;
    connecting = false;
    sendError = 0;
    // Bytes that an earlier connection left unsent do not belong to this one.
    outgoing.clear();
    outgoingSent = 0;
    destPort = port;
    QPointer<TSock> alive(this);
    if (isStream) {
        candidates = addresses;
        candidate = 0;
        const int result = connectNext();
        if (handle == InvalidHandle) {
            info(TSocketInfo::Error, errorReport(result));
            return false;
        }
        if (!blocking) {
            connecting = true;
            if (result != 0 && !inProgress(result)) {
                // Refused on the spot: still reported as a notification,
                // after Open has returned, like every other end of a connect.
                connecting = false;
                broken = true;
                suspendNotifications();
                const quint64 current = generation;
                QMetaObject::invokeMethod(
                    this,
                    [this, current, result] {
                        try {
                            if (generation == current) handleNotification(EventConnect, result);
                        } catch (const std::exception &e) {
                            warnEscaped(e);
                        } catch (...) {
                            warnEscaped();
                        }
                    },
                    Qt::QueuedConnection);
            }
            return false;
        }
        if (result == 0) {
            connected = true;
            info(TSocketInfo::Connect, InfoBlockingConnected);
            if (!alive) return false;
            fireNotify(OnConnect);
        } else {
            info(TSocketInfo::Close, InfoBlockingCantConnect);
            if (!alive) return false;
            Close();
        }
        return alive && connected;
    }
    const qintptr created = sockplatform::openSocket(false);
    if (created == InvalidHandle) {
        info(TSocketInfo::Error, errorReport(sockplatform::lastError()));
        return false;
    }
    handle = created;
    ++generation;
    destAddress = QHostAddress(QHostAddress::AnyIPv4);
    applyBlocking();
    if (sockplatform::bindSocket(handle, destAddress, destPort)) {
        connected = true;
        info(TSocketInfo::Connect, InfoDatagramConnected);
        if (!alive) return false;
        fireNotify(OnConnect);
    }
    return alive && connected;
}

bool TSock::Close()
{
    bool closed = false;
    try {
        dropNotifiers();
        if (nextAddressTimer) nextAddressTimer->stop();
        closed = sockplatform::closeSocket(handle);
        handle = InvalidHandle;
        ++generation;
        connected = false;
        connecting = false;
        notifying = false;
        broken = false;
        sendError = 0;
        const bool wasListening = listening;
        listening = false;
        if (!wasListening) info(TSocketInfo::Close, InfoSocketClosed);
    } catch (...) {
        // Close never fails loudly: it runs from destructors and handlers.
    }
    return closed;
}

void TSock::releaseHandle()
{
    // A socket still connecting, or one whose bind failed, is neither
    // listening nor connected; its handle must not outlive it all the same.
    dropNotifiers();
    if (handle != InvalidHandle) sockplatform::closeSocket(handle);
    handle = InvalidHandle;
}

void TSock::consumeOut(qint64 count)
{
    outgoingSent += count;
    if (outgoingSent >= outgoing.size()) {
        outgoing.clear();
        outgoingSent = 0;
    } else if (outgoingSent >= CompactThreshold && outgoingSent * 2 >= outgoing.size()) {
        outgoing.remove(0, outgoingSent);
        outgoingSent = 0;
    }
}

bool TSock::Send(const QByteArray &text)
{
    if (handle == InvalidHandle) throw ESockException(ErrSendNotConnected);
    if (listening) throw ESockException(ErrSendOnListener);
    if (socketType == stDatagram) return SendDatagram(text, hostName);
    outgoing.append(text);
    if (OutgoingSize() == 0) return true;
    QPointer<TSock> alive(this);

    if (!blocking) {
        info(TSocketInfo::Send, InfoNonBlockingOut);
        if (!alive) return true;
        // While the connection is being made the bytes wait for its first
        // write notification; a failed send keeps them queued, unreported.
        if (!connected || handle == InvalidHandle) return true;
        const qint64 n =
            sockplatform::sendBytes(handle, outgoing.constData() + outgoingSent, OutgoingSize());
        if (n > 0) {
            consumeOut(n);
        } else if (n < 0) {
            const int error = sockplatform::lastError();
            if (error != sockplatform::ErrWouldBlock && error != sockplatform::ErrInterrupted)
                sendError = error;
        }
        if (OutgoingSize() > 0) updateWriteNotifier();
        return true;
    }

    while (OutgoingSize() > 0) {
        const qint64 n =
            sockplatform::sendBytes(handle, outgoing.constData() + outgoingSent, OutgoingSize());
        if (n < 0 && sockplatform::lastError() != sockplatform::ErrInProgress) {
            info(TSocketInfo::Error, InfoSendError);
            throw ESockException(ErrSendSocket);
        }
        if (n > 0) consumeOut(n);
        info(TSocketInfo::Send, InfoBlockingOut);
        if (!alive || handle == InvalidHandle) return true;
    }
    return true;
}

QByteArray TSock::Receive()
{
    return ReceiveCount(-1);
}

int TSock::waitMilliseconds() const
{
    if (blockingTimeout < 0) return -1;
    return qMin(blockingTimeout, INT_MAX / 1000) * 1000;
}

QByteArray TSock::ReceiveCount(int count)
{
    if (handle == InvalidHandle && incoming.isEmpty()) throw ESockException(ErrReceiveNotConnected);
    if (listening) throw ESockException(ErrReceiveOnListener);
    if (socketType == stDatagram) {
        QByteArray text;
        QString host;
        ReceiveDatagram(text, host);
        return text;
    }
    if (!blocking) {
        if (count == -1 || count >= incoming.size()) {
            QByteArray all;
            all.swap(incoming);
            return all;
        }
        if (count < 0) return QByteArray();
        QByteArray front = incoming.left(count);
        incoming.remove(0, count);
        return front;
    }

    if (connected && handle != InvalidHandle &&
        sockplatform::waitReadable(handle, waitMilliseconds()) > 0) {
        QPointer<TSock> alive(this);
        info(TSocketInfo::Receive, InfoBlockingIn);
        if (!alive) return QByteArray();
        const int size = (count == -1 || count > ReadBlockSize) ? ReadBlockSize : count;
        // A request for no bytes reads none: a receive of 0 bytes would look
        // like the peer closing.
        if (size > 0 && handle != InvalidHandle) {
            const qsizetype before = incoming.size();
            incoming.resize(before + size);
            const qint64 n = sockplatform::receiveBytes(handle, incoming.data() + before, size);
            const int error = n < 0 ? sockplatform::lastError() : 0;
            incoming.resize(before + qMax<qint64>(n, 0));
            if (n < 0) {
                incoming.clear();
                info(TSocketInfo::Error, InfoReceiveError);
                throw ESockException(ErrReceiveSocket + ErrorName(error));
            }
            if (n == 0) {
                // Kept for the caller should a handler free this socket.
                const QByteArray held = incoming;
                info(TSocketInfo::Close, InfoDisconnectedOnReceive);
                if (!alive) return held;
                Close();
                if (!alive) return held;
                fireNotify(OnDisconnect);
                if (!alive) return held;
            }
        }
    }
    QByteArray all;
    all.swap(incoming);
    return all;
}

TSock *TSock::adopt(qintptr accepted)
{
    auto *created = new TSock(this);
    created->handle = accepted;
    tuneConnection(accepted);
    ++created->generation;
    created->peerAddress = peerAddress;
    created->peerPort = peerPort;
    created->blocking = blocking;
    created->applyBlocking();
    created->blockingTimeout = blockingTimeout;
    created->OnRead = OnRead;
    created->OnWrite = OnWrite;
    created->OnDisconnect = OnDisconnect;
    created->OnInfo = OnInfo;
    created->connected = true;
    return created;
}

bool TSock::Accept(TSock *&NewSock)
{
    if (!listening) throw ESockException(ErrAcceptNotListening);
    QPointer<TSock> alive(this);
    if (blocking) {
        info(TSocketInfo::Accept, InfoBlockingAccept);
        if (!alive || !listening) return false;
    }
    TSock *created = acceptWaiting();
    if (!created) return false;
    NewSock = created;
    created->setPortName(portName);
    created->setHostName(created->RemoteAddress());
    if (!alive) return true;
    info(TSocketInfo::Accept, InfoCreatedNew);
    return true;
}

TSock *TSock::acceptWaiting()
{
    QHostAddress address;
    quint16 port = 0;
    const qintptr accepted = sockplatform::acceptSocket(handle, address, port);
    resumeAccepting();
    if (accepted == InvalidHandle) {
        info(TSocketInfo::Accept, InfoCouldNotAccept);
        return nullptr;
    }
    peerAddress = address;
    peerPort = port;
    return adopt(accepted);
}

void TSock::acceptAutomatically()
{
    TSock *created = acceptWaiting();
    if (!created) return;
    QPointer<TSock> alive(this);
    QPointer<TSock> createdAlive(created);
    created->setPortName(portName);
    if (!alive || !createdAlive) return;
    created->setHostName(created->RemoteAddress());
    if (!alive || !createdAlive) return;
    const TNotifyAutoEvent handler = OnAutoAccept;
    if (!handler) return;
    if (!blocking) {
        handler(this, created);
        return;
    }
    auto *thread = new TSockThread(this, created, handler);
    thread->start();
}

bool TSock::SendDatagram(const QByteArray &text, const QString &host)
{
    if (handle == InvalidHandle) throw ESockException(ErrSendDatagramNotConnected);
    if (socketType == stStream) throw ESockException(ErrSendDatagramStream);
    setHostName(host);
    if (!text.isEmpty() && handle != InvalidHandle)
        sockplatform::sendDatagram(handle, text.constData(), text.size(), destAddress, destPort);
    return true;
}

void TSock::ReceiveDatagram(QByteArray &text, QString &host)
{
    if (handle == InvalidHandle) throw ESockException(ErrReceiveDatagramNotConnected);
    if (socketType == stStream) throw ESockException(ErrReceiveDatagramStream);
    text.clear();
    host.clear();
    if (sockplatform::waitReadable(handle, waitMilliseconds()) > 0) {
        QByteArray block(ReadBlockSize, Qt::Uninitialized);
        QHostAddress address;
        quint16 port = 0;
        const qint64 n =
            sockplatform::receiveDatagram(handle, block.data(), block.size(), address, port);
        if (n >= 0) {
            peerAddress = address;
            peerPort = port;
        }
        if (n > 0) {
            block.truncate(n);
            text = block;
            host = RemoteAddress();
        }
    }
    if (readNotifier && notifying && !broken) readNotifier->setEnabled(true);
}

QString TSock::RemoteAddress() const
{
    return peerAddress.toString();
}

quint16 TSock::RemotePort() const
{
    return qFromBigEndian(peerPort);
}

quint16 TSock::LocalPort() const
{
    return sockplatform::localPort(handle);
}

quint32 TSock::HostLookup(const QString &name)
{
    const QList<QHostAddress> addresses = HostLookupAll(name);
    for (const QHostAddress &address : addresses) {
        quint32 v4 = 0;
        if (sockplatform::toNetwork(address, v4)) return v4;
    }
    throw ESockException(ErrHostNotFound);
}

QList<QHostAddress> TSock::HostLookupAll(const QString &name)
{
    info(TSocketInfo::Lookup, InfoLookupHost + name);
    if (name.isEmpty() || name.contains(QChar(0))) throw ESockException(ErrHostNotFound);
    QString bare = name;
    if (bare.size() > 2 && bare.startsWith(QLatin1Char('[')) && bare.endsWith(QLatin1Char(']')))
        bare = bare.mid(1, bare.size() - 2);
    if (bare.contains(QLatin1Char(':'))) {
        QHostAddress address;
        if (address.setAddress(bare) && address.protocol() == QAbstractSocket::IPv6Protocol)
            return {address};
        throw ESockException(ErrHostNotFound);
    }
    if (startsWithDigit(bare)) {
        quint32 address = 0;
        if (sockplatform::parseDotted(bare.toLatin1(), address))
            return {sockplatform::fromNetwork(address)};
        throw ESockException(ErrHostNotFound);
    }
    {
        QMutexLocker lock(&hostCacheMutex);
        if (const HostEntry *entry = cachedHost(bare)) return entry->addresses;
    }
    QList<QHostAddress> addresses;
    if (!sockplatform::resolveHost(bare.toUtf8(), addresses)) throw ESockException(ErrHostNotFound);
    QMutexLocker lock(&hostCacheMutex);
    if (const HostEntry *earlier = cachedHost(bare)) return earlier->addresses;
    hostCache().append({bare, addresses});
    return addresses;
}

void TSock::rememberHost(const QString &name, const QList<QHostAddress> &addresses)
{
    QMutexLocker lock(&hostCacheMutex);
    if (HostEntry *entry = cachedHost(name))
        entry->addresses = addresses;
    else
        hostCache().append({name, addresses});
}

int TSock::hostCacheSize()
{
    QMutexLocker lock(&hostCacheMutex);
    return int(hostCache().size());
}

quint16 TSock::PortLookup(const QString &name)
{
    info(TSocketInfo::Lookup, InfoLookupPort + name);
    if (startsWithDigit(name)) {
        bool ok = false;
        const uint value = name.toUInt(&ok, 10);
        if (ok && value <= 65535) return sockplatform::toNetwork16(quint16(value));
        throw ESockException(ErrServiceNotFound);
    }
    quint16 port = 0;
    if (name.isEmpty() || name.contains(QChar(0)) ||
        !sockplatform::lookupService(name.toUtf8(), socketType == stStream, port))
        throw ESockException(ErrServiceNotFound);
    return port;
}

QString TSock::ErrorName(int number)
{
    return sockerrors::name(number);
}

void closeQuietly(TSock *sock)
{
    if (!sock) return;
    try {
        if (sock->Listen())
            sock->setListen(false);
        else
            sock->Close();
    } catch (const ESockException &) {
        // Only an OnInfo handler that failed; the socket is closed all the same.
    }
}
