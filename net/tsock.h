// TSock: one IPv4 socket (TCP or UDP) with an incoming and an outgoing byte
// buffer. In non-blocking mode readiness arrives on the GUI thread through the
// Qt event loop and is reported through the On* events; the component never
// cuts the byte stream into messages (see framing.h).
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <stdexcept>

class QSocketNotifier;
class TSockStream;

enum TSocketType { stStream = 0, stDatagram = 1 };
enum TLineBreak { lbCRLF = 0, lbCR = 1, lbLF = 2, lbSmart = 3 };
enum class TSocketInfo { Lookup = 0, Connect = 1, Close = 2, Listen = 3, Receive = 4, Send = 5,
                         Accept = 6, Error = 7 };

// Every failure the component raises.
class ESockException : public std::runtime_error
{
public:
    explicit ESockException(const QString &message)
        : std::runtime_error(message.toStdString()), text(message)
    {
    }
    QString text;
};

class TSock;
using TNotifyEvent = std::function<void(TSock *sender)>;
using TNotifyReadEvent = std::function<void(TSock *sender, int count)>;
using TNotifyAutoEvent = std::function<void(TSock *sender, TSock *newSock)>;
using TNotifyInfoEvent =
    std::function<void(TSock *sender, TSocketInfo socketInfo, const QString &msg)>;

class TSock : public QObject
{
    Q_OBJECT
public:
    explicit TSock(QObject *owner = nullptr);
    ~TSock() override;

    // Properties, in their stored order.
    TSocketType SocketType() const { return socketType; }
    void setSocketType(TSocketType value);
    QString HostName() const { return hostName; }
    void setHostName(const QString &value);
    QString PortName() const { return portName; }
    void setPortName(const QString &value);
    bool Blocking() const { return blocking; }
    void setBlocking(bool value);
    bool AutoAccept() const { return autoAccept; }
    void setAutoAccept(bool value) { autoAccept = value; }
    bool Listen() const { return listening; }
    void setListen(bool value);
    TLineBreak LineBreak() const { return lineBreak; }
    void setLineBreak(TLineBreak value) { lineBreak = value; }
    int BlockingTimeout() const { return blockingTimeout; }
    void setBlockingTimeout(int seconds) { blockingTimeout = seconds; }

    TNotifyEvent OnConnect;
    TNotifyEvent OnDisconnect;
    TNotifyInfoEvent OnInfo;
    TNotifyReadEvent OnRead;
    TNotifyEvent OnWrite;
    TNotifyEvent OnAccept;
    TNotifyAutoEvent OnAutoAccept;

    bool Connected() const { return connected; }
    qint64 Tag() const { return tag; }
    void setTag(qint64 value) { tag = value; }

    bool Open();
    bool Close();
    bool Send(const QByteArray &text);
    QByteArray Receive();
    QByteArray ReceiveCount(int count);
    bool Accept(TSock *&NewSock);
    bool SendDatagram(const QByteArray &text, const QString &host);
    void ReceiveDatagram(QByteArray &text, QString &host);
    QString RemoteAddress() const;
    quint32 HostLookup(const QString &name);
    quint16 PortLookup(const QString &name);
    static QString ErrorName(int number);

    // The local port a listening socket is bound to (tests listen on port "0").
    quint16 LocalPort() const;
    TSockStream *Stream() const { return stream; }

private:
    // Implementation state; the platform calls live in sockplatform.cpp.
    void info(TSocketInfo kind, const QString &message);
    void applyBlocking();
    void handleNotification(int event, int error);

    TSocketType socketType = stStream;
    QString hostName;
    QString portName;
    bool blocking = false;
    bool autoAccept = false;
    bool listening = false;
    TLineBreak lineBreak = lbSmart;
    int blockingTimeout = 0;
    bool connected = false;
    qint64 tag = 0;
    qintptr handle = -1;
    QByteArray incoming;
    QByteArray outgoing;
    quint32 destAddress = 0; // network byte order
    quint16 destPort = 0;    // network byte order
    quint32 peerAddress = 0; // network byte order
    quint16 peerPort = 0;
    QSocketNotifier *readNotifier = nullptr;
    QSocketNotifier *writeNotifier = nullptr;
    TSockStream *stream = nullptr;
};
