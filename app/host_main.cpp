// quibbleton-host: the game host without a window.
#include <QCoreApplication>
#include <QDateTime>
#include <QTextStream>
#include <csignal>
#include <cstdio>

#include "bots/botroom.h"
#include "host/hostoptions.h"
#include "host/quitsignals.h"
#include "host/roomfacts.h"
#include "host/tserver.h"
#include "net/commands.h"
#include "net/discoveryresponder.h"
#include "portmap/portmapper.h"
#include "web/invitelinks.h"
#include "web/qrcode.h"
#include "web/webserver.h"

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
    server.setRejoinSeconds(options.rejoinSeconds);
    if (options.pacedPump) server.setPumpMode(ReceiveQueue::PumpMode::Paced);
    if (!server.startListening(QString::number(options.port))) {
        err << "quibbleton-host: cannot listen on port " << options.port << ": "
            << server.lastListenError() << " (is the port already in use?)\n";
        return 1;
    }
    // The room's own computer players join first; they never hold the
    // hosting player's rights, which go to the first person to join.
    BotRoomConfig botConfig;
    botConfig.port = server.listeningPort();
    botConfig.quiet = options.quiet;
    botConfig.seed =
        options.seedGiven ? options.seed : quint32(QDateTime::currentMSecsSinceEpoch());
    BotRoom bots(botConfig);
    bots.portHook = [&server](quint16 port, bool computer) {
        server.markComputerPort(port, computer);
    };
    bots.setCount(options.bots);
    // Browsers come in through the web port as connections of their own.
    WebServer web;
    web.markPort = [&server](quint16 port, const QString &address, const QByteArray &browserId) {
        server.markWebPort(port, TServer::Peer{address, browserId, true});
    };
    web.unmarkPort = [&server](quint16 port) { server.unmarkWebPort(port); };
    web.hostingSlot = [&server] { return server.hostingSlot(); };
    if (options.web) {
        WebServerConfig webConfig;
        // A game port picked at random gets a web port picked the same way.
        const int wanted = options.webPort >= 0 ? options.webPort
                           : options.port == 0  ? 0
                                                : server.listeningPort() + 1;
        webConfig.port = wanted > 65535 ? 0 : quint16(wanted);
        webConfig.gamePort = server.listeningPort();
        webConfig.rating = options.rating;
        webConfig.version = cmd::GameVersion;
        if (!web.start(webConfig)) {
            err << "quibbleton-host: cannot serve browsers on port " << webConfig.port << ": "
                << web.error() << "\n";
            if (options.webPort >= 0) return 1;
        }
    }
    QObject::connect(&quit, &QuitSignals::quitRequested, &app, [&] {
        web.stop();
        bots.stopAll();
        server.closeAll();
        app.quit();
    });
    DiscoveryResponder finderAnswers([&] { return roomFacts(server, options.rating); });
    if (options.discovery && !finderAnswers.start(server.listeningPort(), discovery::DefaultPort))
        err << "quibbleton-host: rooms on this host cannot be found (UDP port "
            << server.listeningPort() << ": " << finderAnswers.error() << ")\n";
    err.flush();
    std::printf("Listening on port %u\n", unsigned(server.listeningPort()));
    if (web.listening()) {
        const QStringList links = invite::webLinks(web.port());
        for (const QString &link : links)
            std::printf("Browsers join at %s\n", qPrintable(link));
        if (options.qr && !links.isEmpty())
            std::printf("%s",
                        QrCode::encode(links.first().toUtf8()).terminalText().toUtf8().constData());
    }
    std::fflush(stdout);
    // Opt-in: the router forwards the room's ports while it runs; the
    // mapper's destructor removes them when the room ends.
    PortMapper mapper;
    if (options.mapPort) {
        QObject::connect(&mapper, &PortMapper::mapped, [](const PortMapper::Result &r) {
            std::printf("%s\n", qPrintable(PortMapper::mappedText(r)));
            std::fflush(stdout);
        });
        QObject::connect(&mapper, &PortMapper::failed, [](const QString &message) {
            std::printf("%s\n", qPrintable(message));
            std::fflush(stdout);
        });
        QList<quint16> ports{server.listeningPort()};
        if (web.listening()) ports.append(web.port());
        mapper.setLeaseSeconds(options.mapLeaseSeconds);
        mapper.start(ports);
    }
    return app.exec();
}
