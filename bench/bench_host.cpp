// Host figures, each taken twice in one run: with the host's prompt pump and
// with the paced pump of old (`--paced-pump`, one message per 10 ms tick) as
// the baseline. The host runs as its own process (quibbleton-host) so /proc
// tells its CPU time and memory apart from the clients'.
//
//   relay:    15 logged-in clients, one chat line every 50 ms, the time from
//             send to receipt at every client
//   flood:    the same while one client sends 10 000 chat lines at once
//   backlog:  fourteen clients each keep about 950 lines waiting, topping up as
//             their own lines come back, while the fifteenth says a line every
//             50 ms; lines not back within 3 s count as lost
//   idle:     host CPU while the 15 sit silent
//
//   bench_host [--messages N] [--idle-seconds S]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <unistd.h>
#include <vector>

#include "bench/benchsupport.h"
#include "net/commands.h"
#include "tests/support/testsupport.h"

namespace {

using benchsupport::pause;
using benchsupport::percentile;
using benchsupport::statusLine;
using benchsupport::waitFor;

QElapsedTimer clockNs;
const int Players = 15;

// A client that timestamps each tagged chat line ("#<seq>|") it receives and
// counts the lines of one sender it watches.
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
        int from = 0;
        while ((at = pending.indexOf('\xFF', from)) >= 0) {
            const QByteArray message = pending.mid(from, at - from);
            from = at + 1;
            if (message.startsWith("CMD_sendlogininfo+"))
                slot = message.mid(18).toInt();
            else if (message.startsWith("CMD_newplayerinfo+"))
                ++announced;
            else if (message.startsWith("CMD_chat+")) {
                if (!ownPrefix.isEmpty() && message.startsWith(ownPrefix)) {
                    ++ownBack;
                    if (onOwnLine) onOwnLine();
                    continue;
                }
                const int mark = message.indexOf("#");
                const int bar = message.indexOf('|', mark);
                if (mark >= 0 && bar > mark) {
                    const int seq = message.mid(mark + 1, bar - mark - 1).toInt();
                    if (seq >= 0 && seq < int(arrivals.size())) arrivals[seq] = now;
                }
            }
        }
        pending.remove(0, from);
    }

    QByteArray name() const { return "P" + QByteArray::number(slot); }
    void say(const QByteArray &text)
    {
        socket.write(cmd::client::chat(slot, text, "clRed"));
        socket.flush();
    }

    QTcpSocket socket;
    int slot = 0;
    int announced = 0;
    QByteArray ownPrefix; // lines of this client's own, counted and not timed
    int ownBack = 0;
    std::function<void()> onOwnLine;

private:
    std::vector<qint64> &arrivals;
    QByteArray pending;
};

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
struct Latency
{
    double p50 = 0, p99 = 0, max = 0;
    int receipts = 0, lost = 0;
};

// A host process with 15 logged-in clients, each with its arrival table.
class Room
{
public:
    bool open(bool paced, int lines)
    {
        QStringList args{"--port", QString::number(testsupport::freePort())};
        if (paced) args << "--paced-pump";
        host.start(QCoreApplication::applicationDirPath() + "/../quibbleton-host", args);
        if (!host.waitForStarted() || !host.waitForReadyRead(5000)) return false;
        const quint16 port = quint16(args[1].toUInt());
        arrivals.assign(Players, std::vector<qint64>(lines, -1));
        sentAt.assign(lines, -1);
        for (int i = 0; i < Players; ++i) {
            clients.push_back(std::make_unique<TimedClient>(arrivals[i]));
            TimedClient &c = *clients.back();
            if (!c.connectTo(port) || !waitFor([&c] { return c.slot != 0; })) return false;
            c.socket.write(cmd::client::logininfo(c.slot, cmd::GameVersion, c.name()));
        }
        const bool in = waitFor([&] {
            return std::all_of(clients.begin(), clients.end(),
                               [](const auto &c) { return c->announced >= 1; });
        });
        pause(300);
        return in;
    }

    // Line `seq` from `sender`, timestamped.
    void say(TimedClient &sender, int seq)
    {
        sentAt[seq] = clockNs.nsecsElapsed();
        sender.say("bench #" + QByteArray::number(seq) + "|");
    }

    bool allReceived(int seq, const std::vector<int> &receivers) const
    {
        for (int r : receivers)
            if (arrivals[r][seq] < 0) return false;
        return true;
    }

    // Send-to-receipt at each receiver of lines [0, lines).
    Latency latency(int lines, const std::vector<int> &receivers) const
    {
        Latency out;
        std::vector<double> values;
        for (int seq = 0; seq < lines; ++seq)
            for (int r : receivers) {
                if (arrivals[r][seq] < 0)
                    ++out.lost;
                else
                    values.push_back(double(arrivals[r][seq] - sentAt[seq]) / 1e6);
            }
        out.receipts = int(values.size());
        out.p50 = percentile(values, 0.5);
        out.p99 = percentile(values, 0.99);
        out.max = percentile(values, 1.0);
        return out;
    }

    qint64 pid() const { return host.processId(); }
    QByteArray peakMemory() const { return statusLine(pid(), "VmHWM:"); }

    void close()
    {
        clients.clear();
        host.terminate();
        host.waitForFinished(5000);
    }
    ~Room() { close(); }

    QProcess host;
    std::vector<std::vector<qint64>> arrivals;
    std::vector<qint64> sentAt;
    std::vector<std::unique_ptr<TimedClient>> clients;
};

std::vector<int> everyoneBut(int skipped = -1)
{
    std::vector<int> out;
    for (int i = 0; i < Players; ++i)
        if (i != skipped) out.push_back(i);
    return out;
}

struct ModeFigures
{
    Latency relay, flood, backlog;
    QByteArray floodMemory, backlogMemory;
    double backlogHostCpuPercent = 0, backlogBenchCpuPercent = 0;
    Latency backlogFirst; // the earliest receipt of each line
    double idleCpuPercent = 0, idleCpuMs = 0;
    bool ok = false;
};

ModeFigures measure(bool paced, int messages, int idleSeconds)
{
    ModeFigures f;
    const std::vector<int> all = everyoneBut();
    // Relay, then idle, in one room.
    {
        Room room;
        if (!room.open(paced, messages)) return f;
        for (int seq = 0; seq < messages; ++seq) {
            room.say(*room.clients[seq % Players], seq);
            pause(50);
        }
        waitFor([&] { return room.allReceived(messages - 1, all); }, 2000);
        f.relay = room.latency(messages, all);

        const qint64 beforeNs = cpuNs(room.pid());
        QElapsedTimer idle;
        idle.start();
        pause(idleSeconds * 1000);
        f.idleCpuMs = double(cpuNs(room.pid()) - beforeNs) / 1e6;
        f.idleCpuPercent = f.idleCpuMs / double(idle.elapsed()) * 100.0;
    }
    // One client floods 10 000 lines at once; the host cuts it off at the
    // backlog limit, the other fourteen go on talking.
    const int talk = 100;
    {
        Room room;
        if (!room.open(paced, talk)) return f;
        TimedClient &flooder = *room.clients[0];
        QByteArray flood;
        for (int i = 0; i < 10000; ++i)
            flood += cmd::client::chat(flooder.slot, "flood " + QByteArray::number(i), "clRed");
        flooder.socket.write(flood);
        for (int seq = 0; seq < talk; ++seq) {
            room.say(*room.clients[1 + seq % (Players - 1)], seq);
            pause(50);
        }
        const std::vector<int> others = everyoneBut(0);
        waitFor([&] { return room.allReceived(talk - 1, others); }, 3000);
        f.flood = room.latency(talk, others);
        f.floodMemory = room.peakMemory();
    }
    // Fourteen clients keep about 950 lines each waiting in the host.
    {
        Room room;
        if (!room.open(paced, talk)) return f;
        const int keep = 950;
        for (int i = 0; i < Players - 1; ++i) {
            TimedClient &c = *room.clients[i];
            c.ownPrefix = "CMD_chat+" + c.name() + " chats: ";
            QByteArray lines;
            for (int n = 0; n < keep; ++n)
                lines += cmd::client::chat(c.slot, "backlog", "clRed");
            c.socket.write(lines);
            c.onOwnLine = [&c] { c.socket.write(cmd::client::chat(c.slot, "backlog", "clRed")); };
        }
        pause(500);
        TimedClient &honest = *room.clients[Players - 1];
        const qint64 beforeNs = cpuNs(room.pid());
        const qint64 benchBeforeNs = cpuNs(QCoreApplication::applicationPid());
        QElapsedTimer during;
        during.start();
        for (int seq = 0; seq < talk; ++seq) {
            room.say(honest, seq);
            pause(50);
        }
        f.backlogHostCpuPercent =
            double(cpuNs(room.pid()) - beforeNs) / 1e6 / double(during.elapsed()) * 100.0;
        f.backlogBenchCpuPercent =
            double(cpuNs(QCoreApplication::applicationPid()) - benchBeforeNs) / 1e6 /
            double(during.elapsed()) * 100.0;
        waitFor([&] { return room.allReceived(talk - 1, all); }, 3000);
        for (auto &c : room.clients)
            c->onOwnLine = nullptr;
        f.backlog = room.latency(talk, all);
        std::vector<double> firsts;
        for (int seq = 0; seq < talk; ++seq) {
            qint64 first = -1;
            for (int r : all)
                if (room.arrivals[r][seq] >= 0 && (first < 0 || room.arrivals[r][seq] < first))
                    first = room.arrivals[r][seq];
            if (first >= 0) firsts.push_back(double(first - room.sentAt[seq]) / 1e6);
        }
        f.backlogFirst.p50 = percentile(firsts, 0.5);
        f.backlogFirst.p99 = percentile(firsts, 0.99);
        f.backlogFirst.max = percentile(firsts, 1.0);
        f.backlogFirst.lost = talk - int(firsts.size());
        f.backlogMemory = room.peakMemory();
    }
    f.ok = true;
    return f;
}

void printLatency(const char *what, const Latency &prompt, const Latency &paced)
{
    std::printf("%-34s | %7.2f / %7.2f / %8.2f ms, %5d lost | %7.2f / %7.2f / %8.2f ms, %5d "
                "lost\n",
                what, prompt.p50, prompt.p99, prompt.max, prompt.lost, paced.p50, paced.p99,
                paced.max, paced.lost);
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
    clockNs.start();

    const ModeFigures prompt = measure(false, messages, idleSeconds);
    const ModeFigures paced = measure(true, messages, idleSeconds);
    if (!prompt.ok || !paced.ok) {
        std::fprintf(stderr, "bench_host: a room could not be set up\n");
        return 1;
    }
    std::printf("%-34s | %-40s | %s\n", "p50 / p99 / max, lost receipts", "prompt pump",
                "paced pump (baseline)");
    printLatency("relay to 15, a line every 50 ms", prompt.relay, paced.relay);
    printLatency("same, one client floods 10 000", prompt.flood, paced.flood);
    printLatency("same, 14 keep 950 waiting", prompt.backlog, paced.backlog);
    printLatency("  its first receipt of each line", prompt.backlogFirst, paced.backlogFirst);
    std::printf("%-34s | %-40s | %s\n", "host peak memory, flood / backlog",
                (prompt.floodMemory + " / " + prompt.backlogMemory).constData(),
                (paced.floodMemory + " / " + paced.backlogMemory).constData());
    std::printf("%-34s | %6.1f %%%-32s | %6.1f %%\n", "host CPU while 14 keep 950 waiting",
                prompt.backlogHostCpuPercent, "", paced.backlogHostCpuPercent);
    std::printf("%-34s | %6.1f %%%-32s | %6.1f %%\n", "bench CPU (15 clients) meanwhile",
                prompt.backlogBenchCpuPercent, "", paced.backlogBenchCpuPercent);
    std::printf("%-34s | %8.3f ms (%.4f %%)%-19s | %8.3f ms (%.4f %%)\n", "host CPU, 15 idle",
                prompt.idleCpuMs, prompt.idleCpuPercent, "", paced.idleCpuMs, paced.idleCpuPercent);
    return 0;
}
