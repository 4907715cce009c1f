#include "client/program.h"

#include <QApplication>
#include <QIcon>

#include "download/tdownload.h"
#include "host/tserver.h"
#include "resources/resourcenames.h"
#include "shell/launchargs.h"
#include "shell/singleinstance.h"
#include "windows/tabout.h"
#include "windows/tacrolog.h"
#include "windows/tcategorylist.h"
#include "windows/tgamestart.h"
#include "windows/thelp.h"
#include "windows/tphrases.h"
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

int quibbletonMain(int argc, char *argv[])
{
    // The command line is the game's: the toolkit gets only the program's path,
    // so no argument is taken away from the game or acted on as an option.
    const QStringList arguments = launchArguments(argc, argv);
    int toolkitArgc = argc > 0 ? 1 : 0;
    QApplication app(toolkitArgc, argv);
    // The application's name stays the executable's: the instance lock names
    // its holder by it. The title is the main window's caption.

    SingleInstance instance(QString::fromLatin1(InstanceName));
    if (instance.isPrevInstance(true)) return 0;
    // Held for the life of the process, for the lobby to test.
    const NamedLock marker(QString::fromLatin1(MarkerName));

    res::init();
    QApplication::setWindowIcon(QIcon(QString::fromLatin1(res::icon)));

    Tchat *chat = createWindows();
    QObject::connect(&instance, &SingleInstance::activationRequested, chat, &Tchat::bringForward);
    chat->setLaunchArguments(arguments);
    chat->show();
    const int code = QApplication::exec();
    delete chat;
    return code;
}
