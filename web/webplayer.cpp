#include "web/webplayer.h"

#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>

#include "game/checkacro.h"
#include "net/commands.h"

namespace {

const QByteArray WebPrefix("WEB_");
const QByteArray CmdPrefix("CMD_");
const char Terminator = char(0xFF);

QByteArray commandWord(const QByteArray &message, QByteArray &remainder)
{
    const int plus = int(message.indexOf('+'));
    if (plus < 0) {
        remainder.clear();
        return message;
    }
    remainder = message.mid(plus + 1);
    return message.left(plus);
}

QByteArray flag(bool on)
{
    return on ? QByteArrayLiteral("t") : QByteArrayLiteral("f");
}

} // namespace

WebPlayer::WebPlayer(QWebSocket *socket, const QString &address, const WebPlayerConfig &config,
                     QObject *parent)
    : QObject(parent), socket(socket), peerAddress(address), config(config)
{
    socket->setParent(this);
    socket->setMaxAllowedIncomingFrameSize(MaxFrameBytes);
    socket->setMaxAllowedIncomingMessageSize(MaxFrameBytes);
    connect(socket, &QWebSocket::textMessageReceived, this, &WebPlayer::pageMessage);
    connect(socket, &QWebSocket::binaryMessageReceived, this, [this] { pageBinary(); });
    connect(socket, &QWebSocket::disconnected, this, &WebPlayer::end);
    toPage("WEB_hello+" + config.version + '+' + config.rating.toUtf8() + '+');
}

WebPlayer::~WebPlayer()
{
    ending = true;
    closeLink();
}

bool WebPlayer::validToken(const QByteArray &token)
{
    if (token.size() < MinTokenChars || token.size() > MaxTokenChars) return false;
    for (char c : token) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '_' || c == '-';
        if (!plain) return false;
    }
    return true;
}

QString WebPlayer::lettersCaption(const cmd::toClient::Letters &message, int &count)
{
    count = message.letterCount.value;
    if (!message.letterCount.ok || count < 0) {
        count = 0;
        return {};
    }
    return QString::fromUtf8(cmd::joinedLetters(message.letters, count));
}

void WebPlayer::pageBinary()
{
    // The page speaks text only.
    socket->close(QWebSocketProtocol::CloseCodeDatatypeNotSupported);
}

void WebPlayer::pageMessage(const QString &text)
{
    const QByteArray message = text.toUtf8();
    QByteArray remainder;
    const QByteArray word = commandWord(message, remainder);
    const auto own = [this](const auto &m) -> decltype(fromPage(m)) { fromPage(m); };
    if (cmd::dispatchWord<cmd::ToPort>(word, remainder, own) ||
        cmd::dispatchWord<cmd::ToHost>(word, remainder, own))
        return;
    if (word.startsWith(CmdPrefix) && word.size() > CmdPrefix.size()) {
        // Valid UTF-8 never holds the terminator byte, so a frame is always
        // exactly one message for the host.
        toHost(message);
    }
    // Anything else is not a message of ours; it goes nowhere.
}

void WebPlayer::fromPage(const cmd::toPort::Join &message)
{
    if (link || ending) return;
    const QByteArray &token = message.token;
    const QByteArray browserId = validToken(token) ? token : QByteArray();

    link = new QTcpSocket(this);
    // The port is known before the host can accept, so the host learns who is
    // behind this connection before its first word.
    if (!link->bind(QHostAddress::LocalHost, 0)) {
        delete link;
        link = nullptr;
        toPage("WEB_left+lost+");
        return;
    }
    linkPort = link->localPort();
    if (markPort) markPort(linkPort, peerAddress, browserId);
    link->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(link, &QTcpSocket::readyRead, this, &WebPlayer::hostReadable);
    connect(link, &QTcpSocket::disconnected, this,
            [this] { linkEnded(link && link->error() == QAbstractSocket::RemoteHostClosedError); });
    connect(link, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (!link) return;
        if (link->state() == QAbstractSocket::UnconnectedState ||
            error != QAbstractSocket::RemoteHostClosedError)
            linkEnded(error == QAbstractSocket::RemoteHostClosedError);
    });
    link->connectToHost(QHostAddress::LocalHost, config.gamePort);
}

void WebPlayer::fromPage(const cmd::toHost::Answer &message)
{
    // The desktop's own check, with its family filter, before anything is sent.
    if (!link || ownSlot < 1 || ownSlot > facts::PlayerSlots) return;
    // The page's slot field is not looked at; the link's own slot is used.
    const QString typed = QString::fromUtf8(cmd::acroFromWire(message.acro));
    const AcroCheck check = checkAcroText(typed, letters, letterCount,
                                          config.rating == QLatin1String(facts::RatingFamily));
    if (!check.checked) return;
    const QByteArray cleaned = check.cleaned.toUtf8();
    toPage("WEB_acrocheck+" + flag(check.accepted) + '+' + flag(check.filtered) + '+' +
           cmd::acroToWire(cleaned));
    if (check.accepted) {
        QByteArray out = cmd::client::acro(ownSlot, cleaned);
        out.chop(1); // toHost adds the terminator
        toHost(out);
    }
}

void WebPlayer::toHost(const QByteArray &message)
{
    if (!link || link->state() != QAbstractSocket::ConnectedState) return;
    link->write(message + Terminator);
    // The host reads promptly; a link it does not drain is broken.
    if (link->bytesToWrite() > MaxUnsentBytes) closeLink();
}

void WebPlayer::toPage(const QByteArray &message)
{
    if (ending) return;
    socket->sendTextMessage(QString::fromUtf8(message));
    if (socket->bytesToWrite() > MaxUnsentBytes) {
        // A page that does not read any more holds its seat no longer.
        closeLink();
        socket->abort();
    }
}

void WebPlayer::hostReadable()
{
    if (!link) return;
    pending += link->readAll();
    int start = 0;
    for (int end = int(pending.indexOf(Terminator)); end >= 0;
         end = int(pending.indexOf(Terminator, start))) {
        const QByteArray message = pending.mid(start, end - start);
        start = end + 1;
        if (!message.isEmpty()) hostMessage(message);
        if (!link) return; // the message ended the link
    }
    pending.remove(0, start);
    if (pending.size() > MaxHostMessageBytes) closeLink();
}

void WebPlayer::hostMessage(const QByteArray &message)
{
    QByteArray remainder;
    const QByteArray word = commandWord(message, remainder);
    roomFull = false;
    cmd::dispatchWord<cmd::ToClient>(
        word, remainder, [this](const auto &m) -> decltype(fromHost(m)) { fromHost(m); });
    toPage(message);
    if (roomFull) {
        closeLink();
        toPage("WEB_left+closed+");
        return;
    }
    updateRights();
}

void WebPlayer::fromHost(const cmd::toClient::SendLogin &message)
{
    // The slot is the message's only field, with or without a "+" after it.
    const QByteArray &text = message.slot.text;
    const int plus = int(text.indexOf('+'));
    int slot = 0;
    if (cmd::toNumber(plus < 0 ? text : text.left(plus), slot)) ownSlot = slot;
}

void WebPlayer::fromHost(const cmd::toClient::Letters &message)
{
    letters = lettersCaption(message, letterCount);
}

void WebPlayer::fromHost(const cmd::toClient::Full &)
{
    roomFull = true;
}

void WebPlayer::updateRights()
{
    const int now = (hostingSlot && ownSlot > 0 && hostingSlot() == ownSlot) ? 1 : 0;
    if (now == rights) return;
    rights = now;
    toPage("WEB_rights+" + flag(now == 1) + '+');
}

void WebPlayer::linkEnded(bool orderly)
{
    if (!link) return;
    closeLink();
    toPage(orderly ? "WEB_left+closed+" : "WEB_left+lost+");
}

void WebPlayer::closeLink()
{
    if (!link) return;
    QTcpSocket *old = link;
    link = nullptr;
    old->disconnect(this);
    // What was written still reaches the host (a last chat line, a goodbye);
    // then the connection closes in order.
    if (old->state() == QAbstractSocket::ConnectedState) {
        connect(old, &QTcpSocket::disconnected, old, &QObject::deleteLater);
        old->setParent(nullptr);
        old->disconnectFromHost();
        if (old->state() == QAbstractSocket::UnconnectedState)
            old->deleteLater();
        else
            QTimer::singleShot(LingerMs, old, [old] {
                old->abort();
                old->deleteLater();
            });
    } else {
        old->abort();
        old->deleteLater();
    }
    if (unmarkPort && linkPort) unmarkPort(linkPort);
    linkPort = 0;
    ownSlot = 0;
    letterCount = 0;
    letters.clear();
    pending.clear();
    rights = -1;
}

void WebPlayer::end()
{
    if (ending) return;
    closeLink();
    ending = true;
    emit finished(this);
}
