// BSD socket implementation of the platform layer. A Winsock build swaps this
// file: WSAStartup/WSACleanup in startup(), closesocket, ioctlsocket(FIONBIO),
// WSAGetLastError (already in the right numbering) and SO_EXCLUSIVEADDRUSE in
// place of SO_REUSEADDR, whose Windows meaning would let another program take
// over a port we listen on.
#include "net/sockplatform.h"

#include "net/sockerrors.h"

#include <QMutex>

#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sockplatform {

namespace {

#ifdef MSG_NOSIGNAL
constexpr int SendFlags = MSG_NOSIGNAL;
#else
constexpr int SendFlags = 0;
#endif

thread_local int lastMappedError = 0;

int fail()
{
    lastMappedError = mapError(errno);
    return -1;
}

bool failed()
{
    fail();
    return false;
}

sockaddr_in makeAddress(quint32 address, quint16 port)
{
    sockaddr_in sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    sa.sin_port = port;
    sa.sin_addr.s_addr = address;
    return sa;
}

// An IPv4 address, or an IPv6 one that is v4-mapped; "::" is not (Qt's
// toIPv4Address would take it for 0.0.0.0).
bool plainV4(const QHostAddress &address, quint32 &v4)
{
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        v4 = address.toIPv4Address();
        return true;
    }
    if (address.protocol() != QAbstractSocket::IPv6Protocol) return false;
    const Q_IPV6ADDR bytes = address.toIPv6Address();
    for (int i = 0; i < 10; ++i)
        if (bytes.c[i] != 0) return false;
    if (bytes.c[10] != 0xff || bytes.c[11] != 0xff) return false;
    v4 = (quint32(bytes.c[12]) << 24) | (quint32(bytes.c[13]) << 16) | (quint32(bytes.c[14]) << 8) |
         quint32(bytes.c[15]);
    return true;
}

// The socket address for `address` as a socket of the handle's family takes
// it: an IPv4 address on an IPv6 socket becomes v4-mapped.
socklen_t makeAddress(int handle, const QHostAddress &address, quint16 port, sockaddr_storage &out)
{
    std::memset(&out, 0, sizeof out);
    sockaddr_storage local;
    socklen_t localLength = sizeof local;
    int family = AF_INET;
    if (::getsockname(handle, reinterpret_cast<sockaddr *>(&local), &localLength) == 0)
        family = local.ss_family;
    quint32 v4 = 0;
    const bool isV4 = plainV4(address, v4);
    if (family == AF_INET) {
        if (!isV4) return 0;
        const sockaddr_in sa = makeAddress(htonl(v4), port);
        std::memcpy(&out, &sa, sizeof sa);
        return sizeof sa;
    }
    sockaddr_in6 sa6;
    std::memset(&sa6, 0, sizeof sa6);
    sa6.sin6_family = AF_INET6;
    sa6.sin6_port = port;
    if (isV4) {
        // ::ffff:a.b.c.d
        sa6.sin6_addr.s6_addr[10] = 0xff;
        sa6.sin6_addr.s6_addr[11] = 0xff;
        const quint32 net = htonl(v4);
        std::memcpy(&sa6.sin6_addr.s6_addr[12], &net, 4);
    } else {
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&sa6.sin6_addr, bytes.c, 16);
    }
    const QString scope = address.scopeId();
    if (!scope.isEmpty()) {
        bool numeric = false;
        const uint index = scope.toUInt(&numeric);
        sa6.sin6_scope_id = numeric ? index : ::if_nametoindex(scope.toLatin1().constData());
    }
    std::memcpy(&out, &sa6, sizeof sa6);
    return sizeof sa6;
}

void takeAddress(const sockaddr_storage &sa, QHostAddress &address, quint16 &port)
{
    address = QHostAddress(reinterpret_cast<const sockaddr *>(&sa));
    port = 0;
    if (sa.ss_family == AF_INET) port = reinterpret_cast<const sockaddr_in *>(&sa)->sin_port;
    if (sa.ss_family == AF_INET6) port = reinterpret_cast<const sockaddr_in6 *>(&sa)->sin6_port;
    quint32 v4 = 0;
    if (plainV4(address, v4)) address = QHostAddress(v4);
}

int fd(Handle handle)
{
    return int(handle);
}

} // namespace

bool startup()
{
    static std::once_flag once;
    std::call_once(once, [] {
#ifndef MSG_NOSIGNAL
        // Without a per-call flag a write to a vanished peer would end the process.
        std::signal(SIGPIPE, SIG_IGN);
#endif
    });
    return true;
}

int mapError(int native)
{
    return sockerrors::fromErrno(native);
}

int lastError()
{
    return lastMappedError;
}

Handle openSocket(bool stream, bool ipv6)
{
    int type = stream ? SOCK_STREAM : SOCK_DGRAM;
#ifdef SOCK_CLOEXEC
    // Programs we start (the lobby, an installer) must not inherit game sockets.
    type |= SOCK_CLOEXEC;
#endif
    const int s = ::socket(ipv6 ? AF_INET6 : AF_INET, type, 0);
    if (s < 0) return fail();
    return s;
}

bool closeSocket(Handle handle)
{
    if (handle == InvalidHandle) {
        lastMappedError = 10038;
        return false;
    }
    if (::close(fd(handle)) == 0) return true;
    fail();
    return false;
}

bool setNonBlocking(Handle handle, bool on)
{
    const int flags = ::fcntl(fd(handle), F_GETFL, 0);
    if (flags < 0) return failed();
    const int wanted = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    if (wanted != flags && ::fcntl(fd(handle), F_SETFL, wanted) < 0) return failed();
    return true;
}

bool setReuseAddress(Handle handle)
{
    const int on = 1;
    if (::setsockopt(fd(handle), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0) return true;
    return failed();
}

bool setKeepAlive(Handle handle, int idleSeconds, int intervalSeconds, int probes)
{
    const int on = 1;
    if (::setsockopt(fd(handle), SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) != 0) return failed();
        // The timings are best effort: each system names them its own way.
#if defined(TCP_KEEPIDLE)
    ::setsockopt(fd(handle), IPPROTO_TCP, TCP_KEEPIDLE, &idleSeconds, sizeof idleSeconds);
#elif defined(TCP_KEEPALIVE)
    ::setsockopt(fd(handle), IPPROTO_TCP, TCP_KEEPALIVE, &idleSeconds, sizeof idleSeconds);
#endif
#if defined(TCP_KEEPINTVL)
    ::setsockopt(fd(handle), IPPROTO_TCP, TCP_KEEPINTVL, &intervalSeconds, sizeof intervalSeconds);
#endif
#if defined(TCP_KEEPCNT)
    ::setsockopt(fd(handle), IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
#endif
#if defined(TCP_USER_TIMEOUT)
    // Probes are not sent while data waits for its acknowledgement; this bounds
    // that case the same way.
    const unsigned int userTimeoutMs = unsigned(idleSeconds + intervalSeconds * probes) * 1000u;
    ::setsockopt(fd(handle), IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs);
#endif
    return true;
}

bool setNoDelay(Handle handle)
{
    const int on = 1;
    if (::setsockopt(fd(handle), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0) return true;
    return failed();
}

bool setDualStack(Handle handle)
{
    const int off = 0;
    if (::setsockopt(fd(handle), IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off) == 0) return true;
    return failed();
}

bool bindSocket(Handle handle, const QHostAddress &address, quint16 port)
{
    sockaddr_storage sa;
    const socklen_t length = makeAddress(fd(handle), address, port, sa);
    if (length == 0) {
        lastMappedError = mapError(EAFNOSUPPORT);
        return false;
    }
    if (::bind(fd(handle), reinterpret_cast<const sockaddr *>(&sa), length) == 0) return true;
    return failed();
}

bool listenSocket(Handle handle, int backlog)
{
    if (::listen(fd(handle), backlog) == 0) return true;
    return failed();
}

Handle acceptSocket(Handle listener, QHostAddress &address, quint16 &port)
{
    sockaddr_storage sa;
    socklen_t length = sizeof sa;
    std::memset(&sa, 0, sizeof sa);
    int s;
    do {
#ifdef SOCK_CLOEXEC
        s = ::accept4(fd(listener), reinterpret_cast<sockaddr *>(&sa), &length, SOCK_CLOEXEC);
#else
        s = ::accept(fd(listener), reinterpret_cast<sockaddr *>(&sa), &length);
#endif
    } while (s < 0 && errno == EINTR);
    if (s < 0) return fail();
    takeAddress(sa, address, port);
    return s;
}

int connectSocket(Handle handle, const QHostAddress &address, quint16 port)
{
    sockaddr_storage sa;
    const socklen_t length = makeAddress(fd(handle), address, port, sa);
    if (length == 0) {
        lastMappedError = mapError(EAFNOSUPPORT);
        return lastMappedError;
    }
    if (::connect(fd(handle), reinterpret_cast<const sockaddr *>(&sa), length) == 0) return 0;
    fail();
    return lastMappedError;
}

int pendingError(Handle handle)
{
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd(handle), SOL_SOCKET, SO_ERROR, &error, &length) < 0) {
        fail();
        return lastMappedError;
    }
    return mapError(error);
}

bool isWritable(Handle handle)
{
    pollfd p{fd(handle), POLLOUT, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & POLLOUT) && !(p.revents & (POLLERR | POLLNVAL));
}

int waitReadable(Handle handle, int timeoutMs)
{
    pollfd p{fd(handle), POLLIN, 0};
    int r;
    do {
        r = ::poll(&p, 1, timeoutMs < 0 ? -1 : timeoutMs);
    } while (r < 0 && errno == EINTR);
    if (r < 0) return fail();
    if (r == 0) return 0;
    // A closed or failed connection counts as readable: the receive tells which.
    return (p.revents & POLLNVAL) ? -1 : 1;
}

qint64 sendBytes(Handle handle, const char *data, qint64 size)
{
    ssize_t n;
    do {
        n = ::send(fd(handle), data, size_t(size), SendFlags);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return fail();
    return n;
}

qint64 receiveBytes(Handle handle, char *data, qint64 size)
{
    ssize_t n;
    do {
        n = ::recv(fd(handle), data, size_t(size), 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return fail();
    return n;
}

qint64 sendDatagram(Handle handle, const char *data, qint64 size, const QHostAddress &address,
                    quint16 port)
{
    sockaddr_storage sa;
    const socklen_t length = makeAddress(fd(handle), address, port, sa);
    if (length == 0) {
        lastMappedError = mapError(EAFNOSUPPORT);
        return -1;
    }
    ssize_t n;
    do {
        n = ::sendto(fd(handle), data, size_t(size), SendFlags,
                     reinterpret_cast<const sockaddr *>(&sa), length);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return fail();
    return n;
}

qint64 receiveDatagram(Handle handle, char *data, qint64 size, QHostAddress &address, quint16 &port)
{
    sockaddr_storage sa;
    socklen_t length = sizeof sa;
    std::memset(&sa, 0, sizeof sa);
    ssize_t n;
    do {
        n = ::recvfrom(fd(handle), data, size_t(size), 0, reinterpret_cast<sockaddr *>(&sa),
                       &length);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return fail();
    takeAddress(sa, address, port);
    return n;
}

quint16 localPort(Handle handle)
{
    if (handle == InvalidHandle) return 0;
    sockaddr_storage sa;
    socklen_t length = sizeof sa;
    std::memset(&sa, 0, sizeof sa);
    if (::getsockname(fd(handle), reinterpret_cast<sockaddr *>(&sa), &length) < 0) return 0;
    QHostAddress address;
    quint16 port = 0;
    takeAddress(sa, address, port);
    return ntohs(port);
}

bool parseDotted(const QByteArray &text, quint32 &address)
{
    in_addr a;
    if (::inet_aton(text.constData(), &a) == 0) return false;
    address = a.s_addr;
    return true;
}

QString dotted(quint32 address)
{
    in_addr a;
    a.s_addr = address;
    char text[INET_ADDRSTRLEN] = {};
    if (!::inet_ntop(AF_INET, &a, text, sizeof text)) return QString();
    return QString::fromLatin1(text);
}

bool resolveHost(const QByteArray &name, QList<QHostAddress> &addresses)
{
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *result = nullptr;
    if (::getaddrinfo(name.constData(), nullptr, &hints, &result) != 0 || !result) return false;
    addresses.clear();
    for (addrinfo *p = result; p; p = p->ai_next) {
        if (!p->ai_addr || (p->ai_family != AF_INET && p->ai_family != AF_INET6)) continue;
        sockaddr_storage sa;
        std::memset(&sa, 0, sizeof sa);
        std::memcpy(&sa, p->ai_addr, qMin<size_t>(p->ai_addrlen, sizeof sa));
        QHostAddress address;
        quint16 port = 0;
        takeAddress(sa, address, port);
        if (!addresses.contains(address)) addresses.append(address);
    }
    ::freeaddrinfo(result);
    return !addresses.isEmpty();
}

QHostAddress fromNetwork(quint32 address)
{
    return QHostAddress(quint32(ntohl(address)));
}

bool toNetwork(const QHostAddress &address, quint32 &v4)
{
    quint32 host = 0;
    if (!plainV4(address, host)) return false;
    v4 = htonl(host);
    return true;
}

bool lookupService(const QByteArray &name, bool stream, quint16 &port)
{
    // getservbyname hands out a shared buffer; the auto-accept thread may look
    // up services too.
    static QMutex mutex;
    QMutexLocker lock(&mutex);
    const servent *entry = ::getservbyname(name.constData(), stream ? "tcp" : "udp");
    if (!entry) return false;
    port = quint16(entry->s_port);
    return true;
}

quint16 toNetwork16(quint16 value)
{
    return htons(value);
}
quint32 anyAddress()
{
    return htonl(INADDR_ANY);
}
QHostAddress anyAddress6()
{
    return QHostAddress(QHostAddress::AnyIPv6);
}

} // namespace sockplatform
