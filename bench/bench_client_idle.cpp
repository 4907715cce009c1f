// CPU time of an idle client in a room over ten seconds: the hosting player's
// process (client and host) with two more players, and a client joined to a
// host elsewhere. Prints figures; never fails on speed.
#include <QApplication>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

#include "client/program.h"
#include "host/tserver.h"
#include "net/commands.h"
#include "resources/resourcenames.h"
#include "shell/programfolder.h"
#include "tests/support/testsupport.h"

namespace {
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec / 1e6;
}

// Percent of one core used while the event loop runs for `seconds`.
double idleLoad(int seconds)
{
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    const double before = cpuSeconds();
    loop.exec();
    return (cpuSeconds() - before) / seconds * 100.0;
}

Tchat *quietWindow()
{
    Tchat *chat = createWindows();
    chat->endProgram = [] {};
    chat->showMessage = [](const QString &) {};
    chat->show();
    return chat;
}
} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    res::init();
    QTemporaryDir folder;
    setProgramFolder(folder.path());
    const int seconds = 10;

    // The hosting player with two more players at the table.
    Tchat *hosting = quietWindow();
    hosting->setGamePort(testsupport::freePort());
    hosting->setLobbyPort(testsupport::freePort());
    hosting->processparams({"Hal", "127.0.0.1", "true", "a"});
    (void)QTest::qWaitFor([hosting] { return hosting->settingsWereRead(); }, 10000);
    testsupport::LoopbackClient ann, cy;
    for (auto [client, name] : {std::pair{&ann, "Ann"}, std::pair{&cy, "Cy"}}) {
        client->connectTo(hosting->server()->listeningPort());
        const QByteArray reply = client->waitFor(cmd::CMD_sendlogininfo);
        client->send(cmd::client::logininfo(reply.mid(reply.indexOf('+') + 1).toInt(),
                                            cmd::GameVersion, name));
    }
    QTest::qWait(500);
    const double hostingLoad = idleLoad(seconds);
    delete hosting;

    // A client joined to a host in another process (here: a silent listener).
    QTcpServer elsewhere;
    elsewhere.listen(QHostAddress::LocalHost, 0);
    Tchat *joined = quietWindow();
    joined->setGamePort(elsewhere.serverPort());
    joined->setLobbyPort(testsupport::freePort());
    joined->processparams({"Bob", "127.0.0.1", "false", "e"});
    (void)QTest::qWaitFor([&] { return elsewhere.hasPendingConnections(); }, 5000);
    QTcpSocket *peer = elsewhere.nextPendingConnection();
    peer->write(cmd::host::sendlogininfo(2) + cmd::host::newplayerinfo(2, "Bob"));
    (void)QTest::qWaitFor([joined] { return joined->settingsWereRead(); }, 5000);
    QTest::qWait(500);
    const double joinedLoad = idleLoad(seconds);
    delete joined;

    std::printf("idle for %d s, hosting player (client and host, 3 players): %.3f %% of a core\n",
                seconds, hostingLoad);
    std::printf("idle for %d s, joined client: %.3f %% of a core\n", seconds, joinedLoad);
    return 0;
}
