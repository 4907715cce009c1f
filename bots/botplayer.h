// BotPlayer: one computer player, a real client of the host over TCP. It
// logs in like any client and then plays from what the host tells it: it
// chooses a category when it is the chooser, writes one answer per round,
// votes once for the answer it likes best among the others', and answers in
// the bonus round only when listed. It sends nothing a well-behaved client
// would not.
//
// It paces itself by the host's stage clock: every stage message and every
// CMD_updatetime says how many ticks of the stage are left, so the player
// knows where it is in the stage and how long a tick lasts, and acts at a
// randomised tick of the stage, spread over the stage by its level (a hard
// player answers sooner, an easy one later and now and then not at all). Each
// CMD_updatetime is also a last chance: when no later one would leave time, it
// acts there and then.
//
// Now and then it says a word in the chat (BotChat): a greeting when it joins,
// a word on the category it chose, a reaction when its answer won or the
// round was close; never more than one line a round, none when quiet.
#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>

#include "bots/acromaker.h"
#include "bots/botchat.h"
#include "net/framing.h"
#include "net/gamefacts.h"
#include "net/messages.h"

class QTimer;
class TSock;

struct BotConfig
{
    QString host = QStringLiteral("127.0.0.1");
    quint16 port = facts::DefaultPort;
    QByteArray name; // the login name, " (cpu)" included
    quint32 seed = 0;
    Difficulty difficulty = Difficulty::Normal;
    bool family = true;
    bool quiet = false; // says nothing in the chat
};

class BotPlayer : public QObject
{
    Q_OBJECT
public:
    BotPlayer(const BotConfig &config, const Lexicon &lexicon, QObject *parent = nullptr);
    ~BotPlayer() override;

    // Starts connecting; false when the connection cannot even be started.
    bool start();
    // Leaves the room: closes the connection, which the host and the other
    // players see as an ordinary departure. `gone` follows.
    void leave();

    // The local port of the connection (known as soon as it is started), so
    // an owner that also runs the host can tell its own players apart.
    quint16 localPort() const { return port; }
    QByteArray name() const { return config.name; }
    int slot() const { return ownSlot; }
    bool isGone() const { return finished; }
    // Names of everybody else in the room as this player knows them.
    QList<QByteArray> roomNames() const { return names.values(); }

    void setQuiet(bool quiet) { chat.setQuiet(quiet); }

    // Seam for tests: one message from the host (terminator removed).
    void handle(const QByteArray &entry);

signals:
    void loggedIn(BotPlayer *self);
    // The connection has closed: left, removed by the host or the host is gone.
    void gone(BotPlayer *self);

private:
    enum class Stage
    {
        Idle,
        Selecting,
        Creating,
        Voting
    };
    enum class Task
    {
        None,
        Category,
        Answer,
        Vote
    };

    void readable();
    void closed();
    void send(const QByteArray &message);

    void beginStage(Stage stage, int count, Task task, double from, double to);
    void updatetime(int seconds);
    void plan();
    void act();
    void chooseCategory();
    void answer();
    void vote();
    // The host's messages a computer player acts on, each as read.
    void on(const cmd::toClient::SendLogin &message);
    void on(const cmd::toClient::NewPlayer &message);
    void on(const cmd::toClient::ExistingPlayer &message);
    void on(const cmd::toClient::PlayerGone &message);
    void on(const cmd::toClient::Full &message);
    void on(const cmd::toClient::Game &message);
    void on(const cmd::toClient::TeamGame &message);
    void on(const cmd::toClient::Stats &message);
    void on(const cmd::toClient::Teams &message);
    void on(const cmd::toClient::NextPlayer &message);
    void on(const cmd::toClient::Cats &message);
    void on(const cmd::toClient::InBonus &message);
    void on(const cmd::toClient::Category &message);
    void on(const cmd::toClient::Letters &message);
    void on(const cmd::toClient::Answers &message);
    void on(const cmd::toClient::DoVote &message);
    void on(const cmd::toClient::UpdateTime &message);
    void on(const cmd::toClient::Votes &message);
    void on(const cmd::toClient::NoVotes &message);
    void on(const cmd::toClient::NoAnswer &message);
    void on(const cmd::toClient::Scores &message);
    void on(const cmd::toClient::Winner &message);
    void arrived(const cmd::Number &slot, const QByteArray &name);
    void announced(const cmd::Number &creationSeconds, bool team);
    void say(const QString &line);

    BotConfig config;
    AcroMaker maker;
    BotChat chat;
    TSock *sock = nullptr;
    Framer framer;
    ReceiveQueue *queue = nullptr;
    QTimer *timer = nullptr;
    quint16 port = 0;
    bool finished = false;

    int ownSlot = 0;
    QHash<int, QByteArray> names; // other slots
    int createtime = 60;
    bool teamGame = false;
    QHash<int, int> teams;
    int chooser = 0;
    bool fixedOnly = false;
    bool bonusRound = false;
    bool listedForBonus = false;
    QString category;
    QString letters;
    QString ownAnswer;
    QList<QPair<int, QString>> answers;

    // Where this player is in the host's current stage.
    Stage stage = Stage::Idle;
    Task task = Task::None;
    int stageCount = 0; // the countdown the stage started with
    int targetTick = 0; // the tick of the stage to act at
    bool countKnown = false;
    QElapsedTimer stageClock;
    double tickMs = 1000; // learned from the host's updates
    bool tickMeasured = false;
};
