// quibbleton-bot: computer players for a room, without a window.
#include <QCoreApplication>
#include <QDateTime>
#include <QTextStream>
#include <csignal>

#include "bots/botoptions.h"
#include "host/quitsignals.h"
#include "net/commands.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::signal(SIGPIPE, SIG_IGN);

    BotOptions options;
    QString error;
    QTextStream err(stderr);
    switch (parseBotOptions(app.arguments(), options, error)) {
    case BotOptionsResult::Help:
        QTextStream(stdout) << botUsage();
        return 0;
    case BotOptionsResult::Version:
        QTextStream(stdout) << "quibbleton-bot " << cmd::GameVersion << "\n";
        return 0;
    case BotOptionsResult::Error:
        err << "quibbleton-bot: " << error << "\n" << botUsage();
        return 2;
    case BotOptionsResult::Run:
        break;
    }
    if (!options.seedGiven) options.room.seed = quint32(QDateTime::currentMSecsSinceEpoch());

    QuitSignals quit;
    BotRoom room(options.room);
    bool quitting = false;
    bool joined = false;
    QObject::connect(&quit, &QuitSignals::quitRequested, &app, [&] {
        quitting = true;
        room.stopAll();
        app.exit(0);
    });
    QObject::connect(&room, &BotRoom::empty, &app, [&] {
        if (quitting) return;
        err << (joined ? "quibbleton-bot: the host closed the connection\n"
                       : "quibbleton-bot: cannot join the host\n");
        err.flush();
        app.exit(joined ? 0 : 1);
    });
    room.setCount(options.count);
    for (BotPlayer *player : room.players())
        QObject::connect(player, &BotPlayer::loggedIn, &app, [&] { joined = true; });
    if (room.count() == 0) {
        err << "quibbleton-bot: cannot connect to " << options.room.host << "\n";
        return 1;
    }
    return app.exec();
}
