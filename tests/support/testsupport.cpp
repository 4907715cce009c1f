#include "tests/support/testsupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QTcpServer>
#include <QTest>

#include "shell/programfolder.h"

namespace testsupport {

QByteArray pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xFF);
    return bytes;
}

QString kindName(TSocketInfo kind)
{
    static const char *const names[] = {"Lookup",  "Connect", "Close",  "Listen",
                                        "Receive", "Send",    "Accept", "Error"};
    return QString::fromLatin1(names[int(kind)]);
}

QByteArray acroFor(const QByteArray &letters, const QByteArray &tag)
{
    QByteArray out;
    for (char l : letters)
        out += QByteArray(1, l) + tag.toLower() + ' ';
    return out.trimmed();
}

quint16 freePort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

LoopbackClient::LoopbackClient(QObject *parent) : QObject(parent)
{
    connect(&socket, &QTcpSocket::readyRead, this, [this] {
        pending += socket.readAll();
        int at;
        while ((at = pending.indexOf('\xFF')) >= 0) {
            messages.append(pending.left(at));
            pending.remove(0, at + 1);
        }
    });
}

bool LoopbackClient::connectTo(quint16 port, int timeoutMs)
{
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(timeoutMs);
}

void LoopbackClient::send(const QByteArray &bytes)
{
    socket.write(bytes);
    socket.flush();
}

QByteArray LoopbackClient::waitFor(const QByteArray &prefix, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        for (int i = 0; i < messages.size(); ++i) {
            if (messages[i].startsWith(prefix)) {
                const QByteArray found = messages[i];
                messages.erase(messages.begin(), messages.begin() + i + 1);
                return found;
            }
        }
        if (deadline.hasExpired()) return QByteArray();
        QTest::qWait(5);
    }
}

bool LoopbackClient::waitForClosed(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (socket.state() != QAbstractSocket::UnconnectedState) {
        if (deadline.hasExpired()) return false;
        QTest::qWait(5);
    }
    return true;
}

TempProgramFolder::TempProgramFolder()
{
    setProgramFolder(dir.path());
}
TempProgramFolder::~TempProgramFolder()
{
    setProgramFolder(QString());
}
QString TempProgramFolder::file(const QString &name) const
{
    return QDir(dir.path()).filePath(name);
}

} // namespace testsupport
