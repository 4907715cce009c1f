#include "client/program.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstring>

#include "download/tdownload.h"
#include "host/tserver.h"
#include "net/commands.h"
#include "net/gamefacts.h"
#include "resources/resourcenames.h"
#include "shell/launchargs.h"
#include "shell/settings.h"
#include "shell/singleinstance.h"
#include "shell/stalesaves.h"
#include "windows/tabout.h"
#include "windows/tacrolog.h"
#include "windows/tcategorylist.h"
#include "windows/tgamestart.h"
#include "windows/thelp.h"
#include "windows/tphrases.h"
#include "windows/tplaywithothers.h"
#include "windows/tspylist.h"

Tchat *createWindows()
{
    auto *chat = new Tchat;
    Tchat::Windows w;
    w.help = new Thelp(chat);
    w.about = new Tabout(chat);
    w.spylist = new Tspylist(chat);
    w.categorylist = new Tcategorylist(chat);
    w.phrases = new Tphrases(chat);
    w.acrolog = new Tacrolog(chat);
    w.download = new Tdownload(chat);
    w.server = new TServer(chat);
    w.server->setObjectName("Server");
    w.gamestart = new Tgamestart(chat);
    chat->setWindows(w);
    return chat;
}

namespace {

// The room of an invite link, joined through the Play with Others window (which
// asks for a name first when none is remembered). Anything else is ignored.
void joinInviteLink(Tchat *chat, const QString &link)
{
    QString host;
    quint16 port = 0;
    if (!parseInviteLink(link, host, port)) return;
    chat->roomWindow()->joinInvite(inviteLink(host, port).mid(int(qstrlen(InviteScheme))));
}
const char UsageText[] =
    "Usage: quibbleton [NAME ADDRESS HOST [RATING]]\n"
    "       quibbleton --help | --version\n"
    "Quibbleton, a party word game for up to twelve players over a network.\n"
    "Without arguments it plays a solo game on this computer under the name \"You\".\n"
    "  NAME     the player's name\n"
    "  ADDRESS  the host's address (host name or IPv4 address), optionally with\n"
    "           :PORT (default %1), used when joining\n"
    "  HOST     \"true\": host the room on this computer (port %1);\n"
    "           anything else: join the room at ADDRESS\n"
    "  RATING   the room's rating: %2 adult, %3 family (word filter on), else not rated\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n";
} // namespace

LaunchOption launchOption(int argc, char *argv[])
{
    // The launch arguments are positional (a player may well be called "-x"),
    // so only these two exact words, and only first, are options.
    if (argc < 2) return LaunchOption::None;
    if (std::strcmp(argv[1], "--help") == 0) return LaunchOption::Help;
    if (std::strcmp(argv[1], "--version") == 0) return LaunchOption::Version;
    return LaunchOption::None;
}

QByteArray launchOptionText(LaunchOption option)
{
    switch (option) {
    case LaunchOption::Help:
        return QString::fromLatin1(UsageText)
            .arg(QString::number(facts::DefaultPort), QLatin1String(facts::RatingAdult),
                 QLatin1String(facts::RatingFamily))
            .toUtf8();
    case LaunchOption::Version:
        return QByteArray("quibbleton ") + cmd::GameVersion + '\n';
    case LaunchOption::None:
        break;
    }
    return QByteArray();
}

int quibbletonMain(int argc, char *argv[])
{
    // Answered before any window or the single-instance lock, so it works on a
    // machine without a display and beside a running game.
    if (const LaunchOption option = launchOption(argc, argv); option != LaunchOption::None) {
        const QByteArray text = launchOptionText(option);
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }

    // The command line is the game's: the toolkit gets only the program's path,
    // so no argument is taken away from the game or acted on as an option.
    const QStringList arguments = launchArguments(argc, argv);
    int toolkitArgc = argc > 0 ? 1 : 0;
    QApplication app(toolkitArgc, argv);
    // The application's name stays the executable's: the instance lock names
    // its holder by it. The title is the main window's caption.

    // Started with an invite link (the desktop's handler of quibbleton://): a
    // running program is asked to switch to that room.
    QString inviteHost;
    quint16 invitePort = 0;
    const bool invited =
        arguments.size() == 1 && parseInviteLink(arguments.first(), inviteHost, invitePort);
    SingleInstance instance(QString::fromLatin1(InstanceName));
    if (instance.isPrevInstance(true, invited ? arguments.first() : QString())) return 0;
    // Held for the life of the process, for the lobby to test.
    const NamedLock marker(QString::fromLatin1(MarkerName));
    // Copies left by a save that was killed before it finished.
    removeStaleSaves(settings::filePath());

    res::init();
    QApplication::setWindowIcon(QIcon(QString::fromLatin1(res::icon)));

    Tchat *chat = createWindows();
    QObject::connect(&instance, &SingleInstance::activationRequested, chat, &Tchat::bringForward);
    QObject::connect(&instance, &SingleInstance::joinRequested, chat,
                     [chat](const QString &link) { joinInviteLink(chat, link); });
    // The link alone is one argument: no room is entered until it is joined.
    chat->setLaunchArguments(arguments);
    chat->show();
    if (invited) joinInviteLink(chat, arguments.first());
    const int code = QApplication::exec();
    delete chat;
    return code;
}
