// Tchat: the main window and the game's client. It holds the one connection
// to the host (also when this player hosts: the client connects to its own
// host over 127.0.0.1), the message pump that hands every host message to its
// routine, the player board, the chat and the menus. The round screens live in
// the game area (Tgamearea), which reaches the window through ClientContext.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "client/clientcontext.h"
#include "net/framing.h"
#include "net/gamefacts.h"
#include "net/messages.h"
#include "net/tsock.h"
#include "shell/settings.h"

class ChatDisplay;
class ChatEntry;
class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QMessageBox;
class QTimer;
class QToolButton;
class SoundPlayer;
class TServer;
class Tinvite;
class WebServer;
class DiscoveryResponder;
class JoinAttempt;
class PlayerBoard;
class Tabout;
class Tacrolog;
class Tcategorylist;
class Tdownload;
class Tgamearea;
class Tgamestart;
class BotRoom;
class Thelp;
class Tphrases;
class Tplaywithothers;
class Tspylist;

class Tchat : public QMainWindow, public ClientContext
{
    Q_OBJECT
public:
    static constexpr int BoardSlots = facts::PlayerSlots;
    static constexpr int LastSlot = facts::LastSlot;
    static constexpr int PhraseButtons = 10;
    static constexpr int SoundItems = 12;
    // The chat keeps this many lines; older ones scroll away for good.
    static constexpr int MaxChatLines = 3000;
    // A longer line is cut: one line cannot fill the chat by itself.
    static constexpr int MaxChatLineLength = 4096;
    // And the whole history holds at most this many characters.
    static constexpr int MaxChatCharacters = 400000;
    static constexpr quint16 DefaultGamePort = facts::DefaultPort;
    static constexpr quint16 DefaultLobbyPort = 9001;
    // Phrase buttons work once every two seconds of real time.
    static constexpr int PhrasePauseMs = 2000;

    explicit Tchat(QWidget *parent = nullptr);
    ~Tchat() override;

    // The other windows of the program, made after this one in their order.
    struct Windows
    {
        Thelp *help = nullptr;
        Tabout *about = nullptr;
        Tspylist *spylist = nullptr;
        Tcategorylist *categorylist = nullptr;
        Tphrases *phrases = nullptr;
        Tacrolog *acrolog = nullptr;
        Tdownload *download = nullptr;
        TServer *server = nullptr;
        Tgamestart *gamestart = nullptr;
    };
    void setWindows(const Windows &windows);

    // The computer players this program runs in its own room (null until the
    // hosting player's first arrival). Leaving the room: stopComputerPlayers().
    BotRoom *computerPlayers() const { return botRoom; }
    void stopComputerPlayers();
    // Defaults of the settings kept in our own section of the shared file.
    static constexpr char ExtrasSection[] = "QuibbletonExtras";
    static constexpr char KeyComputerPlayers[] = "ComputerPlayers";
    static constexpr int SoloComputerPlayers = 3;
    const Windows &sideWindows() const { return windows; }
    // The name of the player or spy in a slot 1 to 15; empty when the slot is free.
    QString playerName(int slot) const;

    // ClientContext.
    ClientState &state() override { return st; }
    void sendToHost(const QByteArray &message) override;
    void addlinetochat(const QString &text, TColor colour) override;
    void playsounds(const QString &name) override;
    PlayerBoard &board() override { return *FlatPanel2; }
    void setStatus(const QString &text) override;
    void setTeamLines(const QString &yellow, const QString &white) override;
    void setStartGameEnabled(bool enabled) override;
    void focusChatEntry() override;
    Tgamestart *gameOptions() override { return windows.gamestart; }
    Tcategorylist *categoryList() override { return windows.categorylist; }
    Tacrolog *acroLog() override { return windows.acrolog; }

    // Seams for the program entry and the tests.
    // Ends the program once the main window has closed (quits the event loop).
    std::function<void()> endProgram;
    // Shows a message without waiting for it to be read.
    std::function<void(const QString &text)> showMessage;
    // Shows the message that ends the game; `then` runs once the player has
    // dismissed it.
    std::function<void(const QString &text, std::function<void()> then)> showLastMessage;
    // Shows the error of an abandoned message; one box at a time.
    std::function<void(const QString &text)> showError;
    // Asks for a colour; false when the player cancelled.
    std::function<bool(TColor current, TColor &chosen)> pickColour;
    // Takes ownership; the default plays the built-in clips.
    void setSoundPlayer(std::unique_ptr<SoundPlayer> player);
    void setGamePort(quint16 port) { gamePort = port; }
    void setLobbyPort(quint16 port) { lobbyPort = port; }
    void setPhrasePause(int ms) { phrasePauseMs = ms; }
    // The arguments processparams reads when the window is first shown.
    void setLaunchArguments(const QStringList &arguments) { launchArguments = arguments; }
    // A later start of the program asked this one to come forward.
    void bringForward();

    // Start-up, window and menu commands.
    void processparams(const QStringList &arguments);
    void ResetScreenLocation1Click();
    void Exit1Click();
    void Help2Click();
    void About1Click();

    // Connection and dispatcher.
    void hostpress();
    void joinpress();
    void sockRead(TSock *sender);
    void sockInfo(TSock *sender, TSocketInfo kind, const QString &text);
    // Handles one queue entry the way the pump does; an error in it is reported
    // and only that message is abandoned.
    void dispatch(const QByteArray &entry);
    // The host has no room: the player is told, then the program ends.
    void gamefull();

    // Staying in the game. A connection that fails (a reset, a time-out, a
    // network error) without the player leaving is tried again by itself,
    // with growing waits, for up to the rejoin time; an orderly close by the
    // host still ends the room. The player can stop the tries.
    bool reconnecting() const { return rejoinActive; }
    void StopReconnecting1Click();
    // The hosting player lets the removed players join again.
    void ClearRemoved1Click();
    // Waits between tries: the first, doubling up to the longest.
    void setReconnectWaits(int firstMs, int longestMs);
    static constexpr int FirstReconnectWaitMs = 1000;
    static constexpr int LongestReconnectWaitMs = 10000;

    // Rooms: the "Play with Others" window, hosting, joining and leaving
    // without a restart (tchat_rooms.cpp).
    void PlayWithOthers1Click();
    Tplaywithothers *roomWindow();
    void hostroom(const QString &name, const QString &rating);
    void joinroom(const QString &name, const QString &host, quint16 port, const QString &rating);
    // Leaves the current room cleanly: settings saved, own computer players
    // and own host stopped, the connection closed without ending the program.
    void leaveroom();
    // Told when leaving a room has stopped the computer players this program
    // runs (they play on its own host, so they go first); tests observe it.
    std::function<void()> stopOwnComputerPlayers;
    DiscoveryResponder *discoveryResponder() const { return responder; }
    JoinAttempt *pendingJoin() const;

    // Player board and spies.
    void label_playername2ContextPopup(int slot, const QPoint &globalPos);
    void RemoveFromGame1Click();
    void kicking(int slot);
    void showpopClick();

    // Chat.
    // A relayed chat or action text: the line, "|", the colour.
    void chatrecieved(const QByteArray &text);
    void sendit();
    void b_phrase1Click(int button);
    void b_phrase10Click();
    void wave12Click(QAction *item);
    void Copy1Click();
    void N14Click(QAction *item);
    void TextColor1Click();
    void ActionColor1Click();
    void onlyoneClick();
    void PlaySounds1Click();
    void PlayChatterSounds1Click();
    void Scrollchatoff2Click();
    void PhraseList1Click();
    // A phrase button's phrase; its tooltip shows it as plain text.
    void setPhrase(int button, const QString &phrase);
    // Puts the chat lines still waiting into the display.
    void flushChat();

    // Settings file.
    void loadinifile();
    void saveinifile();

    // State the tests look at.
    TColor textColour() const { return textColor; }
    TColor actionColour() const { return actionColor; }
    int chatTextSize() const { return textSize; }
    bool scrollOff() const { return scrollIsOff; }
    bool phraseReady() const;
    bool settingsWereRead() const { return settingsRead; }
    settings::Bounds savedBounds() const { return saved; }
    settings::Bounds currentBounds() const;
    QString loginName() const { return login; }
    Tgamearea *gameArea() const { return panel_back; }
    ChatDisplay *chatDisplay() const { return mainchat; }
    ChatEntry *chatEntry() const { return mychat; }
    QMenu *boardMenu() const { return PopupMenu1; }
    QMenu *soundMenu() const { return popup_sounds; }
    QMenu *chatMenu() const { return PopupMenu2; }
    TServer *server() const { return windows.server; }
    // Browsers: the web port of the room this program hosts (null when it
    // hosts none or serves no browsers) and the Invite window.
    WebServer *webPort() const { return webServer; }
    Tinvite *invite() const { return inviteWindow; }
    void startWebServer();
    void stopWebServer();
    void Invite1Click();
    TSock *sock = nullptr;
    TSock *Sock11 = nullptr;
    ReceiveQueue *receivedlist = nullptr;

protected:
    void showEvent(QShowEvent *event) override;     // FormShow
    void closeEvent(QCloseEvent *event) override;   // FormClose
    void resizeEvent(QResizeEvent *event) override; // FormResize

private:
    void FormCreate();
    void buildMenus();
    void buildBoard();
    void buildChat();
    void reportError(const QString &text);
    void applyBounds(const settings::Bounds &bounds);
    void setTextSize(int points);
    void setScrollOff(bool on);
    void applyTextColour(TColor colour);
    void saveSettings(const settings::Bounds &bounds);
    // An option command before the settings were read stores only its own key,
    // so the rest of the player's stored settings survive.
    void saveOption(const char *key, const QString &value);
    void showNotice(const QString &notice);
    void openConnection(const QString &host, quint16 port);
    void startReconnect();
    void nextReconnect();
    void tryReconnect();
    void endReconnect(const char *line);
    void freshSock();
    int rejoinWindowMs() const;
    // The host's messages, each as read (net/messages.h); dispatch() hands
    // them here and those of a round on to the game area.
    void on(const cmd::toClient::SendLogin &message);
    void on(const cmd::toClient::ChatLine &message);
    void on(const cmd::toClient::ActionLine &message);
    void on(const cmd::toClient::NewPlayer &message);
    void on(const cmd::toClient::ExistingPlayer &message);
    void on(const cmd::toClient::PlayerGone &message);
    void on(const cmd::toClient::Full &message);
    void on(const cmd::toClient::HasWrongVersion &message);
    void on(const cmd::toClient::WrongVersion &message);
    void on(const cmd::toClient::Entered &message);
    void on(const cmd::toClient::UpdateTime &message);
    void on(const cmd::toClient::Sound &message);
    void on(const cmd::toClient::YourAnswer &message);
    void on(const cmd::toClient::Game &message);
    void on(const cmd::toClient::TeamGame &message);
    void on(const cmd::toClient::Stats &message);
    void on(const cmd::toClient::Teams &message);
    void on(const cmd::toClient::NextPlayer &message);
    void on(const cmd::toClient::Cats &message);
    void on(const cmd::toClient::InBonus &message);
    void on(const cmd::toClient::Category &message);
    void on(const cmd::toClient::Letters &message);
    void on(const cmd::toClient::NoAnswer &message);
    void on(const cmd::toClient::Answers &message);
    void on(const cmd::toClient::DoVote &message);
    void on(const cmd::toClient::Votes &message);
    void on(const cmd::toClient::NoVotes &message);
    void on(const cmd::toClient::Scores &message);
    void on(const cmd::toClient::Winner &message);
    void newplayerinfo(int slot, const QString &name);
    void watchConnection(TSock *connection);
    void startDiscovery();
    void joinFinished(JoinAttempt *attempt, int outcome, const QString &name,
                      const QString &rating);
    void connectGameOptions(Tgamestart *dialog);
    QWidget *control(const char *name) const;
    // Computer players (tchat_bots.cpp).
    void buildComputerPlayerMenu(QMenu *options);
    void startComputerPlayers();
    bool makeBotRoom();
    void storeComputerPlayers();
    void AddComputerPlayer1Click();
    void RemoveComputerPlayer1Click();
    void computerPlayersChanged(int count);

    // Controls, by their design names.
    QWidget *client = nullptr;
    QWidget *panel_board = nullptr;
    Tgamearea *panel_back = nullptr;
    QLabel *label_team1 = nullptr;
    QLabel *label_team2 = nullptr;
    QLabel *label_status = nullptr;
    PlayerBoard *FlatPanel2 = nullptr;
    QToolButton *b_phrase[PhraseButtons + 1] = {};
    QString phrases[PhraseButtons + 1];
    ChatDisplay *mainchat = nullptr;
    ChatEntry *mychat = nullptr;

    QMenu *PopupMenu1 = nullptr;
    QAction *RemoveFromGame1 = nullptr;
    QMenu *PopupMenu2 = nullptr;
    QAction *Copy1 = nullptr;
    QAction *Scrollchatoff1 = nullptr;
    QMenu *popup_sounds = nullptr;
    QAction *wave[SoundItems + 1] = {}; // wave[0] is Cancel1

    QAction *StartGame1 = nullptr;
    QAction *ClearRemoved1 = nullptr;
    QAction *StopReconnecting1 = nullptr;
    QAction *PlayWithOthers1 = nullptr;
    QAction *Exit1 = nullptr;
    QAction *PlaySounds1 = nullptr;
    QAction *PlayChatterSounds1 = nullptr;
    QAction *showpop = nullptr;
    QAction *onlyone = nullptr;
    QAction *TextColor1 = nullptr;
    QMenu *TextSize1 = nullptr;
    QActionGroup *textSizes = nullptr;
    QAction *ActionColor1 = nullptr;
    QAction *Scrollchatoff2 = nullptr;
    QAction *ResetScreenLocation1 = nullptr;
    QAction *SpyList1 = nullptr;
    QAction *CategoryList1 = nullptr;
    QAction *PhraseList1 = nullptr;
    QAction *AcroLog1 = nullptr;
    QAction *Help2 = nullptr;
    QAction *About1 = nullptr;

    Framer framer;
    Windows windows;
    std::unique_ptr<SoundPlayer> soundPlayer;
    QPointer<QMessageBox> errorBox;

    // Client state.
    ClientState st;
    QString login;
    QString spyNames[LastSlot + 1];
    bool spyPresent[LastSlot + 1] = {};
    TColor textColor;
    TColor actionColor;
    int textSize = 10;
    bool scrollIsOff = false;
    bool chatStarted = false;
    QElapsedTimer phraseClock;
    int phrasePauseMs = PhrasePauseMs;
    settings::Bounds saved; // all zero until the settings are read
    bool settingsRead = false;
    bool closing = false;
    bool fullNoticeOpen = false;
    bool shown = false;
    std::optional<QStringList> launchArguments;
    quint16 gamePort = DefaultGamePort;
    quint16 lobbyPort = DefaultLobbyPort;
    quint16 hostPort = 0; // the room's port when joining; 0: gamePort
    Tplaywithothers *playwithothers = nullptr;
    QPointer<JoinAttempt> joining;
    DiscoveryResponder *responder = nullptr;
    WebServer *webServer = nullptr;
    Tinvite *inviteWindow = nullptr;
    QAction *Invite1 = nullptr;
    QStringList gameAddresses() const;
    void updateInvite();
    void buildInviteButton();

    struct PendingLine
    {
        QString text;
        TColor colour;
    };
    QList<PendingLine> pendingChat;
    bool batchingChat = false;
    QTimer *chatFlushTimer = nullptr;

    bool rejoinActive = false;
    int reconnectTries = 0;
    QElapsedTimer reconnectClock;
    QTimer *reconnectTimer = nullptr;
    QPointer<TSock> reconnectSock; // the connection the tries own
    int firstWaitMs = FirstReconnectWaitMs;
    int longestWaitMs = LongestReconnectWaitMs;

    BotRoom *botRoom = nullptr;
    bool soloGame = false;
    bool computerPlayersStarted = false;
    QAction *AddComputerPlayer1 = nullptr;
    QAction *RemoveComputerPlayer1 = nullptr;
};
