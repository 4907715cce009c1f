#include "net/framing.h"

#include <QtGlobal>
#include <exception>

namespace {
qint64 weightOf(const QByteArray &text)
{
    return text.size() + framing::EntryWeight;
}
} // namespace

SplitEntry splitEntry(const QByteArray &entry)
{
    SplitEntry result;
    const int plus = entry.indexOf('+');
    if (plus <= 0) return result;
    result.command = entry.left(plus);
    result.remainder = entry.mid(plus + 1);
    result.valid = true;
    return result;
}

bool Framer::feed(const QByteArray &bytes, ReceiveQueue &queue, quint64 connection)
{
    pending += bytes;
    int start = 0;
    for (;;) {
        const int end = pending.indexOf(framing::Terminator, start);
        if (end < 0) break;
        queue.append(pending.mid(start, end - start), connection);
        start = end + 1;
    }
    pending.remove(0, start);
    if (pending.size() > framing::MaxPending) {
        pending.clear();
        return false;
    }
    return queue.backlog(connection) <= queue.backlogLimit();
}

ReceiveQueue::ReceiveQueue(QObject *parent) : QObject(parent)
{
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &ReceiveQueue::tick);
}

void ReceiveQueue::setPump(int periodMs, Handler pumpHandler)
{
    handler = std::move(pumpHandler);
    timer.setInterval(periodMs);
    if (!entries.empty() && handler) timer.start();
}

void ReceiveQueue::setErrorHandler(ErrorHandler onError)
{
    errorHandler = std::move(onError);
}

void ReceiveQueue::append(const QByteArray &text, quint64 connection)
{
    entries.push_back(ReceivedEntry{text, connection});
    backlogs[connection] += weightOf(text);
    // The pump sleeps while the queue is empty; an arrival wakes it.
    if (handler && !timer.isActive()) timer.start();
}

void ReceiveQueue::forget(const ReceivedEntry &entry)
{
    auto it = backlogs.find(entry.connection);
    if (it == backlogs.end()) return;
    *it -= weightOf(entry.text);
    if (*it <= 0) backlogs.erase(it);
}

ReceivedEntry ReceiveQueue::takeFirst()
{
    if (entries.empty()) return {};
    ReceivedEntry entry = std::move(entries.front());
    entries.pop_front();
    forget(entry);
    return entry;
}

void ReceiveQueue::tick()
{
    const ReceivedEntry entry = takeFirst();
    if (entries.empty()) timer.stop();
    if (!handler || entry.text.isEmpty()) return;
    if (!splitEntry(entry.text).valid) return;
    // A handler may open a message box whose event loop ticks the pump again, or
    // replace the pump; it runs from a copy so either is safe.
    const Handler run = handler;
    try {
        run(entry);
    } catch (const std::exception &error) {
        const QString text = QString::fromUtf8(error.what());
        if (errorHandler)
            errorHandler(text);
        else
            qWarning("Message abandoned: %s", qPrintable(text));
    }
}

void ReceiveQueue::removeConnection(quint64 connection)
{
    for (auto it = entries.begin(); it != entries.end();) {
        if (it->connection == connection)
            it = entries.erase(it);
        else
            ++it;
    }
    backlogs.remove(connection);
    if (entries.empty()) timer.stop();
}
