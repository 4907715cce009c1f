// The room this program hosts, opened to browsers: its web port while it
// hosts, and the Invite window that tells friends where to join.
#include <QPointer>
#include <QPushButton>

#include "client/colortext.h"
#include "client/gamearea.h"
#include "client/tchat.h"
#include "host/tserver.h"
#include "net/commands.h"
#include "portmap/portmapper.h"
#include "shell/settings.h"
#include "web/invitelinks.h"
#include "web/webserver.h"
#include "windows/tinvite.h"
#include "windows/tplaywithothers.h"
#include "windows/webchoice.h"

namespace {
PortMapper *portMapperOf(const QObject *chat)
{
    return chat->findChild<PortMapper *>(QStringLiteral("portmapper"), Qt::FindDirectChildrenOnly);
}
} // namespace

void Tchat::startWebServer()
{
    stopWebServer();
    if (!st.isHost || !windows.server) return;
    const webchoice::Choice choice = webchoice::read(settings::filePath());
    if (choice.serve) {
        webServer = new WebServer(this);
        // The host may go first when the program ends.
        QPointer<TServer> server = windows.server;
        webServer->markPort = [server](quint16 port, const QString &address, const QByteArray &id) {
            if (server) server->markWebPort(port, TServer::Peer{address, id, true});
        };
        webServer->unmarkPort = [server](quint16 port) {
            if (server) server->unmarkWebPort(port);
        };
        webServer->hostingSlot = [server] { return server ? server->hostingSlot() : 0; };
        WebServerConfig config;
        config.port = webchoice::portFor(choice, windows.server->listeningPort());
        config.gamePort = windows.server->listeningPort();
        config.rating = st.roomRating;
        config.version = cmd::GameVersion;
        // A taken web port only keeps browsers out; the room plays on.
        if (!webServer->start(config)) {
            addlinetochat(QStringLiteral("Browsers cannot join: port %1 is in use (%2).")
                              .arg(config.port)
                              .arg(webServer->error()),
                          colortext::clYellow);
            delete webServer;
            webServer = nullptr;
        }
    }
    // Opt-in, from the hosting choices: the router forwards the game and web
    // ports while the room lives; the mapper removes them when it goes.
    if (playwithothers && playwithothers->mapPortWanted()) {
        auto *mapper = new PortMapper(this);
        mapper->setObjectName(QStringLiteral("portmapper"));
        connect(mapper, &PortMapper::mapped, this, [this](const PortMapper::Result &result) {
            addlinetochat(PortMapper::mappedText(result), colortext::clYellow);
            if (inviteWindow) updateInvite();
        });
        connect(mapper, &PortMapper::failed, this,
                [this](const QString &message) { addlinetochat(message, colortext::clYellow); });
        QList<quint16> ports{windows.server->listeningPort()};
        if (webServer) ports.append(webServer->port());
        mapper->start(ports);
    }
    if (inviteWindow) updateInvite();
}

void Tchat::stopWebServer()
{
    // Removes the router's mappings (waits a few seconds at most for it).
    delete portMapperOf(this);
    delete webServer;
    webServer = nullptr;
    if (inviteWindow) updateInvite();
}

QStringList Tchat::gameAddresses() const
{
    QStringList addresses;
    if (!st.isHost || !windows.server) return addresses;
    const quint16 port = windows.server->listeningPort();
    const auto reachable = invite::reachableAddresses();
    for (const QHostAddress &address : reachable) {
        const QString text = address.toString();
        addresses.append(address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QStringLiteral("[%1]:%2").arg(text).arg(port)
                             : QStringLiteral("%1:%2").arg(text).arg(port));
    }
    return addresses;
}

void Tchat::updateInvite()
{
    if (!inviteWindow) return;
    inviteWindow->setRoom(webServer ? invite::webLinks(webServer->port()) : QStringList(),
                          gameAddresses());
    const PortMapper *mapper = portMapperOf(this);
    inviteWindow->setDesktopLinks(
        st.isHost && windows.server
            ? invite::desktopLinks(windows.server->listeningPort(),
                                   mapper ? mapper->result().publicAddress : QString())
            : QStringList());
}

void Tchat::Invite1Click()
{
    if (!inviteWindow) {
        inviteWindow = new Tinvite(this);
        inviteWindow->setWindowFlag(Qt::Window);
    }
    updateInvite();
    inviteWindow->show();
    inviteWindow->raise();
}

void Tchat::buildInviteButton()
{
    // Beside Start Game in the top bar, shown while this program hosts.
    QWidget *bar = panel_back->findChild<QWidget *>(QStringLiteral("panel_top"));
    auto *button = new QPushButton(QStringLiteral("Invite"), bar ? bar : panel_back);
    button->setObjectName(QStringLiteral("button_invite"));
    button->setToolTip(QStringLiteral("Let friends join from a phone or a browser"));
    button->setGeometry(292, 9, 64, 26);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(
        QStringLiteral("#button_invite { background: #ffd21f; color: #1b2350; font-weight: bold; "
                       "border: 1px solid #8a6d00; border-radius: 6px; }"
                       "#button_invite:hover { background: #ffe066; }"));
    button->hide();
    connect(button, &QPushButton::clicked, this, &Tchat::Invite1Click);
}
