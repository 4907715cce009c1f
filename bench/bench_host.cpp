// Host figures: chat-relay latency to 15 connected players, the host's CPU
// while 15 players sit idle, and its peak memory. The host runs as its own
// process (quibbleton-host) so /proc tells its CPU time and memory apart from
// the clients'.
//
//   bench_host [--messages N] [--idle-seconds S]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

#include "net/commands.h"
#include "tests/support/testsupport.h"

namespace {

QElapsedTimer clockNs;

// A client that timestamps each chat line it receives by its sequence number.
class TimedClient
{
public:
    explicit TimedClient(std::vector<qint64> &arrivals) : arrivals(arrivals)
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { onRead(); });
    }

    bool connectTo(quint16 port)
    {
        socket.connectToHost(QHostAddress::LocalHost, port);
        return socket.waitForConnected(5000);
    }

    void onRead()
    {
        const qint64 now = clockNs.nsecsElapsed();
        pending += socket.readAll();
        int at;
        while ((at = pending.indexOf('\xFF')) >= 0) {
            const QByteArray message = pending.left(at);
            pending.remove(0, at + 1);
            if (message.startsWith("CMD_sendlogininfo+"))
                slot = message.mid(18).toInt();
            else if (message.startsWith("CMD_newplayerinfo+"))
                ++announced;
            else if (message.startsWith("CMD_chat+")) {
                const int mark = message.indexOf("#");
                const int bar = message.lastIndexOf('|');
                if (mark >= 0 && bar > mark) {
                    const int seq = message.mid(mark + 1, bar - mark - 1).toInt();
                    if (seq >= 0 && seq < int(arrivals.size())) arrivals[seq] = now;
                }
            }
        }
    }

    QTcpSocket socket;
    int slot = 0;
    int announced = 0;

private:
    std::vector<qint64> &arrivals;
    QByteArray pending;
};

bool waitFor(const std::function<bool()> &condition, int timeoutMs = 10000)
{
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// utime + stime of a process, in clock ticks.
qint64 cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    // Fields after the command: state is index 0, utime 11, stime 12.
    return fields.value(11).toLongLong() + fields.value(12).toLongLong();
}

// CPU time of all the process's threads in nanoseconds, from the scheduler.
qint64 cpuNs(qint64 pid)
{
    qint64 total = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile schedstat(tasks.filePath(tid + "/schedstat"));
        if (!schedstat.open(QIODevice::ReadOnly)) return -1;
        total += schedstat.readAll().split(' ').value(0).toLongLong();
    }
    return total;
}

QByteArray statusLine(qint64 pid, const QByteArray &key)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return "?";
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(key.size()).simplified();
    return "?";
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
    return values[index];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int messages = 200;
    int idleSeconds = 10;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--messages") messages = args[i + 1].toInt();
        if (args[i] == "--idle-seconds") idleSeconds = args[i + 1].toInt();
    }
    const int players = 15;
    clockNs.start();

    const quint16 port = testsupport::freePort();
    QProcess host;
    host.start(QCoreApplication::applicationDirPath() + "/../quibbleton-host",
               {"--port", QString::number(port)});
    if (!host.waitForStarted() || !host.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench_host: quibbleton-host did not start\n");
        return 1;
    }
    const qint64 pid = host.processId();

    // One arrival table per client; every chat carries its sequence number.
    std::vector<std::vector<qint64>> arrivals(players, std::vector<qint64>(messages, -1));
    std::vector<std::unique_ptr<TimedClient>> clients;
    for (int i = 0; i < players; ++i) {
        clients.push_back(std::make_unique<TimedClient>(arrivals[i]));
        TimedClient &c = *clients.back();
        if (!c.connectTo(port) || !waitFor([&c] { return c.slot != 0; })) {
            std::fprintf(stderr, "bench_host: connection %d failed\n", i + 1);
            return 1;
        }
        const QByteArray name = "Player" + QByteArray::number(c.slot);
        c.socket.write(cmd::client::logininfo(c.slot, cmd::GameVersion, name));
    }
    if (!waitFor([&] {
            return std::all_of(clients.begin(), clients.end(),
                               [](const auto &c) { return c->announced >= 1; });
        })) {
        std::fprintf(stderr, "bench_host: logins not announced\n");
        return 1;
    }
    QTest::qWait(500);

    // Chat relay: one line at a time, spaced so each finds the queue empty.
    std::vector<qint64> sentAt(messages, -1);
    for (int seq = 0; seq < messages; ++seq) {
        TimedClient &sender = *clients[seq % players];
        const QByteArray line = "bench #" + QByteArray::number(seq);
        sentAt[seq] = clockNs.nsecsElapsed();
        sender.socket.write(cmd::client::chat(sender.slot, line, "clRed"));
        sender.socket.flush();
        waitFor(
            [&] {
                for (const auto &a : arrivals)
                    if (a[seq] < 0) return false;
                return true;
            },
            2000);
        QTest::qWait(20);
    }
    std::vector<double> latencies;
    std::vector<double> firsts;  // the earliest receipt of each line
    std::vector<double> spreads; // last receipt minus first, per line
    for (int seq = 0; seq < messages; ++seq) {
        qint64 first = -1;
        qint64 last = -1;
        for (const auto &a : arrivals) {
            if (a[seq] < 0) continue;
            if (first < 0 || a[seq] < first) first = a[seq];
            last = std::max(last, a[seq]);
        }
        if (first < 0) continue;
        firsts.push_back(double(first - sentAt[seq]) / 1e6);
        spreads.push_back(double(last - first) / 1e6);
    }
    int lost = 0;
    for (const auto &a : arrivals) {
        for (int seq = 0; seq < messages; ++seq) {
            if (a[seq] < 0)
                ++lost;
            else
                latencies.push_back(double(a[seq] - sentAt[seq]) / 1e6);
        }
    }

    // Idle: 15 players connected, no game, nothing said.
    const qint64 before = cpuTicks(pid);
    const qint64 beforeNs = cpuNs(pid);
    QElapsedTimer idle;
    idle.start();
    waitFor([&] { return idle.elapsed() >= idleSeconds * 1000; }, idleSeconds * 1000 + 1000);
    const qint64 after = cpuTicks(pid);
    const qint64 afterNs = cpuNs(pid);
    const double idleMs = double(idle.elapsed());
    const double ticksPerSecond = double(sysconf(_SC_CLK_TCK));
    const double idleCpuPercent = double(after - before) / ticksPerSecond * 1000.0 / idleMs * 100.0;

    std::printf("host chat relay to %d clients: %zu receipts, %d lost\n", players, latencies.size(),
                lost);
    std::printf("  latency p50 %.2f ms, p99 %.2f ms, max %.2f ms\n", percentile(latencies, 0.5),
                percentile(latencies, 0.99), percentile(latencies, 1.0));
    std::printf(
        "  first receipt p50 %.2f ms, p99 %.2f ms; first to last p50 %.2f ms, p99 %.2f ms\n",
        percentile(firsts, 0.5), percentile(firsts, 0.99), percentile(spreads, 0.5),
        percentile(spreads, 0.99));
    std::printf("host CPU idle with %d players for %.1f s: %.4f %% (scheduler: %.3f ms; "
                "%lld ticks of 1/%.0f s, %.3f %%)\n",
                players, idleMs / 1000.0, double(afterNs - beforeNs) / 1e4 / idleMs,
                double(afterNs - beforeNs) / 1e6, after - before, ticksPerSecond, idleCpuPercent);
    std::printf("host peak memory (VmHWM): %s, resident now (VmRSS): %s\n",
                statusLine(pid, "VmHWM:").constData(), statusLine(pid, "VmRSS:").constData());

    host.terminate();
    host.waitForFinished(5000);
    return 0;
}
