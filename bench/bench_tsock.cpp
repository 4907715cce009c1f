// Loopback figures for TSock: bulk throughput through one connection, the
// rate of small game-sized messages, and the round-trip time of a message
// answered at once. Both ends run in this process on one Qt event loop, as
// the hosting player's client and the host do.
#include "net/tsock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSysInfo>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

struct Connection
{
    TSock listener;
    TSock client;
    TSock *server = nullptr;

    bool open()
    {
        listener.setPortName("0");
        listener.OnAccept = [this](TSock *sender) { sender->Accept(server); };
        listener.setListen(true);
        client.setHostName("127.0.0.1");
        client.setPortName(QString::number(listener.LocalPort()));
        client.Open();
        return runUntil([this] { return server && client.Connected(); }, 5000);
    }

    // Runs the event loop until `done` holds or the time is up.
    template <typename Done> static bool runUntil(Done done, int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > timeoutMs) return false;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        return true;
    }
};

struct Rate
{
    double wall = -1; // MB per second of wall-clock time
    double cpu = -1;  // MB per CPU second of the process (both ends, kernel included)
};

// Bytes from client to server in chunks, refilled whenever the system has
// taken everything queued.
Rate throughput(qint64 total, int chunkSize)
{
    Connection c;
    if (!c.open()) return {};
    const QByteArray chunk(chunkSize, 'q');
    qint64 sent = 0;
    qint64 received = 0;
    auto pump = [&] {
        while (sent < total && c.client.OutgoingSize() == 0) {
            c.client.Send(chunk);
            sent += chunk.size();
        }
    };
    c.client.OnWrite = [&](TSock *) { pump(); };
    c.server->OnRead = [&](TSock *sock, int) { received += sock->Receive().size(); };
    QElapsedTimer clock;
    clock.start();
    const std::clock_t cpuStart = std::clock();
    pump();
    if (!Connection::runUntil([&] { return received >= total; }, 120000)) return {};
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    const double cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const double megabytes = double(total) / (1024.0 * 1024.0);
    return {megabytes / seconds, cpuSeconds > 0 ? megabytes / cpuSeconds : -1};
}

// Round trips of a short message that the other end sends straight back.
std::vector<double> roundTrips(int count, const QByteArray &message)
{
    std::vector<double> micros;
    Connection c;
    if (!c.open()) return micros;
    micros.reserve(size_t(count));
    QElapsedTimer clock;
    QByteArray echoed;
    c.server->OnRead = [&](TSock *sock, int) { sock->Send(sock->Receive()); };
    c.client.OnRead = [&](TSock *sock, int) {
        echoed += sock->Receive();
        if (echoed.size() < message.size()) return;
        micros.push_back(double(clock.nsecsElapsed()) / 1000.0);
        echoed.clear();
        if (int(micros.size()) < count) {
            clock.start();
            sock->Send(message);
        }
    };
    clock.start();
    c.client.Send(message);
    Connection::runUntil([&] { return int(micros.size()) >= count; }, 60000);
    return micros;
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t at = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
    return values[at];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::printf("TSock loopback benchmark (%s, Qt %s)\n",
                qPrintable(QSysInfo::currentCpuArchitecture()), qVersion());

    const qint64 bulk = 64LL * 1024 * 1024;
    for (int chunk : {64 * 1024, 1024 * 1024}) {
        const Rate rate = throughput(bulk, chunk);
        std::printf("throughput: 64 MB in %d KB sends: %.0f MB/s, %.0f MB per CPU second\n",
                    chunk / 1024, rate.wall, rate.cpu);
    }
    // Game traffic is many short messages; each Send is one system call.
    {
        const int messages = 200000;
        const int size = 64;
        const Rate rate = throughput(qint64(messages) * size, size);
        std::printf("messages: %d of %d bytes: %.0f messages/s, %.0f per CPU second\n", messages,
                    size, rate.wall * 1024.0 * 1024.0 / size, rate.cpu * 1024.0 * 1024.0 / size);
    }
    const QByteArray ping = QByteArray("CMD_chat+1+ping") + '\xFF';
    const std::vector<double> trips = roundTrips(2000, ping);
    std::printf("round trip: %zu x %d bytes: p50 %.1f us, p99 %.1f us, max %.1f us\n", trips.size(),
                int(ping.size()), percentile(trips, 0.5), percentile(trips, 0.99),
                trips.empty() ? 0.0 : *std::max_element(trips.begin(), trips.end()));
    return 0;
}
