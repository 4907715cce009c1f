// The one place that talks to the operating system's socket interface. Every
// socket, name and readiness call of TSock goes through here, so a build for
// another socket library replaces sockplatform.cpp and nothing else.
//
// Addresses and ports are passed in network byte order, as the socket
// interface keeps them. Failures are reported as Windows Sockets error numbers
// (10035 for "would block", 10061 for "connection refused", ...), which is how
// TSock words its error reports on every platform; sockerrors.h has the table.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QtGlobal>

namespace sockplatform {

using Handle = qintptr;
inline constexpr Handle InvalidHandle = -1;

// Error numbers TSock tests for by value.
inline constexpr int ErrWouldBlock = 10035;
inline constexpr int ErrInProgress = 10036;
inline constexpr int ErrInterrupted = 10004;
inline constexpr int ErrConnAborted = 10053;
inline constexpr int ErrConnReset = 10054;

// Starts the socket library once per process; false when it cannot be used.
bool startup();

// A native error code translated into a Windows Sockets error number.
int mapError(int native);
// The translated error of the last failed call on this thread. Read it right
// after the failing call: anything in between may overwrite it.
int lastError();

// An IPv6 socket when `ipv6`, else IPv4.
Handle openSocket(bool stream, bool ipv6 = false);
// False also for InvalidHandle, which is not handed to the system.
bool closeSocket(Handle handle);
bool setNonBlocking(Handle handle, bool on);
// Lets a restarted host bind its port while old connections linger in
// TIME_WAIT; an active listener on the port still makes bind fail.
bool setReuseAddress(Handle handle);
// Turns on keep-alive probes for a connection: after `idleSeconds` of silence
// the system probes every `intervalSeconds`, and `probes` unanswered probes
// (or data left unacknowledged for as long) end the connection with an error,
// so a peer that vanished without a close is noticed. Options a system lacks
// are left at its defaults; false only when keep-alive itself cannot be set.
bool setKeepAlive(Handle handle, int idleSeconds, int intervalSeconds, int probes);
// Sends each write at once instead of holding small ones back while earlier
// data waits for its acknowledgement (Nagle's algorithm): the game's messages
// are short and each is wanted now.
bool setNoDelay(Handle handle);
// Lets an IPv6 socket take IPv4 peers too (IPV6_V6ONLY off), so one
// listener serves both families.
bool setDualStack(Handle handle);
// IPv4 addresses go to IPv4 sockets as they are, to IPv6 sockets v4-mapped.
bool bindSocket(Handle handle, const QHostAddress &address, quint16 port);
bool listenSocket(Handle handle, int backlog);
// InvalidHandle on failure; the peer's address and port on success. An IPv4
// peer of a dual-stack socket comes back as a plain IPv4 address.
Handle acceptSocket(Handle listener, QHostAddress &address, quint16 &port);
// 0 when connected at once, otherwise the error number (10036 while a
// non-blocking connection is still being made).
int connectSocket(Handle handle, const QHostAddress &address, quint16 port);
// The outcome of a non-blocking connect: 0, or the error number it ended with.
int pendingError(Handle handle);
bool isWritable(Handle handle);
// 1 readable, 0 timed out, -1 failed. A negative timeout waits without limit.
int waitReadable(Handle handle, int timeoutMs);

// Byte counts, or -1 with lastError() set. A send never raises SIGPIPE.
qint64 sendBytes(Handle handle, const char *data, qint64 size);
qint64 receiveBytes(Handle handle, char *data, qint64 size);
qint64 sendDatagram(Handle handle, const char *data, qint64 size, const QHostAddress &address,
                    quint16 port);
qint64 receiveDatagram(Handle handle, char *data, qint64 size, QHostAddress &address,
                       quint16 &port);

// The port (host byte order) the socket is bound to, 0 when unknown.
quint16 localPort(Handle handle);

// Conversions between names, dotted text and numbers.
bool parseDotted(const QByteArray &text, quint32 &address);
QString dotted(quint32 address);
// Every address, of either family, the resolver gives for the name, in its
// order of preference and without repeats; false when there is none.
bool resolveHost(const QByteArray &name, QList<QHostAddress> &addresses);
// An IPv4 address (network byte order) as Qt holds it, and back.
QHostAddress fromNetwork(quint32 address);
// False for an address that is not IPv4 (nor v4-mapped).
bool toNetwork(const QHostAddress &address, quint32 &v4);
// The port of a service name for "tcp" (stream) or "udp".
bool lookupService(const QByteArray &name, bool stream, quint16 &port);
quint16 toNetwork16(quint16 value);
quint32 anyAddress();
// "::", the any-address of an IPv6 socket.
QHostAddress anyAddress6();

} // namespace sockplatform
