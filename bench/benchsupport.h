// What the benchmarks share: waiting on the event loop without the 10 ms
// steps of QTest::qWaitFor, a process's figures from /proc, and percentiles.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <vector>

namespace benchsupport {

// Runs the event loop until the condition holds. The loop blocks between
// events (a socket's data wakes it at once), so receipts are timestamped when
// they arrive.
inline bool waitFor(const std::function<bool()> &condition, int timeoutMs = 10000)
{
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > timeoutMs) return false;
        QEventLoop slice;
        QTimer::singleShot(1, Qt::PreciseTimer, &slice, &QEventLoop::quit);
        slice.exec();
    }
    return true;
}

inline void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// A line of /proc/<pid>/status after its key ("VmRSS:"), or "?".
inline QByteArray statusLine(qint64 pid, const QByteArray &key)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return "?";
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(key.size()).simplified();
    return "?";
}

inline double percentile(std::vector<double> values, double p)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
    return values[index];
}

} // namespace benchsupport
