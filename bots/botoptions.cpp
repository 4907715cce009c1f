#include "bots/botoptions.h"

#include "net/commandline.h"
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
    CommandLine line;
    qulonglong number = 0;
    bool hostGiven = false;
    line.addFlag(QStringLiteral("quiet"), [&] { options.room.quiet = true; });
    // An empty value reads as none at all.
    line.addValue(QStringLiteral("host"), "--host needs a value", [&](const QString &v) {
        options.room.host = v;
        hostGiven = !v.isEmpty();
        return hostGiven;
    });
    line.addValue(QStringLiteral("port"), "invalid port: ", [&](const QString &v) {
        if (!toUnsigned(v, 65535, number) || number == 0) return false;
        options.room.port = quint16(number);
        return true;
    });
    line.addValue(QStringLiteral("count"), "invalid count: ", [&](const QString &v) {
        if (!toUnsigned(v, BotRoom::MaxBots, number) || number == 0) return false;
        options.count = int(number);
        return true;
    });
    line.addValue(QStringLiteral("seed"), "invalid seed: ", [&](const QString &v) {
        if (!toUnsigned(v, 0xFFFFFFFFull, number)) return false;
        options.room.seed = quint32(number);
        options.seedGiven = true;
        return true;
    });
    line.addValue(QStringLiteral("name-prefix"), "", [&](const QString &v) {
        options.room.namePrefix = v.left(64);
        return true;
    });
    line.addValue(QStringLiteral("level"), "invalid level: ", [&](const QString &v) {
        const QStringList levels = {QStringLiteral("easy"), QStringLiteral("normal"),
                                    QStringLiteral("hard")};
        const Difficulty as[] = {Difficulty::Easy, Difficulty::Normal, Difficulty::Hard};
        const qsizetype i = levels.indexOf(v);
        if (i < 0) return false;
        options.room.difficulty = as[i];
        return true;
    });
    const BotOptionsResult result = line.parse(arguments, error);
    if (result == BotOptionsResult::Run && !hostGiven) {
        error = QStringLiteral("--host is required");
        return BotOptionsResult::Error;
    }
    return result;
}
