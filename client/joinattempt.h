// JoinAttempt: a connection to another room that is not yet the player's.
// It waits for the host's first word: a slot (the room takes the player),
// "CMD_full", a refusal, or nothing at all. Only a room that took the player
// replaces the current one, so a failed try leaves the player where they were.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class TSock;
enum class TSocketInfo;

class JoinAttempt : public QObject
{
    Q_OBJECT
public:
    enum Outcome
    {
        Waiting,
        Joined,
        NobodyThere, // no such name, no answer, or not a room
        Refused,     // the machine refused the connection
        Full,        // the host answered "CMD_full"
    };
    // Long enough for a slow network; an unreachable address gives up here.
    static constexpr int WaitMs = 10000;

    JoinAttempt(const QString &host, quint16 port, QObject *parent = nullptr);
    ~JoinAttempt() override;

    // Connects; the outcome is reported through finished(), never from here.
    void start();
    Outcome outcome() const { return result; }
    QString host() const { return hostName; }
    quint16 port() const { return portNumber; }

    // After Joined: the connection, its events cleared for the new owner, and
    // every byte received on it so far (the login reply first).
    TSock *takeSocket();
    QByteArray received() const { return bytes; }

    // The wait ran out (the timer calls it; tests may too).
    void giveUp();

signals:
    void finished(JoinAttempt::Outcome outcome);

private:
    void onRead();
    void onInfo(TSocketInfo kind, const QString &text);
    void finish(Outcome outcome);

    QString hostName;
    quint16 portNumber;
    TSock *sock = nullptr;
    QByteArray bytes;
    QTimer timer;
    Outcome result = Waiting;
};
