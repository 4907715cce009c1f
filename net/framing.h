// Message framing and the receive queue shared by host and client.
//
// A message on the wire is a command word, fields each introduced by "+", and
// the terminator byte 0xFF. Each connection has a Framer that cuts its byte
// stream at 0xFF; complete messages wait in one ReceiveQueue per side, and the
// side's pump dispatches exactly one entry per tick.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>

namespace framing {
inline constexpr char Terminator = '\xFF';
// Unterminated data a connection may hold before it counts as a protocol error.
inline constexpr int MaxPending = 64 * 1024;
// What the waiting entries of one connection may weigh (each entry counts its
// length plus EntryWeight) before the connection counts as flooding. Honest
// peers keep a handful of short messages waiting; the pump drains 100 a second
// or more.
inline constexpr qint64 MaxBacklog = 1024 * 1024;
inline constexpr qint64 EntryWeight = 32;
} // namespace framing

// One received message (terminator removed) with the connection it came from.
struct ReceivedEntry
{
    QByteArray text;
    quint64 connection = 0;
};

// The command word and the remainder of one entry. `valid` is false when the
// entry has no "+" or an empty command word: such entries are not dispatched.
struct SplitEntry
{
    QByteArray command;
    QByteArray remainder;
    bool valid = false;
};
SplitEntry splitEntry(const QByteArray &entry);

class ReceiveQueue;

// Cuts one connection's byte stream into messages. Bytes after the last 0xFF
// of a read are kept and joined to the next read, so a message that TCP
// delivers in pieces arrives whole.
class Framer
{
public:
    // Appends every complete message in `bytes` to the queue. Returns false on a
    // protocol error, after which the owner should close the connection: more
    // than MaxPending bytes without a terminator (those bytes are dropped and the
    // framer starts afresh), or more waiting entries from this connection than
    // the queue's backlog limit (the entries already queued stay).
    bool feed(const QByteArray &bytes, ReceiveQueue &queue, quint64 connection = 0);
    int pendingSize() const { return int(pending.size()); }
    void clear() { pending.clear(); }

private:
    QByteArray pending;
};

// First-in-first-out queue of received messages with its pump. The pump timer
// runs only while the queue holds entries; tests call tick() directly.
class ReceiveQueue : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void(const ReceivedEntry &entry)>;
    using ErrorHandler = std::function<void(const QString &text)>;

    explicit ReceiveQueue(QObject *parent = nullptr);

    // The handler gets every dispatchable entry (see splitEntry); the timer
    // fires every `periodMs` while entries wait.
    void setPump(int periodMs, Handler handler);
    // Gets the text of an exception that escaped the handler (a field that does
    // not convert, say). Only that message is abandoned; the pump goes on.
    void setErrorHandler(ErrorHandler onError);
    void append(const QByteArray &text, quint64 connection = 0);
    // Takes the first entry; an empty queue yields an empty entry.
    ReceivedEntry takeFirst();
    // One pump step: take one entry and hand it to the handler unless it is empty
    // or has no command word.
    void tick();
    // Drops every waiting entry that came from `connection`.
    void removeConnection(quint64 connection);

    int size() const { return int(entries.size()); }
    bool isEmpty() const { return entries.empty(); }
    bool pumpActive() const { return timer.isActive(); }

    // Weight of the entries from `connection` still waiting (see MaxBacklog).
    qint64 backlog(quint64 connection) const { return backlogs.value(connection, 0); }
    qint64 backlogLimit() const { return maxBacklog; }
    void setBacklogLimit(qint64 limit) { maxBacklog = limit; }

private:
    void forget(const ReceivedEntry &entry);

    std::deque<ReceivedEntry> entries;
    QHash<quint64, qint64> backlogs;
    qint64 maxBacklog = framing::MaxBacklog;
    QTimer timer;
    Handler handler;
    ErrorHandler errorHandler;
};
