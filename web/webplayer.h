// One browser in the room: the page's WebSocket on one side and, once its
// player joins, a connection to the host on the other, made exactly as a
// desktop client's. The host holds it to the same rules and limits as any
// other connection; this side adds only what a page cannot do for itself
// (the desktop's answer check) and says which messages are its own ("WEB_").
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <functional>

#include "net/gamefacts.h"
#include "net/messages.h"

class QTcpSocket;
class QWebSocket;

struct WebPlayerConfig
{
    quint16 gamePort = facts::DefaultPort; // the host's game port on 127.0.0.1
    QString rating;                        // "e" switches the family filter on for answers
    QByteArray version;                    // the version the page logs in with
};

class WebPlayer : public QObject
{
    Q_OBJECT
public:
    // Bounds on the page's side: the largest frame a page may send, and the
    // output a page may leave unread before it is cut off (as the host cuts
    // off a desktop client).
    static constexpr int MaxFrameBytes = 16 * 1024;
    static constexpr qint64 MaxUnsentBytes = 4 * 1024 * 1024;
    // A host's message without a terminator longer than this ends the link.
    static constexpr int MaxHostMessageBytes = 64 * 1024;
    static constexpr int MaxTokenChars = 64;
    static constexpr int MinTokenChars = 16;
    // How long a closed link may take to hand the host its last bytes.
    static constexpr int LingerMs = 10000;

    WebPlayer(QWebSocket *socket, const QString &address, const WebPlayerConfig &config,
              QObject *parent = nullptr);
    ~WebPlayer() override;

    // The owner marks the link's loopback source port with the browser's
    // address and token before it connects, and unmarks it once closed.
    std::function<void(quint16 port, const QString &address, const QByteArray &browserId)> markPort;
    std::function<void(quint16 port)> unmarkPort;
    // The slot holding the hosting player's rights (0 when nobody does).
    std::function<int()> hostingSlot;

    QString address() const { return peerAddress; }
    bool joined() const { return link != nullptr; }
    int slot() const { return ownSlot; }

    // A token is 16 to 64 characters of A-Z, a-z, 0-9, "_" and "-".
    static bool validToken(const QByteArray &token);
    // The letters as the desktop shows them, from CMD_theletters: the count
    // and up to that many fields joined.
    static QString lettersCaption(const cmd::toClient::Letters &message, int &letterCount);

signals:
    void finished(WebPlayer *player);

private:
    void pageMessage(const QString &text);
    void pageBinary();
    // The page's messages the web port handles itself.
    void fromPage(const cmd::toPort::Join &message);
    void fromPage(const cmd::toHost::Answer &message);
    // The host's messages the web port reads on their way to the page.
    void fromHost(const cmd::toClient::SendLogin &message);
    void fromHost(const cmd::toClient::Letters &message);
    void fromHost(const cmd::toClient::Full &message);
    void hostReadable();
    void hostMessage(const QByteArray &message);
    void linkEnded(bool orderly);
    void toPage(const QByteArray &message);
    void toHost(const QByteArray &message);
    void updateRights();
    void closeLink();
    void end();

    QWebSocket *socket;
    QTcpSocket *link = nullptr;
    quint16 linkPort = 0;
    QByteArray pending; // the host's bytes after the last terminator
    QString peerAddress;
    WebPlayerConfig config;
    int ownSlot = 0;
    int letterCount = 0;
    QString letters;
    int rights = -1; // -1 not yet told, 0 no, 1 yes
    bool ending = false;
    bool roomFull = false; // the host's last message said the room is full
};
