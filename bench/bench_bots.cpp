// Computer players: lexicon load, answer time (p50/p99) for 3, 7 and 15
// letters beside the bare answer check as a baseline, memory per player, and
// the idle load of a room of one host and eleven computer players.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <random>
#include <sys/resource.h>
#include <sys/times.h>
#include <time.h>
#include <unistd.h>

#include "bots/botroom.h"
#include "game/checkacro.h"
#include "host/tserver.h"

namespace {
long rssKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

double cpuMs()
{
    tms t;
    times(&t);
    return double(t.tms_utime + t.tms_stime) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// Time this thread ran, so a slice another process took does not count.
double threadMs()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[size_t(p * double(v.size() - 1))];
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const long before = rssKiB();
    QElapsedTimer clock;
    clock.start();
    const Lexicon &lexicon = Lexicon::shared();
    const double loadMs = double(clock.nsecsElapsed()) / 1e6;
    std::printf("lexicon: %d words (%s), loaded in %.1f ms, +%ld KiB resident\n", lexicon.size(),
                lexicon.fromFiles() ? "WordNet" : "built-in only", loadMs, rssKiB() - before);

    const QStringList categories = {"Sea Life", "Food", "Computers", "Animals", "General"};
    std::mt19937 rng(1);
    const char drawn[] =
        "AABBBBBCCCCCDDDDDEFFFFFGGGGGHHHHHIJJKLLLLLMMMMMNNNNNOPPPPPQRRRRRSSSSSTTTTTUVWWWWWYZ";
    for (const QString &category : categories)
        lexicon.related(category); // warm the cache
    for (int length : {3, 7, 15}) {
        AcroMaker maker(lexicon, quint32(length));
        std::vector<double> make, check, makeCpu;
        for (int i = 0; i < 2000; ++i) {
            QString letters;
            for (int k = 0; k < length; ++k)
                letters += QLatin1Char(drawn[std::uniform_int_distribution<int>(0, 82)(rng)]);
            const QString &category = categories[i % categories.size()];
            clock.restart();
            const double cpu0 = threadMs();
            const QString answer = maker.make(letters, category);
            makeCpu.push_back(threadMs() - cpu0);
            make.push_back(double(clock.nsecsElapsed()) / 1e6);
            clock.restart();
            checkAcroText(answer, letters, length, true);
            check.push_back(double(clock.nsecsElapsed()) / 1e6);
            if (i < 3)
                std::printf("  %s [%s]: %s\n", qPrintable(letters), qPrintable(category),
                            qPrintable(answer));
        }
        std::printf("%2d letters: answer p50 %.3f ms p99 %.3f ms (thread CPU p99 %.3f ms) | "
                    "check alone p50 %.4f ms p99 %.4f ms\n",
                    length, percentile(make, 0.5), percentile(make, 0.99),
                    percentile(makeCpu, 0.99), percentile(check, 0.5), percentile(check, 0.99));
    }
    clock.restart();
    lexicon.related(QStringLiteral("Unusual Occupations"));
    std::printf("first neighbourhood of a new category: %.1f ms\n",
                double(clock.nsecsElapsed()) / 1e6);
    if (argc > 1) {
        auto near = lexicon.related(QString::fromLocal8Bit(argv[1]));
        QByteArrayList list(near->words.begin(), near->words.end());
        std::sort(list.begin(), list.end());
        std::printf("%s: %s\n", argv[1], list.join(' ').constData());
    }

    // A room: one host, eleven computer players, a default stage clock; the
    // baseline is the same host alone, idle for the same time.
    TServer server;
    server.startListening(QStringLiteral("0"));
    double cpuBefore = cpuMs();
    clock.restart();
    QTest::qWait(3000);
    std::printf("idle host alone (baseline): %.1f ms CPU in %.1f s wall\n", cpuMs() - cpuBefore,
                double(clock.elapsed()) / 1000.0);
    BotRoomConfig config;
    config.port = server.listeningPort();
    BotRoom room(config);
    room.portHook = [&](quint16 port, bool on) { server.markComputerPort(port, on); };
    const long roomBefore = rssKiB();
    room.setCount(11);
    const bool joined = QTest::qWaitFor(
        [&] {
            int in = 0;
            for (BotPlayer *b : room.players())
                in += b->slot() > 0;
            return in == 11;
        },
        10000);
    // The host takes one message per 10 ms: let the logins settle first.
    QTest::qWait(1500);
    std::printf("memory per computer player: %.0f KiB (11 players%s, lexicon shared)\n",
                double(rssKiB() - roomBefore) / 11.0, joined ? "" : ", NOT all joined");
    cpuBefore = cpuMs();
    clock.restart();
    QTest::qWait(3000);
    std::printf("idle room (1 host + 11 players): %.1f ms CPU in %.1f s wall\n",
                cpuMs() - cpuBefore, double(clock.elapsed()) / 1000.0);
    room.stopAll();
    return 0;
}
