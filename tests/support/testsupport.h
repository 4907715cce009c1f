// Helpers shared by the test executables: a loopback client that splits the
// host's stream at 0xFF, a free port, a temporary program folder, and small
// makers of test data.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTemporaryDir>

#include "net/tsock.h"

namespace testsupport {

// `size` bytes without a short period, so a lost, doubled or reordered piece
// shows when the bytes are compared.
QByteArray pattern(int size);

// The name an info kind is logged under: "Close", "Listen", ...
QString kindName(TSocketInfo kind);

// An answer whose words begin with `letters`, each finishing with `tag` in
// lower case: ("CAT", "Bob") gives "Cbob Abob Tbob".
QByteArray acroFor(const QByteArray &letters, const QByteArray &tag);

// A port on 127.0.0.1 that nobody listens on right now.
quint16 freePort();

// A plain TCP client that collects complete messages (terminator removed).
class LoopbackClient : public QObject
{
    Q_OBJECT
public:
    explicit LoopbackClient(QObject *parent = nullptr);
    bool connectTo(quint16 port, int timeoutMs = 5000);
    void send(const QByteArray &bytes);
    // Waits until a message starting with `prefix` has arrived and takes it
    // (with the ones before it) off the inbox. Returns the message, or an empty
    // array on time-out.
    QByteArray waitFor(const QByteArray &prefix, int timeoutMs = 5000);
    // True when the peer closed the connection (waits up to timeoutMs).
    bool waitForClosed(int timeoutMs = 5000);
    QList<QByteArray> messages; // everything received and not yet taken
    QTcpSocket socket;

private:
    QByteArray pending;
};

// Points the program folder at a fresh temporary folder for the test's life.
class TempProgramFolder
{
public:
    TempProgramFolder();
    ~TempProgramFolder();
    QString path() const { return dir.path(); }
    QString file(const QString &name) const;

private:
    QTemporaryDir dir;
};

} // namespace testsupport
