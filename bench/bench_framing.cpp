// Throughput of the receive path: bytes cut into messages by a Framer, queued,
// and taken out again. Prints MB/s; never fails on speed.
#include "net/framing.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

constexpr qint64 TotalBytes = 100LL * 1000 * 1000;
constexpr int MessageSize = 40; // terminator included
constexpr int ReadSize = 32 * 1024;
constexpr int ReadsPerBatch = 128; // 4 MiB fed, then drained

// One socket read's worth of 40-byte chat messages. Its length is not a
// multiple of 40, so successive reads split messages at varying points.
QByteArray makeStream()
{
    QByteArray message = "CMD_chat+3+" + QByteArray(MessageSize - 12, 'x') + "|";
    message += framing::Terminator;
    QByteArray stream;
    while (stream.size() < ReadSize * 4)
        stream += message;
    return stream;
}

struct Result
{
    double seconds = 0;    // wall clock
    double cpuSeconds = 0; // this process; the machine is shared, so this is the figure
    qint64 bytes = 0;
    qint64 messages = 0;
};

// Feeds TotalBytes in ReadSize pieces; after every `readsPerDrain` reads the
// queue is emptied with `drain`.
template <typename Drain> Result run(int readsPerDrain, ReceiveQueue &queue, Drain drain)
{
    const QByteArray stream = makeStream();
    // Reads wrap around the stream at a message boundary, so they join up.
    const qint64 period = (stream.size() - ReadSize) / MessageSize * MessageSize;
    Framer framer;
    Result result;
    QElapsedTimer clock;
    clock.start();
    const std::clock_t cpuStart = std::clock();
    qint64 offset = 0;
    int reads = 0;
    while (result.bytes < TotalBytes) {
        const QByteArray read = stream.mid(offset % period, ReadSize);
        offset += ReadSize;
        if (!framer.feed(read, queue, 1)) {
            std::fprintf(stderr, "framer refused the stream\n");
            std::exit(1);
        }
        result.bytes += read.size();
        if (++reads % readsPerDrain == 0) result.messages += drain();
    }
    result.messages += drain();
    result.seconds = clock.nsecsElapsed() / 1e9;
    result.cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    return result;
}

void report(const char *label, const Result &r)
{
    std::printf("%-42s %7.1f MB/s  %5.2f M messages/s  (CPU %.2f s, wall %.2f s)\n", label,
                r.bytes / 1e6 / r.cpuSeconds, r.messages / 1e6 / r.cpuSeconds, r.cpuSeconds,
                r.seconds);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::printf(
        "Receive path, %lld MB of %d-byte messages in %d-byte reads (rates per CPU second)\n",
        static_cast<long long>(TotalBytes / 1000000), MessageSize, ReadSize);

    {
        ReceiveQueue queue;
        queue.setBacklogLimit(1LL << 40); // a 4 MiB batch is far above the flood limit
        auto drain = [&queue] {
            qint64 n = 0;
            while (!queue.isEmpty()) {
                queue.takeFirst();
                ++n;
            }
            return n;
        };
        report("feed 4 MiB, then drain with takeFirst", run(ReadsPerBatch, queue, drain));
        report("feed one read, then drain with takeFirst", run(1, queue, drain));
    }
    {
        // The pump's own step: split off the command word and dispatch.
        ReceiveQueue queue;
        qint64 handled = 0;
        queue.setPump(1000, [&handled](const ReceivedEntry &entry) {
            handled += splitEntry(entry.text).remainder.size() > 0;
        });
        auto drain = [&queue] {
            qint64 n = 0;
            while (!queue.isEmpty()) {
                queue.tick();
                ++n;
            }
            return n;
        };
        report("feed one read, then drain with tick()", run(1, queue, drain));
        if (handled == 0) return 1;
    }
    return 0;
}
