// Shared pieces of the main window's tests: a recording sound player, a fake
// host that speaks the wire format over real TCP, and a fixture that makes the
// program's windows in a temporary program folder without ending the process.
#pragma once

#include <QAction>
#include <QLabel>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTextBlock>
#include <memory>

#include "client/chatdisplay.h"
#include "client/colortext.h"
#include "client/program.h"
#include "client/soundplayer.h"
#include "client/tchat.h"
#include "net/commands.h"
#include "resources/resourcenames.h"
#include "shell/programfolder.h"
#include "shell/settings.h"
#include "tests/support/testsupport.h"

class RecordingSounds : public SoundPlayer
{
public:
    explicit RecordingSounds(QStringList *log) : log(log) {}
    void play(const QString &name) override { log->append(name); }

private:
    QStringList *log;
};

// A host made of a QTcpServer: it records every message a client sends (the
// raw bytes too) and sends what the test tells it to.
class FakeHost : public QObject
{
public:
    explicit FakeHost(QObject *parent = nullptr) : QObject(parent)
    {
        server.listen(QHostAddress::LocalHost, 0);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *peer = server.nextPendingConnection()) {
                if (client) {
                    extra.append(peer);
                    continue;
                }
                client = peer;
                connect(peer, &QTcpSocket::readyRead, this, [this] {
                    const QByteArray bytes = client->readAll();
                    raw += bytes;
                    pending += bytes;
                    int at;
                    while ((at = pending.indexOf('\xFF')) >= 0) {
                        messages.append(pending.left(at));
                        pending.remove(0, at + 1);
                    }
                });
            }
        });
    }
    quint16 port() const { return server.serverPort(); }
    bool waitForClient(int ms = 5000)
    {
        if (!client) (void)QTest::qWaitFor([this] { return client != nullptr; }, ms);
        return client != nullptr;
    }
    void send(const QByteArray &bytes)
    {
        client->write(bytes);
        client->flush();
    }
    // The first message that starts with `prefix`, waiting for it.
    QByteArray waitFor(const QByteArray &prefix, int ms = 5000)
    {
        QByteArray found;
        (void)QTest::qWaitFor(
            [&] {
                for (const QByteArray &m : messages)
                    if (m.startsWith(prefix)) {
                        found = m;
                        return true;
                    }
                return false;
            },
            ms);
        return found;
    }
    int count(const QByteArray &prefix) const
    {
        int n = 0;
        for (const QByteArray &m : messages)
            n += m.startsWith(prefix) ? 1 : 0;
        return n;
    }

    QTcpServer server;
    QTcpSocket *client = nullptr;
    QList<QTcpSocket *> extra;
    QByteArray raw;
    QByteArray pending;
    QList<QByteArray> messages; // without the terminator; empty entries kept
};

class ChatFixture
{
public:
    ChatFixture()
    {
        res::init();
        chat.reset(createWindows());
        chat->endProgram = [this] { ++ended; };
        chat->showMessage = [this](const QString &text) { boxes.append(text); };
        chat->showLastMessage = [this](const QString &text, std::function<void()> then) {
            boxes.append(text);
            dismissLast = then;
        };
        chat->showError = [this](const QString &text) { errors.append(text); };
        chat->pickColour = [this](TColor, TColor &chosen) {
            if (!colourAnswer) return false;
            chosen = *colourAnswer;
            return true;
        };
        chat->chatDisplay()->openAddress = [this](const QString &address) {
            opened.append(address);
        };
        chat->setSoundPlayer(std::make_unique<RecordingSounds>(&sounds));
        chat->setPhrasePause(0);
    }

    // Joins the fake host as `name` and takes the login reply for `slot`.
    bool login(int slot, const QString &name = QStringLiteral("Bob"))
    {
        chat->setGamePort(host.port());
        chat->state().ownName = name;
        chat->state().hostAddress = QStringLiteral("127.0.0.1");
        chat->joinpress();
        if (!host.waitForClient()) return false;
        host.send(cmd::host::sendlogininfo(slot));
        return !host.waitFor(cmd::CMD_logininfo).isEmpty();
    }
    // The host announces this client's own arrival (the settings are read).
    void arrive(int slot, const QString &name = QStringLiteral("Bob"))
    {
        chat->dispatch(cmd::host::newplayerinfo(slot, name.toUtf8()).chopped(1));
    }
    // Hands a message to the dispatcher as the pump does (terminator removed).
    void receive(const QByteArray &message)
    {
        chat->dispatch(message.endsWith('\xFF') ? message.chopped(1) : message);
    }
    // Waits until the fake host has `n` messages starting with `prefix`.
    bool waitForCount(const QByteArray &prefix, int n)
    {
        return QTest::qWaitFor([&] { return host.count(prefix) >= n; }, 5000);
    }

    QStringList lines() const
    {
        return chat->chatDisplay()->document()->toPlainText().split(u'\n', Qt::SkipEmptyParts);
    }
    QString lastLine() const { return lines().value(lines().size() - 1); }
    // The colour and the bold part of the last line.
    QColor lastLineColour() const
    {
        const QTextBlock block = chat->chatDisplay()->document()->lastBlock();
        return block.begin().fragment().charFormat().foreground().color();
    }
    QString boldPart(const QTextBlock &block) const
    {
        QString bold;
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().fontWeight() == QFont::Bold)
                bold += it.fragment().text();
        return bold;
    }

    template <typename T> T *find(const QString &name) const { return chat->findChild<T *>(name); }
    QAction *action(const QString &name) const { return find<QAction>(name); }
    QLabel *label(const QString &name) const { return find<QLabel>(name); }
    QString settingsFile() const { return folder.file(QStringLiteral("zunolobby.ini")); }

    testsupport::TempProgramFolder folder;
    FakeHost host;
    std::unique_ptr<Tchat> chat;
    QStringList sounds;
    QStringList boxes;
    QStringList errors;
    QStringList opened;
    std::optional<TColor> colourAnswer;
    std::function<void()> dismissLast; // the player closes the last message
    int ended = 0;
};

inline QColor colourOf(TColor c)
{
    return colortext::toQColor(c);
}
