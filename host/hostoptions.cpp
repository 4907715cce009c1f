#include "host/hostoptions.h"

#include "net/commandline.h"
#include "net/commands.h"
#include "net/gamefacts.h"
#include "net/numbertext.h"

namespace {
const int MaxTickMs = 3600 * 1000;
const int MaxBots = facts::MaxComputerPlayers;
const int MaxRejoinSeconds = facts::MaxRejoinSeconds;
} // namespace

QString hostUsage()
{
    return QStringLiteral(
               "Usage: quibbleton-host [--port N] [--tick-ms MS] [--seed S] [--rating R]\n"
               "                       [--no-discovery] [--paced-pump] [--bots K] [--quiet]\n"
               "                       [--web-port N] [--no-web] [--qr] [--map-port]\n"
               "                       [--map-lease S]\n"
               "                       [--rejoin-seconds N] [--help] [--version]\n"
               "  --port N      TCP port to listen on (default %1; 0 picks a free one)\n"
               "  --tick-ms MS  period of the stage clock in milliseconds (default %2)\n"
               "  --seed S      seed of the random generator (default: from the clock)\n"
               "  --rating R    room rating shown to finders: %3 adult, %4 family, %5 not rated\n"
               "  --bots K      computer players in the room (0 to %6, default 0)\n"
               "  --quiet       the room's computer players say nothing in the chat\n"
               "  --rejoin-seconds N  keep a dropped player's place N seconds for its\n"
               "                return (0 to %7, default %8; 0 turns it off)\n"
               "  --web-port N  port browsers join on (default: the game port + 1; 0 picks\n"
               "                a free one)\n"
               "  --no-web      do not serve the game to browsers\n"
               "  --qr          also draw a QR code of the first browser link\n"
               "  --no-discovery  do not answer room finders on the local network\n"
               "  --map-port    ask the home router (UPnP, NAT-PMP) to open the game and\n"
               "                web ports to the internet while the room runs\n"
               "  --map-lease S the mapping's lease in seconds, renewed at half time\n"
               "                (2 to 86400, default 3600)\n"
               "  --paced-pump  handle one message per 10 ms tick, shares aside (the old\n"
               "                pump, for comparing benchmarks)\n"
               "  --help        show this text\n"
               "  --version     show the version\n")
        .arg(QString::number(facts::DefaultPort), QString::number(facts::DefaultTickMs),
             QLatin1String(facts::RatingAdult), QLatin1String(facts::RatingFamily),
             QLatin1String(facts::RatingNone), QString::number(facts::MaxComputerPlayers),
             QString::number(facts::MaxRejoinSeconds),
             QString::number(facts::DefaultRejoinSeconds));
}

QString hostVersion()
{
    return QStringLiteral("quibbleton-host ") + QLatin1String(cmd::GameVersion) + QLatin1Char('\n');
}

HostOptionsResult parseHostOptions(const QStringList &arguments, HostOptions &options,
                                   QString &error)
{
    CommandLine line;
    qulonglong number = 0;
    // A number within bounds, kept in `number`.
    auto within = [&number](const QString &value, qulonglong low, qulonglong high) {
        return toUnsigned(value, high, number) && number >= low;
    };
    line.addFlag(QStringLiteral("paced-pump"), [&] { options.pacedPump = true; });
    line.addFlag(QStringLiteral("no-web"), [&] { options.web = false; });
    line.addFlag(QStringLiteral("qr"), [&] { options.qr = true; });
    line.addFlag(QStringLiteral("map-port"), [&] { options.mapPort = true; });
    line.addFlag(QStringLiteral("quiet"), [&] { options.quiet = true; });
    line.addFlag(QStringLiteral("no-discovery"), [&] { options.discovery = false; });
    line.addValue(QStringLiteral("port"), "invalid port: ", [&](const QString &v) {
        return within(v, 0, 65535) && (options.port = quint16(number), true);
    });
    line.addValue(QStringLiteral("web-port"), "invalid web port: ", [&](const QString &v) {
        return within(v, 0, 65535) && (options.webPort = int(number), true);
    });
    line.addValue(QStringLiteral("tick-ms"), "invalid tick period: ", [&](const QString &v) {
        return within(v, 1, MaxTickMs) && (options.tickMs = int(number), true);
    });
    line.addValue(QStringLiteral("seed"), "invalid seed: ", [&](const QString &v) {
        if (!within(v, 0, 0xFFFFFFFFull)) return false;
        options.seed = quint32(number);
        options.seedGiven = true;
        return true;
    });
    line.addValue(QStringLiteral("rating"), "invalid rating: ", [&](const QString &v) {
        if (v != QLatin1String(facts::RatingAdult) && v != QLatin1String(facts::RatingFamily) &&
            v != QLatin1String(facts::RatingNone))
            return false;
        options.rating = v == QLatin1String(facts::RatingNone) ? QString() : v;
        return true;
    });
    line.addValue(QStringLiteral("bots"),
                  "invalid number of computer players: ", [&](const QString &v) {
                      return within(v, 0, MaxBots) && (options.bots = int(number), true);
                  });
    line.addValue(QStringLiteral("rejoin-seconds"), "invalid rejoin time: ", [&](const QString &v) {
        return within(v, 0, MaxRejoinSeconds) && (options.rejoinSeconds = int(number), true);
    });
    line.addValue(QStringLiteral("map-lease"), "invalid lease time: ", [&](const QString &v) {
        return within(v, 2, 86400) && (options.mapLeaseSeconds = int(number), true);
    });
    return line.parse(arguments, error);
}
