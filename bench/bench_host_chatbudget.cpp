// The room's chat budget under a flood: fourteen connections each send 4 KB
// chat lines at their full pump share (40 a second) while one player says a
// short line every second. Measured on the host's own clock (socketless
// slots, every message to every slot counted), once with the budget and once
// without it (the baseline: what a room relayed before), in one run.
//
//   bench_host_chatbudget [--seconds N]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "host/tserver.h"
#include "net/commands.h"
#include "tests/host/tserverprobe.h"

namespace {

struct Figures
{
    double linesPerSecond = 0; // chat lines relayed to one client
    double bytesPerSecond = 0;
    int honestSent = 0;
    int honestRelayed = 0;
    double hostMsPerSecond = 0; // host work per simulated second
};

Figures run(bool budget, int seconds)
{
    TServer server;
    qint64 now = 1000;
    server.setClock([&now] { return now; });
    if (!budget) server.setChatBudget(0);
    qint64 lines = 0, bytes = 0;
    Figures f;
    TServerProbe(server).sendHook() = [&](int slot, const QByteArray &m) {
        if (slot != TServer::LastSlot || !m.startsWith(cmd::CMD_chat)) return;
        ++lines;
        bytes += m.size();
        if (m.startsWith("CMD_chat+P15 ")) ++f.honestRelayed;
    };
    for (int s = 1; s <= TServer::LastSlot; ++s)
        TServerProbe(server).addTestPlayer(s, "P" + QByteArray::number(s));
    const QByteArray big(4000, 'x');
    QElapsedTimer work;
    qint64 workNs = 0;
    for (int second = 0; second < seconds; ++second) {
        for (int step = 0; step < TServer::ShareRate; ++step) {
            work.start();
            for (int s = 1; s < TServer::LastSlot; ++s)
                TServerProbe(server).injectMessage(s,
                                                   cmd::client::chat(s, big, "clRed").chopped(1));
            if (step == 0) {
                TServerProbe(server).injectMessage(
                    TServer::LastSlot,
                    cmd::client::chat(TServer::LastSlot, "hello", "clRed").chopped(1));
                ++f.honestSent;
            }
            TServerProbe(server).drainQueue();
            workNs += work.nsecsElapsed();
            now += 1000 / TServer::ShareRate;
        }
    }
    f.linesPerSecond = double(lines) / seconds;
    f.bytesPerSecond = double(bytes) / seconds;
    f.hostMsPerSecond = double(workNs) / 1e6 / seconds;
    return f;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int seconds = 60;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i)
        if (args[i] == "--seconds") seconds = args[i + 1].toInt();
    std::printf(
        "14 flooders (4 KB lines, 40/s each) and one player (1 line/s), %d s of host clock:\n",
        seconds);
    for (const bool budget : {false, true}) {
        const Figures f = run(budget, seconds);
        std::printf("  %-20s to each client %6.1f lines/s, %8.1f KiB/s; honest %d of %d relayed;"
                    " host %6.2f ms per second\n",
                    budget ? "chat budget:" : "no budget (old):", f.linesPerSecond,
                    f.bytesPerSecond / 1024, f.honestRelayed, f.honestSent, f.hostMsPerSecond);
    }
    return 0;
}
