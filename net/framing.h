// Message framing and the receive queue shared by host and client.
//
// A message on the wire is a command word, fields each introduced by "+", and
// the terminator byte 0xFF. Each connection has a Framer that cuts its byte
// stream at 0xFF; complete messages wait in one ReceiveQueue per side, and the
// side's pump dispatches exactly one entry per tick.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>

namespace framing {
inline constexpr char Terminator = '\xFF';
// Unterminated data a connection may hold before it counts as a protocol error.
inline constexpr int MaxPending = 64 * 1024;
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
    // Appends every complete message in `bytes` to the queue. Returns false when
    // the connection holds more than MaxPending bytes without a terminator; the
    // pending bytes are then dropped and the owner should close the connection.
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

    explicit ReceiveQueue(QObject *parent = nullptr);

    // The handler gets every dispatchable entry (see splitEntry); the timer
    // fires every `periodMs` while entries wait.
    void setPump(int periodMs, Handler handler);
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

private:
    std::deque<ReceivedEntry> entries;
    QTimer timer;
    Handler handler;
};
