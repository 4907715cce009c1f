// TServer: the game host. It owns the authoritative player table, admits
// connections into slots, relays chat, runs the stages of a game on its stage
// clock and scores the rounds. It never shows anything and runs headless.
//
// Two routines drive it: the message pump `socktimerTimer` (one message per
// call; the receive queue calls it as soon as messages arrive, each connection
// within its fair share) and the stage clock `Timer1Timer` (1000 ms by
// default). Both are plain member functions, so a test can call them directly;
// the host's notion of "now" and its random generator can be given to it as
// well.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <array>
#include <functional>
#include <random>

#include "net/commands.h"
#include "net/framing.h"
#include "net/tsock.h"

class QTimer;

class TServer : public QObject
{
    Q_OBJECT
public:
    // Records 0 to 16: 0 is never a player, 1 to 12 play, 13 to 15 are spies,
    // 16 only ever holds a connection that is being refused.
    static constexpr int LastRecord = 16;
    static constexpr int LastSlot = facts::LastSlot;
    static constexpr int LastPlayer = facts::PlayerSlots;
    // Texts from the network are cut to these sizes (in bytes, at a character
    // boundary) before the host stores or relays them.
    static constexpr int MaxNameBytes = facts::MaxNameBytes;
    static constexpr int MaxTextBytes = cmd::MaxTextBytes;
    // A connection with this many messages waiting in the queue is flooding.
    static constexpr int MaxQueuedPerConnection = 1000;
    // A connection that lets this much of the host's output pile up unread
    // is not reading any more.
    static constexpr qsizetype MaxUnsentBytes = 4 * 1024 * 1024;
    // The period of the paced pump of old, kept as a benchmark baseline.
    static constexpr int PumpPeriodMs = 10;
    // Pump fairness and admission bounds: each connection's messages are
    // handled at most ShareRate a second with bursts of ShareBurst (beyond
    // that they wait while everyone else's go on), and a connection that has
    // not logged in LoginTimeoutMs after its accept is closed. The login check
    // `logintimerTimer` runs on a timer only while a connection is waiting.
    static constexpr int ShareRate = 40;
    static constexpr int ShareBurst = 20;
    static constexpr qint64 LoginTimeoutMs = 30000;
    void setPumpMode(ReceiveQueue::PumpMode mode);
    void logintimerTimer();

    // Staying in the game. A player whose connection drops without leaving
    // keeps its slot (score, team, answer, vote, hosting rights) for the
    // rejoin time and is away meanwhile; the same player coming back in time
    // takes all of it back. 0 seconds: a drop is a departure, as of old.
    static constexpr int DefaultRejoinSeconds = facts::DefaultRejoinSeconds;
    static constexpr int MaxRejoinSeconds = facts::MaxRejoinSeconds;
    void setRejoinSeconds(int seconds);
    int rejoinSeconds() const { return rejoinsecs; }
    bool isAway(int slot) const;
    // Ends the kept slots whose time is up; runs on a timer while any is kept.
    void rejointimerTimer();
    // A name shown on the board while its player is away.
    static constexpr char AwaySuffix[] = " (away)";
    // A connection may log in this many times in all (its name changes at
    // most MaxLogins - 1 times); later logins are ignored.
    static constexpr int MaxLogins = 4;

    // The room's chat budget: chat lines, actions and sounds relayed to
    // everybody cost their bytes plus ChatLineCost. The room relays at most
    // ChatBudgetBytes a second (bursts of ChatBurstBytes), shared equally
    // among those who chatted in the last ChatActiveMs; a line beyond its
    // sender's share is dropped and the sender told (at most every
    // ChatNoticeMs). setChatBudget(0) lifts the budget.
    static constexpr int ChatBudgetBytes = 16384;
    static constexpr int ChatBurstBytes = 32768;
    static constexpr int ChatLineCost = 256;
    static constexpr qint64 ChatActiveMs = 10000;
    static constexpr qint64 ChatNoticeMs = 5000;
    void setChatBudget(int bytesPerSecond);

    // Players removed by the hosting player cannot come back from the same
    // address (or, playing from a browser, the same browser) for the life of
    // the room; the hosting player may clear the list.
    int removedCount() const { return int(removedAddresses.size() + removedBrowsers.size()); }

    struct TPlayer
    {
        QByteArray name;
        bool connected = false;
        TSock *sock = nullptr;
        int score = 0;
        QByteArray acro;
        int vote = 0;
        qint64 acrotime = 0; // milliseconds on the host's monotonic clock
        // Arrival order of the answer: answers taken within one tick of the
        // clock share acrotime, never this.
        quint64 acroseq = 0;
        int team = 0;
        bool bonusmark = false;
        int roundscore = 0;
        int votes = 0;
        // The connection that holds the slot; ids are never reused, so a
        // message of a departed connection cannot act for the next holder.
        quint64 connection = 0;
        int queued = 0; // messages of this connection waiting in the queue
        Framer framer;
    };

    explicit TServer(QObject *parent = nullptr);
    ~TServer() override;

    // Listening. startListening sets Sock1's PortName and Listen := true; it
    // returns false when the port cannot be bound (lastListenError says why).
    bool startListening(const QString &port = QLatin1String(facts::DefaultPortText));
    quint16 listeningPort() const;
    QString lastListenError() const { return listenError; }
    TSock *listener() const { return Sock1; }
    // Closes every player's connection (each a departure) and stops listening.
    void closeAll();

    void setStageInterval(int ms);
    bool stageClockRunning() const;

    // Seams: the host's clock (milliseconds, monotonic) and its generator.
    void setClock(std::function<qint64()> now) { clock = std::move(now); }
    void setSeed(quint32 seed) { rng.seed(seed); }

    bool occupied(int slot) const;

    // The slot that holds the hosting player's rights (starting games,
    // removing players, hearing of other versions); 0 while nobody does.
    // They go to the first connection that is not one of this program's own
    // computer players, and stay with it until it leaves; the next such
    // newcomer then takes them, as a newcomer in slot 1 would.
    int hostingSlot() const { return hostslot; }
    // Connections from 127.0.0.1 on these source ports are this program's
    // own computer players: they never get the hosting player's rights. The
    // owner of the computer players marks a port before its connection can
    // be accepted and unmarks it once closed. Names play no part in this.
    void markComputerPort(quint16 port, bool computer);
    bool isComputerSlot(int slot) const;

    // Who is behind a connection. A browser player comes in over the web
    // layer's own connection from 127.0.0.1; the web layer marks that
    // connection's source port with the browser's real address and the id its
    // page keeps before the connection can be accepted, and unmarks it once
    // closed. Any other connection is its socket's remote address.
    struct Peer
    {
        QString address;      // empty for a slot without a connection
        QByteArray browserId; // empty unless the player plays from a browser
        bool web = false;
    };
    void markWebPort(quint16 port, const Peer &peer);
    void unmarkWebPort(quint16 port);
    Peer peer(int slot) const;

    // Events and routines.
    void FormCreate();
    void Sock1Accept(TSock *sender);
    void Sock1Read(TSock *sender);
    bool socktimerTimer(); // false when no message could be taken
    void tempsockDisconnect(TSock *sender);
    void tempsockInfo(TSock *sender, TSocketInfo socketInfo, const QString &msg);
    void Timer1Timer();

    void disconnectsock(int slot);

    void startgame(const cmd::toHost::StartGame &start);
    void sendscores();

    void getcat();
    void getletters();
    char convertletter();
    void setbonusround();

    void sortacros();
    void tallyvotes();

    void getteam(int slot);
    void placeonteam();
    void findplayer();
    bool checkforwin();

    // The stage the stage clock is counting down, if any.
    enum class Stage
    {
        None,
        Team,      // the sides form
        Selecting, // the chooser picks a category
        Creating,  // answers are open
        Voting,
        Break,  // the round's result shows
        Break1, // the scores show
        Restart // the game is over and starts again by itself
    };
    Q_ENUM(Stage)

    // Read-only views of the table and the stage: records 0 to LastRecord, the
    // stage and its remaining count, the round's letters and category.
    const TPlayer &player(int slot) const { return players.at(slot); }
    int slotCount() const { return numslots; }
    bool gameRunning() const { return gamerunning; }
    Stage stage() const { return gamestate; }
    int stageCount() const { return countdown; }
    int letterCount() const { return numletters; }
    const QByteArray &currentCategory() const { return category; }
    int chooser() const { return nextplayer; }
    bool inBonusRound() const { return inbonusround; }
    int teamScore(int team) const { return teamscore.at(team); } // 1 Yellow, 2 White

    // The room's public facts, read-only (tserver_facts.cpp).
    int playersPresent() const;           // occupied slots 1 to 12
    int spiesPresent() const;             // occupied slots 13 to 15
    QByteArray hostingPlayerName() const; // empty while nobody holds the rights

private:
    friend class TServerProbe;

    // The player table. Tests reach it only through TServerProbe (tests/host).
    std::array<TPlayer, LastRecord + 1> players;
    int numslots = 0;
    int newslot = 0;

    // Game options.
    int playto = 30;
    int createtime = 60;
    bool bonusenabled = false;
    int bonusletters = 10;
    bool isteamgame = false;
    bool winbybonus = false;
    bool speedbonus = false;
    int maxletters = 7;
    bool autorestart = false;
    QByteArray nocouch;
    cmd::toHost::StartGame startmsg; // what a restart starts again

    // Stage variables.
    Stage gamestate = Stage::None;
    int countdown = -1;
    bool gamerunning = false;
    int numletters = 2;
    QByteArray category;
    int nextplayer = 0;
    int lastwinner = 0;
    int speedplayer = 0;
    bool bonuspending = false;
    bool inbonusround = false;
    std::array<int, 3> teamscore{}; // index 1 Yellow, 2 White
    QByteArray letters;             // this round's letters, for a player who returns
    QByteArray bonuslist;           // the bonus round's list as announced
    quint64 lastAcroSeq = 0;

    TSock *Sock1 = nullptr;
    TSock *tempsock = nullptr;
    QTimer *Timer1 = nullptr;
    ReceiveQueue *receivedlist = nullptr; // its pump is the socktimer

    // The messages the host takes, each from the connection holding `slot`. A
    // client speaks only for the slot of the connection it came on: a message
    // whose slot field names another is ignored.
    void dispatch(const ReceivedEntry &entry);
    void on(int slot, const cmd::toHost::Login &login);
    void on(int slot, const cmd::toHost::Kick &kick);
    void on(int slot, const cmd::toHost::Chat &chat);
    void on(int slot, const cmd::toHost::Action &action);
    void on(int slot, const cmd::toHost::Sound &sound);
    void on(int slot, const cmd::toHost::StartGame &start);
    void on(int slot, const cmd::toHost::Category &chosen);
    void on(int slot, const cmd::toHost::Answer &answer);
    void on(int slot, const cmd::toHost::Vote &vote);
    void on(int slot, const cmd::toHost::Team &choice);
    void on(int slot, const cmd::toHost::Leaving &leaving);
    void on(int slot, const cmd::toHost::ClearRemoved &clear);

    // Seams that need no sockets, reached by tests through TServerProbe
    // (tests/host/tserverprobe.h). Every message to a slot passes through the
    // hook.
    std::function<void(int slot, const QByteArray &message)> sendHook;
    int addTestConnection();
    int addTestPlayer(int slot, const QByteArray &name);
    int addTestConnection(const Peer &from);
    int addTestPlayer(int slot, const QByteArray &name, const Peer &from);
    enum class TestEnd
    {
        Closed,
        Failed
    };
    void endTestConnection(int slot, TestEnd kind);
    void injectMessage(int slot, const QByteArray &entry);
    void injectFromConnection(quint64 connection, const QByteArray &entry);
    void injectBytes(int slot, const QByteArray &bytes);
    void drainQueue();
    int queuedMessages() const { return receivedlist->size(); }

    int slotOfConnection(quint64 connection) const;
    int chooseslot();
    void takeslot(int slot, TSock *sock);
    void departure(int slot);
    // The slot's connection ended without the player leaving.
    void dropped(int slot);
    void closed(int slot); // the peer closed the connection in order
    void keep(int slot);
    void detach(int slot);
    int keptSlotFor(int slot, const QByteArray &name) const;
    void rejoin(int from, int kept, const QByteArray &version);
    void catchup(int slot);
    void refreshScores(int rejoiner);
    bool isRemoved(int slot) const;
    QByteArray uniqueName(int slot, const QByteArray &wanted) const;
    QByteArray shownName(int slot) const;
    bool chatAllowed(int slot, qsizetype bytes);
    void armRejoinTimer();
    void notice(int slot, const QByteArray &text);
    void noticeAll(const QByteArray &text, int except = 0);
    bool earlier(int a, int b) const; // slot a answered before slot b
    void feed(int slot, const QByteArray &bytes);

    void sendto(int slot, const QByteArray &message);
    void sendall(const QByteArray &message);

    int random(int range); // uniform in 0 .. range - 1
    int leader() const;
    int answers() const;
    bool hasAnswer(int slot) const;
    int balancedTeam() const;
    void addToTeam(int slot, int points);
    void startstage(Stage stage, int count);
    void endgame(const QByteArray &text);

    std::function<qint64()> clock;
    std::mt19937 rng;
    quint64 lastConnection = 0;
    QString listenError;
    // When each slot's connection was accepted and whether it has logged in.
    std::array<qint64, LastRecord + 1> admittedAt{};
    std::array<bool, LastRecord + 1> loggedIn{};
    QTimer *logintimer = nullptr;
    void armLoginTimer();
    int hostslot = 0;
    QSet<quint16> computerPorts;
    std::array<bool, LastRecord + 1> computerSlots{};
    QHash<quint16, Peer> webPorts;
    std::array<Peer, LastRecord + 1> peers{};

    int rejoinsecs = DefaultRejoinSeconds;
    std::array<bool, LastRecord + 1> away{};
    std::array<qint64, LastRecord + 1> awayUntil{};
    // The client answers the slot it is moved to with a login of its own; the
    // host has announced everything by then.
    std::array<bool, LastRecord + 1> rejoinEcho{};
    std::array<int, LastRecord + 1> logins{};
    QTimer *rejointimer = nullptr;
    QSet<QString> removedAddresses;
    QSet<QByteArray> removedBrowsers;

    int chatbudget = ChatBudgetBytes;
    std::array<double, LastRecord + 1> chatTokens{};
    std::array<qint64, LastRecord + 1> chatStamp{};
    std::array<qint64, LastRecord + 1> chatLast{};
    std::array<qint64, LastRecord + 1> chatNoticeAt{};
    std::array<bool, LastRecord + 1> chatSeen{};
    std::array<bool, LastRecord + 1> chatNoticed{};
    // Entries of one read land here first, so the host can count them per
    // connection and drop undispatchable ones before they wait in the queue.
    ReceiveQueue *staging = nullptr;
};

// Cuts UTF-8 text to at most `maxBytes` bytes without splitting a character.
QByteArray cutText(const QByteArray &text, int maxBytes);
