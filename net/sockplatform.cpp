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

Handle openSocket(bool stream)
{
    int type = stream ? SOCK_STREAM : SOCK_DGRAM;
#ifdef SOCK_CLOEXEC
    // Programs we start (the lobby, an installer) must not inherit game sockets.
    type |= SOCK_CLOEXEC;
#endif
    const int s = ::socket(AF_INET, type, 0);
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

bool bindSocket(Handle handle, quint32 address, quint16 port)
{
    const sockaddr_in sa = makeAddress(address, port);
    if (::bind(fd(handle), reinterpret_cast<const sockaddr *>(&sa), sizeof sa) == 0) return true;
    return failed();
}

bool listenSocket(Handle handle, int backlog)
{
    if (::listen(fd(handle), backlog) == 0) return true;
    return failed();
}

Handle acceptSocket(Handle listener, quint32 &address, quint16 &port)
{
    sockaddr_in sa;
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
    address = sa.sin_addr.s_addr;
    port = sa.sin_port;
    return s;
}

int connectSocket(Handle handle, quint32 address, quint16 port)
{
    const sockaddr_in sa = makeAddress(address, port);
    if (::connect(fd(handle), reinterpret_cast<const sockaddr *>(&sa), sizeof sa) == 0) return 0;
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

qint64 sendDatagram(Handle handle, const char *data, qint64 size, quint32 address, quint16 port)
{
    const sockaddr_in sa = makeAddress(address, port);
    ssize_t n;
    do {
        n = ::sendto(fd(handle), data, size_t(size), SendFlags,
                     reinterpret_cast<const sockaddr *>(&sa), sizeof sa);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return fail();
    return n;
}

qint64 receiveDatagram(Handle handle, char *data, qint64 size, quint32 &address, quint16 &port)
{
    sockaddr_in sa;
    socklen_t length = sizeof sa;
    std::memset(&sa, 0, sizeof sa);
    ssize_t n;
    do {
        n = ::recvfrom(fd(handle), data, size_t(size), 0, reinterpret_cast<sockaddr *>(&sa),
                       &length);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return fail();
    address = sa.sin_addr.s_addr;
    port = sa.sin_port;
    return n;
}

quint16 localPort(Handle handle)
{
    if (handle == InvalidHandle) return 0;
    sockaddr_in sa;
    socklen_t length = sizeof sa;
    std::memset(&sa, 0, sizeof sa);
    if (::getsockname(fd(handle), reinterpret_cast<sockaddr *>(&sa), &length) < 0) return 0;
    return ntohs(sa.sin_port);
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

bool resolveHost(const QByteArray &name, quint32 &address)
{
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *result = nullptr;
    if (::getaddrinfo(name.constData(), nullptr, &hints, &result) != 0 || !result) return false;
    bool found = false;
    for (addrinfo *p = result; p; p = p->ai_next) {
        if (p->ai_family == AF_INET && p->ai_addr) {
            address = reinterpret_cast<const sockaddr_in *>(p->ai_addr)->sin_addr.s_addr;
            found = true;
            break;
        }
    }
    ::freeaddrinfo(result);
    return found;
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

} // namespace sockplatform
