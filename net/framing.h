// Message framing and the receive queue shared by host and client.
//
// A message on the wire is a command word, fields each introduced by "+", and
// the terminator byte 0xFF. Each connection has a Framer that cuts its byte
// stream at 0xFF; complete messages wait in one ReceiveQueue per side until the
// side's pump dispatches them: as soon as they arrive, in arrival order, each
// connection within its fair share (see ReceiveQueue).
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
// peers keep a handful of short messages waiting; the pump drains them as they
// come.
inline constexpr qint64 MaxBacklog = 1024 * 1024;
inline constexpr qint64 EntryWeight = 32;
// Entries the prompt pump dispatches in one turn of the event loop before it
// lets sockets, timers and painting in again.
inline constexpr int PumpBatch = 64;
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

// Received messages with their pump. Entries leave in arrival order, except
// that a connection over its share (a token bucket: `perSecond` entries a
// second, at most `burst` at once) waits its turn while the others go on; a
// connection's own entries always leave in the order they came.
//
// Two pump modes: Prompt (the default) dispatches what arrives in the next turn
// of the event loop, up to PumpBatch entries a turn, and runs no timer while
// nothing waits, nor while everything waiting is over its share except for the
// single wake-up at the moment the next share comes due. Paced is the
// fixed-period pump of old (one entry per period, shares ignored), kept as the
// baseline for the benchmarks. Tests call tick() directly.
class ReceiveQueue : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void(const ReceivedEntry &entry)>;
    using ErrorHandler = std::function<void(const QString &text)>;
    using Clock = std::function<qint64()>; // milliseconds, monotonic

    enum class PumpMode
    {
        Prompt,
        Paced
    };
    struct Share
    {
        int perSecond = 0; // 0: no bound
        int burst = 1;
    };

    explicit ReceiveQueue(QObject *parent = nullptr);

    // The handler gets every dispatchable entry (see splitEntry); `periodMs` is
    // the period of the Paced pump.
    void setPump(int periodMs, Handler handler);
    void setPumpMode(PumpMode mode);
    // The owner's pump routine, if it has one: it must make one tick() and
    // return what that returned. The timer runs it in place of tick().
    void setStep(std::function<bool()> ownerStep) { step = std::move(ownerStep); }
    PumpMode pumpMode() const { return mode; }
    // Every connection's share; the default is no bound.
    void setShare(Share share);
    Share share() const { return fairShare; }
    void setClock(Clock now);
    // Gets the text of an exception that escaped the handler (a field that does
    // not convert, say). Only that message is abandoned; the pump goes on.
    void setErrorHandler(ErrorHandler onError);
    void append(const QByteArray &text, quint64 connection = 0);
    // Takes the oldest entry, shares aside; an empty queue yields an empty entry.
    ReceivedEntry takeFirst();
    // One pump step: take the oldest entry of a connection within its share (in
    // Paced mode, or with `withinShare` false, simply the oldest) and hand it to
    // the handler unless it is empty or has no command word. Returns false when
    // nothing was taken: the queue is empty or every waiting connection is over
    // its share.
    bool tick(bool withinShare = true);
    // Drops every waiting entry that came from `connection`, and its share.
    void removeConnection(quint64 connection);

    int size() const { return count; }
    bool isEmpty() const { return count == 0; }
    bool pumpActive() const { return timer.isActive(); }

    // Weight of the entries from `connection` still waiting (see MaxBacklog).
    qint64 backlog(quint64 connection) const;
    qint64 backlogLimit() const { return maxBacklog; }
    void setBacklogLimit(qint64 limit) { maxBacklog = limit; }

private:
    struct Waiting
    {
        quint64 seq;
        QByteArray text;
    };
    // One connection's entries and what is left of its share.
    struct Lane
    {
        std::deque<Waiting> entries;
        qint64 weight = 0;
        double tokens = 0;
        qint64 refilledAt = 0;
    };

    void refill(Lane &lane, qint64 now) const;
    // The lane whose first entry is the oldest, among those within their share
    // when `withinShare`; nullptr when there is none.
    QHash<quint64, Lane>::iterator pick(bool withinShare, qint64 now);
    ReceivedEntry take(QHash<quint64, Lane>::iterator lane, bool spendShare);
    void dispatch(const ReceivedEntry &entry);
    void run();
    // Arms the timer for the next pump turn, or stops it when nothing waits.
    void schedule();

    QHash<quint64, Lane> lanes;
    int count = 0;
    quint64 nextSeq = 0;
    qint64 maxBacklog = framing::MaxBacklog;
    PumpMode mode = PumpMode::Prompt;
    Share fairShare;
    int periodMs = 1;
    QTimer timer;
    Clock clock;
    Handler handler;
    ErrorHandler errorHandler;
    std::function<bool()> step;
};
