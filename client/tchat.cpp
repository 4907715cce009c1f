// The main window: its controls, menus, start-up, placement and closing.
#include "client/tchat.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include "client/chatdisplay.h"
#include "client/colortext.h"
#include "client/gamearea.h"
#include "client/playerboard.h"
#include "client/soundplayer.h"
#include "download/tdownload.h"
#include "host/tserver.h"
#include "net/commands.h"
#include "resources/resourcenames.h"
#include "shell/launchargs.h"
#include "windows/plaintext.h"
#include "windows/sidewindow.h"
#include "windows/tabout.h"
#include "windows/tacrolog.h"
#include "windows/tcategorylist.h"
#include "windows/tgamestart.h"
#include "windows/thelp.h"
#include "windows/tphrases.h"
#include "windows/tspylist.h"

namespace {

const char AppTitle[] = "Quibbleton";
const char WelcomeText[] = "Welcome to Quibbleton!";

const QSize BoardPanelSize(784, 549);
const int BoardMargin = 4; // the client area is the board panel plus this
const QRect GameAreaRect(1, 1, 782, 283);
const QPoint Team1Pos(8, 283);
const QPoint Team2Pos(120, 283);
const QRect StatusRect(254, 283, 518, 14);
const QRect BoardRect(10, 297, 207, 230);
const QRect ChatRect(254, 302, 518, 201);
const QRect EntryRect(254, 505, 520, 22);
const int PhraseLeft = 225;
const int PhraseFirstTop = 302;
const int PhraseLastTop = 506;
const QSize PhraseSize(25, 19);
// Window sizes from a settings file are kept within what a screen can show.
const int MaxWindowExtent = 4096;
const int MaxWindowPosition = 32000;

const char *const PhrasesAtStart[] = {
    "Nice Acros!", "Good One!", "Way To Go!",        "Excellent!",          "Brilliant!",
    "Wow, WTG!",   "Thanks!",   "Way To Go Teamie!", "Good Game Everyone!", "See ya!"};

const char *const SoundCaptions[] = {
    "<Cancel>", "Doh",      "Cough", "Hello",   "Thank You", "Where have you been?",
    "Snoring",  "Sneezing", "Sorry", "Welcome", "Yeehaa",    "Yippee",
    "Oh No"};

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new PlainLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

Tchat::Tchat(QWidget *parent)
    : QMainWindow(parent), textColor(colortext::clSilver), actionColor(colortext::clWhite)
{
    setObjectName("chat");
    FormCreate();
}

Tchat::~Tchat()
{
    // The sockets close as they go and report it; nobody is left to listen.
    for (TSock *s : {sock, Sock11}) {
        if (!s) continue;
        s->OnInfo = nullptr;
        s->OnRead = nullptr;
    }
    if (receivedlist) receivedlist->setPump(1, nullptr);
}

void Tchat::FormCreate()
{
    setWindowTitle(QString::fromLatin1(AppTitle));
    resize(settings::DefaultWidth, settings::DefaultHeight);

    endProgram = [] { QCoreApplication::quit(); };
    showMessage = [this](const QString &text) {
        QMessageBox *box = plaintext::messageBox(QMessageBox::Information,
                                                 QString::fromLatin1(AppTitle), text, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    };
    showLastMessage = [this](const QString &text, std::function<void()> then) {
        QMessageBox *box = plaintext::messageBox(QMessageBox::Information,
                                                 QString::fromLatin1(AppTitle), text, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        connect(box, &QDialog::finished, this, [then] { then(); });
        box->open();
    };
    showError = [this](const QString &text) {
        if (errorBox) {
            errorBox->setText(text);
            return;
        }
        errorBox =
            plaintext::messageBox(QMessageBox::Critical, QString::fromLatin1(AppTitle), text, this);
        errorBox->setAttribute(Qt::WA_DeleteOnClose);
        errorBox->open();
    };
    pickColour = [this](TColor current, TColor &chosen) {
        const QColor colour = QColorDialog::getColor(colortext::toQColor(current), this);
        if (!colour.isValid()) return false;
        chosen = colortext::fromQColor(colour);
        return true;
    };
    soundPlayer = std::make_unique<QtSoundPlayer>();

    client = new QWidget(this);
    client->setObjectName("client");
    client->setMinimumSize(BoardPanelSize + QSize(BoardMargin, BoardMargin));
    QPalette back = client->palette();
    back.setBrush(QPalette::Window, SideWindow::backgroundBrush());
    client->setPalette(back);
    client->setAutoFillBackground(true);
    setCentralWidget(client);

    panel_board = new QWidget(client);
    panel_board->setObjectName("panel_board");
    panel_board->resize(BoardPanelSize);
    panel_board->move(BoardMargin / 2, BoardMargin / 2);

    label_team1 = makeLabel(panel_board, "label_team1", QString());
    label_team1->setGeometry(QRect(Team1Pos, QSize(110, 14)));
    roundstyle::setTextColour(label_team1, palette::Yellow);
    roundstyle::setBold(label_team1, true);
    label_team2 = makeLabel(panel_board, "label_team2", QString());
    label_team2->setGeometry(QRect(Team2Pos, QSize(110, 14)));
    roundstyle::setTextColour(label_team2, palette::White);
    roundstyle::setBold(label_team2, true);
    label_status = makeLabel(panel_board, "label_status", QString::fromLatin1(WelcomeText));
    label_status->setGeometry(StatusRect);
    label_status->setAlignment(Qt::AlignCenter);
    roundstyle::setTextColour(label_status, palette::Yellow);
    roundstyle::setBold(label_status, true);

    buildMenus();
    buildBoard();
    buildChat();

    sock = new TSock(this);
    sock->setPortName(QString::number(gamePort));
    watchConnection(sock);
    Sock11 = new TSock(this);
    Sock11->setObjectName("Sock11");
    Sock11->setHostName(QString::fromLatin1(LocalAddress));

    receivedlist = new ReceiveQueue(this);
    receivedlist->setObjectName("receivedlist");
    // The pump (Timer1): host messages are handled as they arrive, in order;
    // it sleeps while the queue is empty. The host's messages have no share
    // to keep: the host is bounded by the backlog limit alone.
    receivedlist->setPump(1, [this](const ReceivedEntry &entry) {
        // The chat lines of a burst of messages go into the display together.
        batchingChat = true;
        dispatch(entry.text);
        batchingChat = false;
        if (receivedlist->isEmpty()) flushChat();
    });
    chatFlushTimer = new QTimer(this);
    chatFlushTimer->setSingleShot(true);
    connect(chatFlushTimer, &QTimer::timeout, this, &Tchat::flushChat);
    phraseClock.start();
    reconnectTimer = new QTimer(this);
    reconnectTimer->setSingleShot(true);
    connect(reconnectTimer, &QTimer::timeout, this, &Tchat::tryReconnect);

    // The game area comes last: its reset reaches into the board made above.
    panel_back = new Tgamearea(this, panel_board);
    panel_back->setGeometry(GameAreaRect);
    buildInviteButton();
    label_team1->raise();
    label_team2->raise();
    label_status->raise();
}

void Tchat::buildMenus()
{
    auto item = [this](QMenu *menu, const char *name, const QString &caption) {
        auto *action = new QAction(caption, this);
        action->setObjectName(QString::fromLatin1(name));
        menu->addAction(action);
        return action;
    };
    auto checkItem = [&](QMenu *menu, const char *name, const QString &caption, bool checked) {
        QAction *action = item(menu, name, caption);
        action->setCheckable(true);
        action->setChecked(checked);
        return action;
    };

    QMenuBar *bar = menuBar();
    bar->setObjectName("MainMenu1");
    QMenu *file = bar->addMenu(QStringLiteral("File"));
    StartGame1 = item(file, "StartGame1", QStringLiteral("Start Game"));
    StartGame1->setEnabled(false);
    PlayWithOthers1 = item(file, "PlayWithOthers1", QStringLiteral("Play with Others"));
    Invite1 = item(file, "Invite1", QStringLiteral("Invite"));
    connect(Invite1, &QAction::triggered, this, &Tchat::Invite1Click);
    file->addSeparator();
    Exit1 = item(file, "Exit1", QStringLiteral("Exit"));

    QMenu *options = bar->addMenu(QStringLiteral("Options"));
    PlaySounds1 = checkItem(options, "PlaySounds1", QStringLiteral("Play Sounds"), true);
    PlayChatterSounds1 =
        checkItem(options, "PlayChatterSounds1", QStringLiteral("Play Chatter Sounds"), false);
    showpop =
        checkItem(options, "showpop", QStringLiteral("Show Rating Notice when Entering"), true);
    options->addSeparator();
    onlyone =
        checkItem(options, "onlyone", QStringLiteral("Use my color choice for all chat"), false);
    TextColor1 = item(options, "TextColor1", QStringLiteral("Text Color"));
    TextSize1 = options->addMenu(QStringLiteral("Text Size"));
    TextSize1->setObjectName("TextSize1");
    TextSize1->menuAction()->setObjectName("TextSize1");
    textSizes = new QActionGroup(this);
    textSizes->setExclusive(true);
    for (int size : {8, 10, 12, 14}) {
        const QByteArray name = "N" + QByteArray::number(size);
        QAction *n = checkItem(TextSize1, name.constData(), QString::number(size), size == 10);
        n->setData(size); // the item's Tag
        textSizes->addAction(n);
    }
    ActionColor1 = item(options, "ActionColor1", QStringLiteral("Action Color"));
    Scrollchatoff2 = checkItem(options, "Scrollchatoff2", QStringLiteral("Chat Scroll Off"), false);
    Scrollchatoff2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    ResetScreenLocation1 =
        item(options, "ResetScreenLocation1", QStringLiteral("Reset Screen Location"));
    buildComputerPlayerMenu(options);

    QMenu *view = bar->addMenu(QStringLiteral("View"));
    SpyList1 = item(view, "SpyList1", QStringLiteral("Spy List"));
    CategoryList1 = item(view, "CategoryList1", QStringLiteral("Category List"));
    PhraseList1 = item(view, "PhraseList1", QStringLiteral("Phrase List"));
    AcroLog1 = item(view, "AcroLog1", QStringLiteral("Acro Log"));

    QMenu *help = bar->addMenu(QStringLiteral("Help"));
    Help2 = item(help, "Help2", QStringLiteral("Contents"));
    help->addSeparator();
    About1 = item(help, "About1", QStringLiteral("About"));

    connect(StartGame1, &QAction::triggered, this, [this] { panel_back->button_startClick(); });
    connect(PlayWithOthers1, &QAction::triggered, this, &Tchat::PlayWithOthers1Click);
    connect(Exit1, &QAction::triggered, this, &Tchat::Exit1Click);
    connect(PlaySounds1, &QAction::triggered, this, &Tchat::PlaySounds1Click);
    connect(PlayChatterSounds1, &QAction::triggered, this, &Tchat::PlayChatterSounds1Click);
    connect(showpop, &QAction::triggered, this, &Tchat::showpopClick);
    connect(onlyone, &QAction::triggered, this, &Tchat::onlyoneClick);
    connect(TextColor1, &QAction::triggered, this, &Tchat::TextColor1Click);
    connect(textSizes, &QActionGroup::triggered, this, &Tchat::N14Click);
    connect(ActionColor1, &QAction::triggered, this, &Tchat::ActionColor1Click);
    connect(Scrollchatoff2, &QAction::triggered, this, &Tchat::Scrollchatoff2Click);
    connect(ResetScreenLocation1, &QAction::triggered, this, &Tchat::ResetScreenLocation1Click);
    connect(SpyList1, &QAction::triggered, this, [this] {
        if (windows.spylist) windows.spylist->show();
    });
    connect(CategoryList1, &QAction::triggered, this, [this] {
        if (windows.categorylist) windows.categorylist->show();
    });
    connect(PhraseList1, &QAction::triggered, this, &Tchat::PhraseList1Click);
    connect(AcroLog1, &QAction::triggered, this, [this] {
        if (windows.acrolog) windows.acrolog->show();
    });
    connect(Help2, &QAction::triggered, this, &Tchat::Help2Click);
    connect(About1, &QAction::triggered, this, &Tchat::About1Click);

    // The board's context menu, for the name labels of slots 2 to 12.
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    RemoveFromGame1 = item(PopupMenu1, "RemoveFromGame1", QStringLiteral("Remove From Game"));
    // Only the hosting player lets the removed players back.
    ClearRemoved1 = item(PopupMenu1, "ClearRemoved1", QStringLiteral("Clear Removed Players"));
    ClearRemoved1->setEnabled(false);
    connect(ClearRemoved1, &QAction::triggered, this, &Tchat::ClearRemoved1Click);
    connect(RemoveFromGame1, &QAction::triggered, this, &Tchat::RemoveFromGame1Click);

    // The chat's context menu.
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName("PopupMenu2");
    Copy1 = item(PopupMenu2, "Copy1", QStringLiteral("Copy"));
    Copy1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    Copy1->setShortcutContext(Qt::WidgetShortcut);
    PopupMenu2->addSeparator();
    Scrollchatoff1 =
        checkItem(PopupMenu2, "Scrollchatoff1", QStringLiteral("Chat Scroll Off"), false);
    Scrollchatoff1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    Scrollchatoff1->setShortcutContext(Qt::WidgetShortcut);
    // Only a connection being tried again can be stopped.
    StopReconnecting1 = item(PopupMenu2, "StopReconnecting1", QStringLiteral("Stop Reconnecting"));
    StopReconnecting1->setEnabled(false);
    connect(StopReconnecting1, &QAction::triggered, this, &Tchat::StopReconnecting1Click);
    connect(Copy1, &QAction::triggered, this, &Tchat::Copy1Click);
    // Choosing it here toggles scroll off as the Options item does.
    connect(Scrollchatoff1, &QAction::triggered, this, &Tchat::Scrollchatoff2Click);

    // The sound menu; an item's Tag is its sound number, its hint its caption.
    popup_sounds = new QMenu(this);
    popup_sounds->setObjectName("popup_sounds");
    for (int n = 0; n <= SoundItems; ++n) {
        const QByteArray name = n == 0 ? QByteArray("Cancel1") : "wave" + QByteArray::number(n);
        const QString caption = QString::fromLatin1(SoundCaptions[n]);
        wave[n] = item(popup_sounds, name.constData(), caption);
        wave[n]->setData(n);
        wave[n]->setToolTip(caption);
        wave[n]->setStatusTip(caption);
    }
    connect(popup_sounds, &QMenu::triggered, this, &Tchat::wave12Click);
}

void Tchat::buildBoard()
{
    FlatPanel2 = new PlayerBoard(panel_board);
    FlatPanel2->setGeometry(BoardRect);
    connect(FlatPanel2, &PlayerBoard::nameMenuRequested, this,
            &Tchat::label_playername2ContextPopup);
}

void Tchat::setStatus(const QString &text)
{
    label_status->setText(text);
}

void Tchat::setTeamLines(const QString &yellow, const QString &white)
{
    label_team1->setText(yellow);
    label_team2->setText(white);
}

void Tchat::setStartGameEnabled(bool enabled)
{
    StartGame1->setEnabled(enabled);
}

void Tchat::focusChatEntry()
{
    mychat->setFocus();
}

void Tchat::buildChat()
{
    mainchat = new ChatDisplay(panel_board);
    mainchat->setObjectName("mainchat");
    mainchat->setGeometry(ChatRect);
    mainchat->setMaximumBlockCount(MaxChatLines);
    QPalette chatPalette = mainchat->palette();
    chatPalette.setColor(QPalette::Base, Qt::black);
    chatPalette.setColor(QPalette::Text, colortext::toQColor(colortext::clSilver));
    // The selection stays visible when the display loses the focus.
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        chatPalette.setColor(QPalette::Inactive, role, chatPalette.color(QPalette::Active, role));
    mainchat->setPalette(chatPalette);
    setTextSize(textSize);
    mainchat->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(mainchat, &QWidget::customContextMenuRequested, this,
            [this](QPoint pos) { PopupMenu2->popup(mainchat->viewport()->mapToGlobal(pos)); });
    mainchat->addAction(Copy1);
    mainchat->addAction(Scrollchatoff1);

    mychat = new ChatEntry(panel_board);
    mychat->setObjectName("mychat");
    mychat->setGeometry(EntryRect);
    QFont entryFont = mychat->font();
    entryFont.setPixelSize(13);
    mychat->setFont(entryFont);
    QPalette entryPalette = mychat->palette();
    entryPalette.setColor(QPalette::Base, Qt::black);
    mychat->setPalette(entryPalette);
    applyTextColour(textColor);
    connect(mychat, &ChatEntry::enterPressed, this, &Tchat::sendit);
    connect(mychat, &ChatEntry::enterReleased, this, &Tchat::sendit);

    for (int n = 1; n <= PhraseButtons; ++n) {
        auto *button = new QToolButton(panel_board);
        button->setObjectName("b_phrase" + QString::number(n));
        const int top = PhraseFirstTop + ((PhraseLastTop - PhraseFirstTop) * (n - 1) + 4) / 9;
        button->setGeometry(QRect(QPoint(PhraseLeft, top), PhraseSize));
        button->setIcon(
            QIcon(QString::fromLatin1(n == PhraseButtons ? res::soundbutton : res::phrase)));
        button->setIconSize(PhraseSize);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        b_phrase[n] = button;
        setPhrase(n, QString::fromLatin1(PhrasesAtStart[n - 1]));
        if (n == PhraseButtons)
            connect(button, &QToolButton::clicked, this, &Tchat::b_phrase10Click);
        else
            connect(button, &QToolButton::clicked, this, [this, n] { b_phrase1Click(n); });
    }
}

void Tchat::setWindows(const Windows &w)
{
    windows = w;
    if (windows.spylist) connect(windows.spylist, &Tspylist::kickRequested, this, &Tchat::kicking);
    if (windows.phrases)
        connect(windows.phrases, &Tphrases::phrasesChanged, this, [this](const QStringList &list) {
            for (int n = 1; n <= PhraseButtons && n <= list.size(); ++n)
                setPhrase(n, list[n - 1]);
        });
    if (windows.download) {
        connect(windows.download, &Tdownload::exitRequested, this, &Tchat::Exit1Click);
        windows.download->playWithOthers = [this] { PlayWithOthers1Click(); };
    }
    connectGameOptions(windows.gamestart);
}

void Tchat::connectGameOptions(Tgamestart *dialog)
{
    if (!dialog) return;
    // The rejoin time is our own host's: it follows the dialog.
    connect(dialog, &Tgamestart::rejoinSecondsChanged, this, [this, dialog](int seconds) {
        if (windows.server && windows.gamestart == dialog)
            windows.server->setRejoinSeconds(seconds);
    });
    connect(dialog, &Tgamestart::startRequested, this, [this](const QByteArray &message) {
        sendToHost(message);
        // The dialog stores its own keys; the rest of the section only once it
        // holds the player's values.
        if (settingsRead) saveinifile();
    });
}

void Tchat::setSoundPlayer(std::unique_ptr<SoundPlayer> player)
{
    soundPlayer = std::move(player);
}

QWidget *Tchat::control(const char *name) const
{
    return findChild<QWidget *>(QString::fromLatin1(name));
}

void Tchat::bringForward()
{
    if (isMinimized()) {
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        showNormal();
    } else {
        show();
        raise();
        activateWindow();
    }
}

void Tchat::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // FormShow: the mode is chosen once, at the first show.
    if (shown) return;
    shown = true;
    if (launchArguments) processparams(*launchArguments);
}

void Tchat::processparams(const QStringList &arguments)
{
    if (QWidget *start = control("button_start")) start->hide();
    StartGame1->setEnabled(false);
    login.clear();

    const LaunchArgs args = parseLaunchArgs(arguments);
    if (args.mode == LaunchArgs::Solo) {
        addlinetochat(QStringLiteral("Loading Solo Game..Please wait."), colortext::clYellow);
        if (windows.download) windows.download->show();
        st.hostAddress = args.hostAddress;
        st.ownName = args.ownName;
        soloGame = true;
        hostpress();
        startWebServer();
        return;
    }
    addlinetochat(QStringLiteral("Loading Multi-player Game.. Please Wait."), colortext::clMaroon);
    if (args.mode == LaunchArgs::Host || args.mode == LaunchArgs::Join) {
        st.ownName = args.ownName;
        st.hostAddress = args.hostAddress;
        hostPort = args.hostPort;
        if (args.mode == LaunchArgs::Host) {
            hostpress();
            startDiscovery();
            startWebServer();
        } else {
            joinpress();
        }
        // The lobby listens here; nothing is ever sent or read on it.
        Sock11->setPortName(QString::number(lobbyPort));
        try {
            Sock11->Open();
        } catch (const ESockException &) {
            // No lobby to tell: the game does not depend on it.
        }
    }
    // Taken after the connection was started: the login, which reads it, is later.
    st.roomRating = args.roomRating;
}

settings::Bounds Tchat::currentBounds() const
{
    return {x(), y(), width(), height()};
}

void Tchat::applyBounds(const settings::Bounds &b)
{
    const int maxWidth = qMax(MaxWindowExtent, screen() ? screen()->virtualSize().width() : 0);
    const int maxHeight = qMax(MaxWindowExtent, screen() ? screen()->virtualSize().height() : 0);
    move(qBound(-MaxWindowPosition, b.left, MaxWindowPosition),
         qBound(-MaxWindowPosition, b.top, MaxWindowPosition));
    resize(qBound(1, b.width, maxWidth), qBound(1, b.height, maxHeight));
}

void Tchat::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (closing) return;
    closing = true;
    if (windows.download) windows.download->abort();
    // Leaving on purpose: the host lets the slot go at once.
    if (st.loggedIn) sendToHost(cmd::client::leaving(st.ownSlot));
    reconnectTimer->stop();
    rejoinActive = false;

    // A close before the settings were read has nothing of the player's to
    // store, and would overwrite the stored values with the built-in ones.
    const settings::Bounds now = currentBounds();
    if (settingsRead && now != saved) {
        settings::Bounds store = now;
        const QScreen *where = screen();
        const QRect work = where ? where->availableGeometry() : QRect();
        if (where && store.width > work.width()) store.width -= 15;
        if (where && store.height > work.height()) store.height -= 15;
        saved = store;
        saveSettings(store);
    }
    for (QWidget *side : findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        if (side->isWindow() && side->isVisible()) side->hide();
    if (endProgram) endProgram();
}

void Tchat::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    // FormResize: never a client area smaller than the board panel.
    const QSize least = BoardPanelSize + QSize(BoardMargin, BoardMargin);
    const QSize area = client->size();
    const int growH = least.height() - area.height();
    const int growW = least.width() - area.width();
    if (growH > 0 || growW > 0) resize(width() + qMax(0, growW), height() + qMax(0, growH));
    panel_board->move(qMax(BoardMargin / 2, (client->width() - BoardPanelSize.width()) / 2),
                      qMax(BoardMargin / 2, (client->height() - BoardPanelSize.height()) / 2));
}

void Tchat::ResetScreenLocation1Click()
{
    applyBounds({settings::DefaultLeft, settings::DefaultTop, settings::DefaultWidth,
                 settings::DefaultHeight});
}

void Tchat::Exit1Click()
{
    close();
}

void Tchat::Help2Click()
{
    if (!windows.help) return;
    windows.help->show();
    windows.help->raise();
}

void Tchat::About1Click()
{
    if (!windows.about) return;
    windows.about->show();
    windows.about->raise();
}

void Tchat::reportError(const QString &text)
{
    if (showError) showError(text);
}

QString Tchat::playerName(int slot) const
{
    if (slot >= 1 && slot <= BoardSlots) {
        return FlatPanel2->name(slot);
    }
    if (slot > BoardSlots && slot <= LastSlot) return spyNames[slot];
    return QString();
}
