#include "net/framing.h"

#include <QElapsedTimer>
#include <QtGlobal>
#include <algorithm>
#include <cmath>
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
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, &ReceiveQueue::run);
    QElapsedTimer since;
    since.start();
    clock = [since] { return since.elapsed(); };
}

void ReceiveQueue::setPump(int period, Handler pumpHandler)
{
    handler = std::move(pumpHandler);
    periodMs = period;
    if (mode == PumpMode::Paced) timer.setInterval(periodMs);
    if (!handler)
        timer.stop();
    else if (count > 0 && !timer.isActive())
        schedule();
}

void ReceiveQueue::setPumpMode(PumpMode pumpMode)
{
    mode = pumpMode;
    timer.stop();
    timer.setSingleShot(mode == PumpMode::Prompt);
    timer.setInterval(mode == PumpMode::Paced ? periodMs : 0);
    if (handler && count > 0) schedule();
}

void ReceiveQueue::setShare(Share share)
{
    fairShare = share;
    fairShare.burst = std::max(1, fairShare.burst);
    fairShare.perSecond = std::max(0, fairShare.perSecond);
    const qint64 now = clock();
    for (Lane &lane : lanes) {
        lane.tokens = fairShare.burst;
        lane.refilledAt = now;
    }
}

void ReceiveQueue::setClock(Clock now)
{
    clock = std::move(now);
    const qint64 at = clock();
    for (Lane &lane : lanes)
        lane.refilledAt = at;
}

void ReceiveQueue::setErrorHandler(ErrorHandler onError)
{
    errorHandler = std::move(onError);
}

qint64 ReceiveQueue::backlog(quint64 connection) const
{
    const auto it = lanes.constFind(connection);
    return it == lanes.cend() ? 0 : it->weight;
}

void ReceiveQueue::refill(Lane &lane, qint64 now) const
{
    if (fairShare.perSecond <= 0) return;
    // A clock that steps back refills nothing.
    if (now > lane.refilledAt)
        lane.tokens =
            std::min(double(fairShare.burst),
                     lane.tokens + double(now - lane.refilledAt) * fairShare.perSecond / 1000.0);
    lane.refilledAt = now;
}

void ReceiveQueue::append(const QByteArray &text, quint64 connection)
{
    const qint64 now = clock();
    auto it = lanes.find(connection);
    if (it == lanes.end()) {
        Lane fresh;
        fresh.tokens = fairShare.burst;
        fresh.refilledAt = now;
        it = lanes.insert(connection, std::move(fresh));
    }
    it->entries.push_back(Waiting{++nextSeq, text});
    it->weight += weightOf(text);
    ++count;
    if (!handler) return;
    if (mode == PumpMode::Paced) {
        // The paced pump sleeps while the queue is empty; an arrival wakes it
        // for the next period.
        if (!timer.isActive()) timer.start();
        return;
    }
    // Already due in this turn, or waiting for a share that this arrival does
    // not need: wake at once when the arrival may go.
    if (timer.isActive() && timer.interval() == 0) return;
    refill(*it, now);
    if (fairShare.perSecond <= 0 || it->tokens >= 1.0)
        timer.start(0);
    else if (!timer.isActive())
        schedule();
}

QHash<quint64, ReceiveQueue::Lane>::iterator ReceiveQueue::pick(bool withinShare, qint64 now)
{
    const bool bounded = fairShare.perSecond > 0;
    bool found = false;
    quint64 best = 0;
    quint64 bestSeq = 0;
    for (auto it = lanes.begin(); it != lanes.end();) {
        if (bounded) refill(*it, now);
        if (it->entries.empty()) {
            // A lane with nothing waiting and its share whole again is
            // forgotten; one still paying off its share is kept, so emptying
            // the lane does not renew the share.
            if (!bounded || it->tokens >= fairShare.burst)
                it = lanes.erase(it);
            else
                ++it;
            continue;
        }
        const quint64 seq = it->entries.front().seq;
        if ((!withinShare || !bounded || it->tokens >= 1.0) && (!found || seq < bestSeq)) {
            found = true;
            best = it.key();
            bestSeq = seq;
        }
        ++it;
    }
    return found ? lanes.find(best) : lanes.end();
}

ReceivedEntry ReceiveQueue::take(QHash<quint64, Lane>::iterator lane, bool spendShare)
{
    ReceivedEntry entry{std::move(lane->entries.front().text), lane.key()};
    lane->entries.pop_front();
    lane->weight -= weightOf(entry.text);
    --count;
    if (spendShare && fairShare.perSecond > 0) lane->tokens -= 1.0;
    if (lane->entries.empty() && (fairShare.perSecond <= 0 || lane->tokens >= fairShare.burst))
        lanes.erase(lane);
    return entry;
}

ReceivedEntry ReceiveQueue::takeFirst()
{
    const auto lane = pick(false, clock());
    if (lane == lanes.end()) return {};
    ReceivedEntry entry = take(lane, false);
    if (count == 0) timer.stop();
    return entry;
}

bool ReceiveQueue::tick(bool withinShare)
{
    if (count == 0) {
        timer.stop();
        return false;
    }
    const bool shared = withinShare && mode == PumpMode::Prompt;
    const auto lane = pick(shared, clock());
    if (lane == lanes.end()) return false;
    const ReceivedEntry entry = take(lane, shared);
    if (count == 0) timer.stop();
    dispatch(entry);
    return true;
}

void ReceiveQueue::dispatch(const ReceivedEntry &entry)
{
    if (!handler || entry.text.isEmpty()) return;
    if (!splitEntry(entry.text).valid) return;
    // A handler may open a message box whose event loop runs the pump again, or
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

void ReceiveQueue::run()
{
    // A copy, as the step may replace itself.
    const std::function<bool()> next = step ? step : [this] { return tick(); };
    if (mode == PumpMode::Paced) {
        next();
        return;
    }
    for (int i = 0; i < framing::PumpBatch && mode == PumpMode::Prompt; ++i)
        if (!next()) break;
    if (mode == PumpMode::Prompt && !timer.isActive()) schedule();
}

void ReceiveQueue::schedule()
{
    if (count == 0 || !handler) {
        timer.stop();
        return;
    }
    if (mode == PumpMode::Paced) {
        timer.start(periodMs);
        return;
    }
    const qint64 now = clock();
    double wait = -1;
    for (Lane &lane : lanes) {
        if (lane.entries.empty()) continue;
        if (fairShare.perSecond <= 0) {
            wait = 0;
            break;
        }
        refill(lane, now);
        const double due =
            lane.tokens >= 1.0 ? 0.0 : (1.0 - lane.tokens) * 1000.0 / fairShare.perSecond;
        if (wait < 0 || due < wait) wait = due;
    }
    if (wait < 0) {
        timer.stop();
        return;
    }
    timer.start(int(std::ceil(wait)));
}

void ReceiveQueue::removeConnection(quint64 connection)
{
    const auto it = lanes.find(connection);
    if (it != lanes.end()) {
        count -= int(it->entries.size());
        lanes.erase(it);
    }
    if (count == 0) timer.stop();
}
