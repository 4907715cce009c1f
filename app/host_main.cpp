// quibbleton-host: the game host without a window.
#include <QCoreApplication>
#include <QTextStream>
#include <csignal>
#include <cstdio>

#include "host/hostoptions.h"
#include "host/quitsignals.h"
#include "host/tserver.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // A peer that vanished must not take the host down with it.
    std::signal(SIGPIPE, SIG_IGN);

    HostOptions options;
    QString error;
    QTextStream err(stderr);
    switch (parseHostOptions(app.arguments(), options, error)) {
    case HostOptionsResult::Help:
        QTextStream(stdout) << hostUsage();
        return 0;
    case HostOptionsResult::Version:
        QTextStream(stdout) << hostVersion();
        return 0;
    case HostOptionsResult::Error:
        err << "quibbleton-host: " << error << "\n" << hostUsage();
        return 2;
    case HostOptionsResult::Run:
        break;
    }

    QuitSignals quit;
    TServer server;
    if (options.seedGiven) server.setSeed(options.seed);
    server.setStageInterval(options.tickMs);
    if (!server.startListening(QString::number(options.port))) {
        err << "quibbleton-host: cannot listen on port " << options.port << ": "
            << server.lastListenError() << " (is the port already in use?)\n";
        return 1;
    }
    QObject::connect(&quit, &QuitSignals::quitRequested, &app, [&] {
        server.closeAll();
        app.quit();
    });
    std::printf("Listening on port %u\n", unsigned(server.listeningPort()));
    std::fflush(stdout);
    return app.exec();
}
