#include "client/joinattempt.h"

#include "net/commands.h"
#include "net/tsock.h"

namespace {
const char ConnectionRefused[] = "10061";
// The login reply is a few bytes; a peer that sends this much without it is
// no room of ours.
const int MaxFirstBytes = 4096;
} // namespace

JoinAttempt::JoinAttempt(const QString &host, quint16 port, QObject *parent)
    : QObject(parent), hostName(host), portNumber(port)
{
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, &JoinAttempt::giveUp);
}

JoinAttempt::~JoinAttempt()
{
    if (sock) {
        sock->OnInfo = nullptr;
        sock->OnRead = nullptr;
    }
}

void JoinAttempt::start()
{
    sock = new TSock(this);
    sock->setHostName(hostName);
    sock->setPortName(QString::number(portNumber));
    sock->OnInfo = [this](TSock *, TSocketInfo kind, const QString &text) { onInfo(kind, text); };
    sock->OnRead = [this](TSock *, int) { onRead(); };
    timer.start(WaitMs);
    try {
        sock->Open();
    } catch (const ESockException &) {
        // A name that does not resolve: reported after start() returns, like
        // every other outcome.
        QMetaObject::invokeMethod(
            this, [this] { finish(NobodyThere); }, Qt::QueuedConnection);
    }
}

void JoinAttempt::onRead()
{
    if (result != Waiting) return;
    try {
        bytes += sock->Receive();
    } catch (const ESockException &) {
        return;
    }
    const qsizetype end = bytes.indexOf(char(0xFF));
    if (end < 0) {
        if (bytes.size() > MaxFirstBytes) finish(NobodyThere);
        return;
    }
    const QByteArray first = bytes.left(end);
    if (first.startsWith(QByteArray(cmd::CMD_sendlogininfo) + '+'))
        finish(Joined);
    else if (first.startsWith(cmd::CMD_full))
        finish(Full);
    else
        finish(NobodyThere);
}

void JoinAttempt::onInfo(TSocketInfo kind, const QString &text)
{
    if (result != Waiting) return;
    if (kind == TSocketInfo::Error && text.contains(QLatin1String(ConnectionRefused)))
        finish(Refused);
    else if (kind == TSocketInfo::Error)
        finish(NobodyThere);
    else if (text == TSock::InfoSocketClosed)
        // Closed before a word: a host that is shutting down, or not a room.
        finish(Refused);
}

void JoinAttempt::giveUp()
{
    if (result == Waiting) finish(NobodyThere);
}

void JoinAttempt::finish(Outcome outcome)
{
    if (result != Waiting) return;
    result = outcome;
    timer.stop();
    if (outcome != Joined && sock) {
        sock->OnInfo = nullptr;
        sock->OnRead = nullptr;
        try {
            sock->Close();
        } catch (const ESockException &) {
        }
    }
    emit finished(outcome);
}

TSock *JoinAttempt::takeSocket()
{
    if (result != Joined || !sock) return nullptr;
    TSock *taken = sock;
    sock = nullptr;
    taken->OnInfo = nullptr;
    taken->OnRead = nullptr;
    taken->setParent(nullptr);
    return taken;
}
