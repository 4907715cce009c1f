#include "bots/botoptions.h"

#include "net/gamefacts.h"
#include "net/numbertext.h"

QString botUsage()
{
    return QStringLiteral(
               "Usage: quibbleton-bot --host ADDRESS [--port N] [--count K] [--seed S]\n"
               "                      [--name-prefix P] [--level easy|normal|hard] [--quiet]\n"
               "                      [--help] [--version]\n"
               "  --host ADDRESS   the host to join\n"
               "  --port N         its port (default %1)\n"
               "  --count K        computer players to connect (1 to %2, default 1)\n"
               "  --seed S         seed of their choices (default: from the clock)\n"
               "  --name-prefix P  put P before each player's name\n"
               "  --level L        easy, normal (default) or hard\n"
               "  --quiet          the players say nothing in the chat\n"
               "  --help           show this text\n"
               "  --version        show the version\n")
        .arg(facts::DefaultPort)
        .arg(facts::MaxComputerPlayers);
}

BotOptionsResult parseBotOptions(const QStringList &arguments, BotOptions &options, QString &error)
{
    bool hostGiven = false;
    for (int i = 1; i < arguments.size(); ++i) {
        QString arg = arguments[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            return BotOptionsResult::Help;
        if (arg == QLatin1String("--version")) return BotOptionsResult::Version;
        if (arg == QLatin1String("--quiet")) {
            options.room.quiet = true;
            continue;
        }
        QString value;
        const int eq = arg.indexOf(QLatin1Char('='));
        if (arg.startsWith(QLatin1String("--")) && eq > 0) {
            value = arg.mid(eq + 1);
            arg = arg.left(eq);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            error = arg + QStringLiteral(" needs a value");
            return BotOptionsResult::Error;
        }
        qulonglong number = 0;
        if (arg == QLatin1String("--host")) {
            if (value.isEmpty()) {
                error = QStringLiteral("--host needs a value");
                return BotOptionsResult::Error;
            }
            options.room.host = value;
            hostGiven = true;
        } else if (arg == QLatin1String("--port")) {
            if (!toUnsigned(value, 65535, number) || number == 0) {
                error = QStringLiteral("invalid port: ") + value;
                return BotOptionsResult::Error;
            }
            options.room.port = quint16(number);
        } else if (arg == QLatin1String("--count")) {
            if (!toUnsigned(value, BotRoom::MaxBots, number) || number == 0) {
                error = QStringLiteral("invalid count: ") + value;
                return BotOptionsResult::Error;
            }
            options.count = int(number);
        } else if (arg == QLatin1String("--seed")) {
            if (!toUnsigned(value, 0xFFFFFFFFull, number)) {
                error = QStringLiteral("invalid seed: ") + value;
                return BotOptionsResult::Error;
            }
            options.room.seed = quint32(number);
            options.seedGiven = true;
        } else if (arg == QLatin1String("--name-prefix")) {
            options.room.namePrefix = value.left(64);
        } else if (arg == QLatin1String("--level")) {
            if (value == QLatin1String("easy"))
                options.room.difficulty = Difficulty::Easy;
            else if (value == QLatin1String("normal"))
                options.room.difficulty = Difficulty::Normal;
            else if (value == QLatin1String("hard"))
                options.room.difficulty = Difficulty::Hard;
            else {
                error = QStringLiteral("invalid level: ") + value;
                return BotOptionsResult::Error;
            }
        } else {
            error = QStringLiteral("unknown argument: ") + arguments[i];
            return BotOptionsResult::Error;
        }
    }
    if (!hostGiven) {
        error = QStringLiteral("--host is required");
        return BotOptionsResult::Error;
    }
    return BotOptionsResult::Run;
}
