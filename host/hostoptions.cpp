#include "host/hostoptions.h"

#include "net/commands.h"
#include "net/gamefacts.h"
#include "net/numbertext.h"

namespace {
const int MaxTickMs = 3600 * 1000;
const int MaxBots = facts::MaxComputerPlayers;
const int MaxRejoinSeconds = facts::MaxRejoinSeconds;

// The value of `--name V` or `--name=V`; advances `i` past what it used.
bool optionValue(const QStringList &args, int &i, const QString &name, QString &value,
                 bool &matched)
{
    const QString &arg = args[i];
    matched = false;
    if (arg == name) {
        matched = true;
        if (i + 1 >= args.size()) return false;
        value = args[++i];
        return true;
    }
    if (arg.startsWith(name + QLatin1Char('='))) {
        matched = true;
        value = arg.mid(name.size() + 1);
        return true;
    }
    return true;
}
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
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            return HostOptionsResult::Help;
        if (arg == QLatin1String("--paced-pump")) {
            options.pacedPump = true;
            continue;
        }
        if (arg == QLatin1String("--version")) return HostOptionsResult::Version;

        if (arg == QLatin1String("--no-web")) {
            options.web = false;
            continue;
        }
        if (arg == QLatin1String("--qr")) {
            options.qr = true;
            continue;
        }
        if (arg == QLatin1String("--map-port")) {
            options.mapPort = true;
            continue;
        }
        if (arg == QLatin1String("--quiet")) {
            options.quiet = true;
            continue;
        }
        if (arg == QLatin1String("--no-discovery")) {
            options.discovery = false;
            continue;
        }
        QString value;
        bool matched = false;
        qulonglong number = 0;
        if (!optionValue(arguments, i, QStringLiteral("--port"), value, matched)) {
            error = QStringLiteral("--port needs a value");
            return HostOptionsResult::Error;
        }
        if (matched) {
            if (!toUnsigned(value, 65535, number)) {
                error = QStringLiteral("invalid port: ") + value;
                return HostOptionsResult::Error;
            }
            options.port = quint16(number);
            continue;
        }
        if (!optionValue(arguments, i, QStringLiteral("--web-port"), value, matched)) {
            error = QStringLiteral("--web-port needs a value");
            return HostOptionsResult::Error;
        }
        if (matched) {
            if (!toUnsigned(value, 65535, number)) {
                error = QStringLiteral("invalid web port: ") + value;
                return HostOptionsResult::Error;
            }
            options.webPort = int(number);
            continue;
        }
        if (!optionValue(arguments, i, QStringLiteral("--tick-ms"), value, matched)) {
            error = QStringLiteral("--tick-ms needs a value");
            return HostOptionsResult::Error;
        }
        if (matched) {
            if (!toUnsigned(value, MaxTickMs, number) || number == 0) {
                error = QStringLiteral("invalid tick period: ") + value;
                return HostOptionsResult::Error;
            }
            options.tickMs = int(number);
            continue;
        }
        if (!optionValue(arguments, i, QStringLiteral("--seed"), value, matched)) {
            error = QStringLiteral("--seed needs a value");
            return HostOptionsResult::Error;
        }
        if (matched) {
            if (!toUnsigned(value, 0xFFFFFFFFull, number)) {
                error = QStringLiteral("invalid seed: ") + value;
                return HostOptionsResult::Error;
            }
            options.seed = quint32(number);
            options.seedGiven = true;
            continue;
        }
        if (!optionValue(arguments, i, QStringLiteral("--rating"), value, matched)) {
            error = QStringLiteral("--rating needs a value");
            return HostOptionsResult::Error;
        }
        if (matched) {
            if (value != QLatin1String(facts::RatingAdult) &&
                value != QLatin1String(facts::RatingFamily) &&
                value != QLatin1String(facts::RatingNone)) {
                error = QStringLiteral("invalid rating: ") + value;
                return HostOptionsResult::Error;
            }
            options.rating = value == QLatin1String(facts::RatingNone) ? QString() : value;
            continue;
        }
        if (!optionValue(arguments, i, QStringLiteral("--bots"), value, matched)) {
            error = QStringLiteral("--bots needs a value");
            return HostOptionsResult::Error;
        }
        if (matched) {
            if (!toUnsigned(value, MaxBots, number)) {
                error = QStringLiteral("invalid number of computer players: ") + value;
                return HostOptionsResult::Error;
            }
            options.bots = int(number);
            continue;
        }
        if (!optionValue(arguments, i, QStringLiteral("--rejoin-seconds"), value, matched)) {
            error = QStringLiteral("--rejoin-seconds needs a value");
            return HostOptionsResult::Error;
        }
        if (matched) {
            if (!toUnsigned(value, MaxRejoinSeconds, number)) {
                error = QStringLiteral("invalid rejoin time: ") + value;
                return HostOptionsResult::Error;
            }
            options.rejoinSeconds = int(number);
            continue;
        }
        if (!optionValue(arguments, i, QStringLiteral("--map-lease"), value, matched)) {
            error = QStringLiteral("--map-lease needs a value");
            return HostOptionsResult::Error;
        }
        if (matched) {
            if (!toUnsigned(value, 86400, number) || number < 2) {
                error = QStringLiteral("invalid lease time: ") + value;
                return HostOptionsResult::Error;
            }
            options.mapLeaseSeconds = int(number);
            continue;
        }
        error = QStringLiteral("unknown argument: ") + arg;
        return HostOptionsResult::Error;
    }
    return HostOptionsResult::Run;
}
