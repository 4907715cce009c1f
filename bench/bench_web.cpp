// Browser players against desktop players, side by side in one run. The host
// runs as its own process (quibbleton-host, web port on) so /proc tells its
// memory apart from the clients'.
//
//   relay:   15 players, one chat line every 50 ms from each in turn, the time
//            from send to receipt at every player: 15 TCP players, then 15
//            browser players (WebSockets through the web port)
//   memory:  the host's resident memory with nobody in, with 12 players and
//            3 spies over TCP, and with 12 players and 3 spies from browsers
//
//   bench_web [--messages N]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
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

// One player, over TCP or through the web port; it timestamps each tagged
// chat line ("#<seq>|") it receives.
class Player
{
public:
    Player(bool web, std::vector<qint64> &arrivals) : web(web), arrivals(arrivals) {}

    bool join(quint16 gamePort, quint16 webPort, int index)
    {
        name = "P" + QByteArray::number(index);
        if (web) {
            socket =
                std::make_unique<QWebSocket>(QStringLiteral("http://127.0.0.1:%1").arg(webPort));
            QObject::connect(socket.get(), &QWebSocket::textMessageReceived,
                             [this](const QString &text) { message(text.toUtf8()); });
            socket->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(webPort)));
            if (!waitFor([this] { return socket->state() == QAbstractSocket::ConnectedState; }))
                return false;
            socket->sendTextMessage(QStringLiteral("WEB_join+benchbrowser%1xxxxxxxx").arg(index));
        } else {
            tcp = std::make_unique<QTcpSocket>();
            QObject::connect(tcp.get(), &QTcpSocket::readyRead, [this] {
                pending += tcp->readAll();
                int at;
                while ((at = int(pending.indexOf('\xFF'))) >= 0) {
                    const QByteArray one = pending.left(at);
                    pending.remove(0, at + 1);
                    message(one);
                }
            });
            tcp->connectToHost(QHostAddress::LocalHost, gamePort);
            if (!tcp->waitForConnected(5000)) return false;
        }
        return waitFor([this] { return slot != 0; }) && waitFor([this] { return announced; });
    }

    void send(const QByteArray &message)
    {
        if (web) {
            socket->sendTextMessage(QString::fromUtf8(message.chopped(1)));
            socket->flush();
        } else {
            tcp->write(message);
            tcp->flush();
        }
    }

    int slot = 0;
    bool announced = false;

private:
    void message(const QByteArray &m)
    {
        const qint64 now = clockNs.nsecsElapsed();
        if (m.startsWith("CMD_sendlogininfo+")) {
            slot = m.mid(18).split('+').first().toInt();
            send(cmd::client::logininfo(slot, cmd::GameVersion, name).chopped(1));
        } else if (m.startsWith("CMD_newplayerinfo+" + QByteArray::number(slot) + '+')) {
            announced = true;
        } else if (m.startsWith("CMD_chat+")) {
            const int mark = int(m.indexOf('#'));
            const int bar = int(m.indexOf('|', mark));
            if (mark >= 0 && bar > mark) {
                const int seq = m.mid(mark + 1, bar - mark - 1).toInt();
                if (seq >= 0 && seq < int(arrivals.size()) && arrivals[seq] < 0)
                    arrivals[seq] = now;
            }
        }
    }

    bool web;
    std::vector<qint64> &arrivals;
    QByteArray name;
    QByteArray pending;
    std::unique_ptr<QWebSocket> socket;
    std::unique_ptr<QTcpSocket> tcp;
};

class Room
{
public:
    bool open()
    {
        gamePort = testsupport::freePort();
        webPort = testsupport::freePort();
        host.start(QCoreApplication::applicationDirPath() + "/../quibbleton-host",
                   {"--port", QString::number(gamePort), "--web-port", QString::number(webPort)});
        return host.waitForStarted() && host.waitForReadyRead(5000);
    }
    bool fill(bool web, int count, int lines)
    {
        arrivals.assign(count, std::vector<qint64>(lines, -1));
        sentAt.assign(lines, -1);
        for (int i = 0; i < count; ++i) {
            players.push_back(std::make_unique<Player>(web, arrivals[i]));
            if (!players.back()->join(gamePort, webPort, i + 1)) return false;
        }
        pause(300);
        return true;
    }
    QByteArray memory() const { return statusLine(host.processId(), "VmRSS:"); }
    ~Room()
    {
        players.clear();
        host.terminate();
        host.waitForFinished(5000);
    }

    QProcess host;
    quint16 gamePort = 0, webPort = 0;
    std::vector<std::vector<qint64>> arrivals;
    std::vector<qint64> sentAt;
    std::vector<std::unique_ptr<Player>> players;
};

struct Relay
{
    double p50 = 0, p99 = 0, max = 0;
    double firstP50 = 0, firstP99 = 0; // the earliest receipt of each line
    int receipts = 0, lost = 0;
    bool ok = false;
};

Relay relay(bool web, int lines)
{
    Relay out;
    Room room;
    if (!room.open() || !room.fill(web, Players, lines)) return out;
    for (int seq = 0; seq < lines; ++seq) {
        Player &sender = *room.players[seq % Players];
        room.sentAt[seq] = clockNs.nsecsElapsed();
        sender.send(
            cmd::client::chat(sender.slot, "bench #" + QByteArray::number(seq) + "|", "clRed"));
        pause(50);
    }
    waitFor(
        [&] {
            return std::all_of(room.arrivals.begin(), room.arrivals.end(),
                               [&](const auto &a) { return a[lines - 1] >= 0; });
        },
        2000);
    std::vector<double> values;
    for (const auto &a : room.arrivals)
        for (int seq = 0; seq < lines; ++seq) {
            if (a[seq] < 0)
                ++out.lost;
            else
                values.push_back(double(a[seq] - room.sentAt[seq]) / 1e6);
        }
    std::vector<double> firsts;
    for (int seq = 0; seq < lines; ++seq) {
        qint64 first = -1;
        for (const auto &a : room.arrivals)
            if (a[seq] >= 0 && (first < 0 || a[seq] < first)) first = a[seq];
        if (first >= 0) firsts.push_back(double(first - room.sentAt[seq]) / 1e6);
    }
    out.firstP50 = percentile(firsts, 0.5);
    out.firstP99 = percentile(firsts, 0.99);
    out.receipts = int(values.size());
    out.p50 = percentile(values, 0.5);
    out.p99 = percentile(values, 0.99);
    out.max = percentile(values, 1.0);
    out.ok = true;
    return out;
}

QByteArray memoryWith(bool web, int count)
{
    Room room;
    if (!room.open()) return "?";
    pause(300);
    if (count > 0 && !room.fill(web, count, 1)) return "?";
    pause(500);
    return room.memory();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    clockNs.start();
    int messages = 300;
    const QStringList args = app.arguments();
    const int at = int(args.indexOf(QStringLiteral("--messages")));
    if (at >= 0 && at + 1 < args.size()) messages = qMax(Players, args[at + 1].toInt());

    const Relay tcp = relay(false, messages);
    const Relay web = relay(true, messages);
    std::printf("relay to %d players, %d lines, one every 50 ms (ms send to receipt)\n", Players,
                messages);
    std::printf("  %-8s %8s %8s %8s %10s %10s %9s %5s\n", "players", "p50", "p99", "max",
                "first p50", "first p99", "receipts", "lost");
    for (const auto &[label, r] : {std::pair<const char *, Relay>{"tcp", tcp}, {"web", web}})
        std::printf("  %-8s %8.3f %8.3f %8.3f %10.3f %10.3f %9d %5d%s\n", label, r.p50, r.p99,
                    r.max, r.firstP50, r.firstP99, r.receipts, r.lost,
                    r.ok ? "" : "  (room failed)");
    std::printf("  web p99 / tcp p99: %.2f, first receipt: %.2f\n",
                tcp.p99 > 0 ? web.p99 / tcp.p99 : 0.0,
                tcp.firstP99 > 0 ? web.firstP99 / tcp.firstP99 : 0.0);

    std::printf("host resident memory\n");
    std::printf("  empty room:                 %s\n", memoryWith(false, 0).constData());
    std::printf("  12 players + 3 spies, tcp:  %s\n", memoryWith(false, Players).constData());
    std::printf("  12 players + 3 spies, web:  %s\n", memoryWith(true, Players).constData());
    return 0;
}
