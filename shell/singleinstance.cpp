#include "shell/singleinstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

namespace {
const QByteArray activateRequest("activate\n");
// "join LINK\n": come forward and join the room of the link. An earlier
// release reads it as no request at all.
const QByteArray joinPrefix("join ");
// A later start may come while the first one is between taking the lock and
// listening; it tries for this long before it gives up (and still ends).
constexpr int ConnectPatienceMs = 2000;
constexpr int RetryPauseMs = 50;
constexpr int MaxRequestBytes = 512;

QLockFile *makeLock(const QString &path)
{
    auto *lock = new QLockFile(path);
    // The lock is stale only when its process is gone, never because of its age:
    // a game runs for hours.
    lock->setStaleLockTime(0);
    return lock;
}
} // namespace

SingleInstance::SingleInstance(const QString &name, const QString &folder, QObject *parent)
    : QObject(parent), name(name), folder(folder)
{
}

SingleInstance::~SingleInstance()
{
    if (server) server->close();
    delete lock;
}

QString SingleInstance::defaultFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return folder;
}

QString SingleInstance::lockPath() const
{
    return QDir(folder).filePath(name + ".lock");
}
QString SingleInstance::socketPath() const
{
    return QDir(folder).filePath(name + ".socket");
}

bool SingleInstance::isPrevInstance(bool activate, const QString &inviteLink)
{
    if (holding) return false;
    QDir().mkpath(folder);
    delete lock;
    lock = makeLock(lockPath());
    if (!lock->tryLock(0)) {
        if (lock->error() == QLockFile::LockFailedError) {
            if (activate) askToActivate(inviteLink);
            return true;
        }
        // The folder cannot hold a lock at all: rather run twice than never.
        qWarning("Single instance check unavailable in %s", qPrintable(folder));
        return false;
    }
    holding = true;
    server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket file left by a crashed instance is ours to remove now.
    QLocalServer::removeServer(socketPath());
    if (!server->listen(socketPath()))
        qWarning("Cannot listen on %s: %s", qPrintable(socketPath()),
                 qPrintable(server->errorString()));
    connect(server, &QLocalServer::newConnection, this, &SingleInstance::readRequest);
    return false;
}

void SingleInstance::readRequest()
{
    while (QLocalSocket *peer = server->nextPendingConnection()) {
        connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
            // One line, bounded; a request that never ends its line is cut off.
            QByteArray request = peer->property("request").toByteArray();
            request += peer->read(MaxRequestBytes - request.size());
            const qsizetype end = request.indexOf('\n');
            if (end < 0 && request.size() < MaxRequestBytes) {
                peer->setProperty("request", request);
                return;
            }
            if (request.startsWith(activateRequest.trimmed())) {
                emit activationRequested();
            } else if (end > 0 && request.startsWith(joinPrefix)) {
                emit activationRequested();
                emit joinRequested(
                    QString::fromUtf8(request.mid(joinPrefix.size(), end - joinPrefix.size())));
            }
            peer->disconnectFromServer();
        });
    }
}

bool SingleInstance::askToActivate(const QString &inviteLink) const
{
    const QByteArray request =
        inviteLink.isEmpty() ? activateRequest : joinPrefix + inviteLink.toUtf8().left(400) + '\n';
    const QDeadlineTimer deadline(ConnectPatienceMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(RetryPauseMs)) {
            socket.write(request);
            const bool sent = socket.waitForBytesWritten(ConnectPatienceMs);
            socket.disconnectFromServer();
            return sent;
        }
        QThread::msleep(RetryPauseMs);
    }
    return false;
}

NamedLock::NamedLock(const QString &name, const QString &folder)
{
    QDir().mkpath(folder);
    lock = makeLock(QDir(folder).filePath(name + ".lock"));
    holding = lock->tryLock(0);
}

NamedLock::~NamedLock()
{
    delete lock;
}
