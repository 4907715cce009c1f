// Start-up and the main window: the windows in their order, the three modes
// the launch arguments choose, the menus, placement, resizing and closing.
#include <QFileInfo>
#include <QMenuBar>
#include <QScreen>
#include <QToolButton>

#include "chattest.h"
#include "client/program.h"
#include "download/httpcli.h"
#include "download/tdownload.h"
#include "host/tserver.h"
#include "tests/download/testhttpserver.h"
#include "windows/tabout.h"
#include "windows/tgamestart.h"
#include "windows/thelp.h"

#include "quibversion.h"

class TestStartup : public QObject
{
    Q_OBJECT

private:
    QByteArray fileBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase() { res::init(); }

    void windowsInTheirOrder()
    {
        ChatFixture f;
        QStringList order;
        for (QObject *child : f.chat->children())
            if (child->inherits("SideWindow") || child->inherits("Tdownload"))
                order << child->objectName();
            else if (qobject_cast<TServer *>(child))
                order << QStringLiteral("TServer");
        QCOMPARE(order, QStringList({"help", "about", "spylist", "categorylist", "phrases",
                                     "acrolog", "download", "TServer", "gamestart"}));
        QCOMPARE(f.chat->windowTitle(), QStringLiteral("Quibbleton"));
        QCOMPARE(f.label("label_status")->text(), QStringLiteral("Welcome to Quibbleton!"));
        QCOMPARE(f.chat->sideWindows().about->version(), QStringLiteral(QUIB_VERSION));
        QCOMPARE(f.chat->size(), QSize(794, 578));
        QVERIFY(f.chat->receivedlist->isEmpty());
    }

    void menuOrder()
    {
        ChatFixture f;
        QStringList titles;
        QStringList items;
        for (QAction *menu : f.chat->menuBar()->actions()) {
            titles << menu->text();
            for (QAction *item : menu->menu()->actions())
                items << (item->isSeparator() ? QStringLiteral("-") : item->objectName());
        }
        QCOMPARE(titles, QStringList({"File", "Options", "View", "Help"}));
        // Marks and states before the settings are read.
        QStringList checked;
        for (QAction *item : f.chat->findChildren<QAction *>())
            if (item->isChecked()) checked << item->objectName();
        checked.sort();
        QCOMPARE(checked, QStringList({"N10", "PlaySounds1", "showpop"}));
        QVERIFY(!f.action("StartGame1")->isEnabled());
        QCOMPARE(f.action("Scrollchatoff2")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
        QCOMPARE(items, QStringList({"StartGame1",
                                     "PlayWithOthers1",
                                     "Invite1",
                                     "-",
                                     "Exit1",
                                     "PlaySounds1",
                                     "PlayChatterSounds1",
                                     "showpop",
                                     "-",
                                     "onlyone",
                                     "TextColor1",
                                     "TextSize1",
                                     "ActionColor1",
                                     "Scrollchatoff2",
                                     "ResetScreenLocation1",
                                     "-",
                                     "AddComputerPlayer1",
                                     "RemoveComputerPlayer1",
                                     "QuietComputerPlayers1",
                                     "SpyList1",
                                     "CategoryList1",
                                     "PhraseList1",
                                     "AcroLog1",
                                     "Help2",
                                     "-",
                                     "About1"}));
    }

    void solo()
    {
        ChatFixture f;
        f.chat->setGamePort(testsupport::freePort());
        f.chat->setLaunchArguments({});
        f.chat->show();
        QCOMPARE(f.lines().value(0), QStringLiteral("Loading Solo Game..Please wait."));
        QCOMPARE(f.lastLineColour(), colourOf(colortext::clYellow));
        QVERIFY(f.chat->sideWindows().download->isVisible());
        QCOMPARE(f.chat->state().hostAddress, QStringLiteral("127.0.0.1"));
        QCOMPARE(f.chat->state().ownName, QStringLiteral("You"));
        QVERIFY(f.chat->state().roomRating.isEmpty());
        QVERIFY(f.chat->state().isHost);
        QVERIFY(f.action("StartGame1")->isEnabled());
        QVERIFY(!f.find<QWidget>("button_start")->isHidden());
        QVERIFY(f.chat->server()->listener()->Listen());
        QTRY_VERIFY(f.chat->state().loggedIn);
        // Shown once: a second show does not start again.
        f.chat->hide();
        f.chat->show();
        QCOMPARE(f.lines().filter(QStringLiteral("Loading")).size(), 1);
    }

    void helpAndVersionOptions_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("option"); // LaunchOption
        const int none = int(LaunchOption::None);
        QTest::newRow("no arguments") << QStringList{} << none;
        QTest::newRow("help") << QStringList{"--help"} << int(LaunchOption::Help);
        QTest::newRow("version, more after it")
            << QStringList{"--version", "x"} << int(LaunchOption::Version);
        // Launch arguments are positional: only the first one may be an option.
        QTest::newRow("not first") << QStringList{"Bob", "--help"} << none;
        QTest::newRow("other case") << QStringList{"--Version"} << none;
        QTest::newRow("short") << QStringList{"-h"} << none;
    }
    void helpAndVersionOptions()
    {
        QFETCH(QStringList, args);
        QFETCH(int, option);
        QList<QByteArray> bytes{"quibbleton"};
        for (const QString &a : args)
            bytes << a.toUtf8();
        QList<char *> argv;
        for (QByteArray &b : bytes)
            argv << b.data();
        QCOMPARE(int(launchOption(int(argv.size()), argv.data())), option);
    }

    void multiPlayer_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("hosts");
        QTest::addColumn<bool>("connects");
        QTest::addColumn<QString>("rating");
        QTest::newRow("host") << QStringList{"Bob", "10.0.0.5", "true", "a"} << true << true << "a";
        QTest::newRow("join") << QStringList{"Bob", "127.0.0.1", "false", "e"} << false << true
                              << "e";
        QTest::newRow("TRUE joins")
            << QStringList{"Bob", "127.0.0.1", "TRUE", "a"} << false << true << "a";
        QTest::newRow("True joins")
            << QStringList{"Bob", "127.0.0.1", "True"} << false << true << "";
        QTest::newRow("one argument") << QStringList{"Bob"} << false << false << "";
        QTest::newRow("two arguments") << QStringList{"Bob", "10.0.0.5"} << false << false << "";
        QTest::newRow("extra arguments")
            << QStringList{"Bob", "127.0.0.1", "no", "ex", "more", "still"} << false << true << "e";
    }
    void multiPlayer()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, hosts);
        QFETCH(bool, connects);
        QFETCH(QString, rating);
        ChatFixture f;
        QTcpServer lobby;
        QVERIFY(lobby.listen(QHostAddress::LocalHost, 0));
        f.chat->setLobbyPort(lobby.serverPort());
        // Joining goes to the fake host; hosting listens on a port of its own.
        f.chat->setGamePort(hosts ? testsupport::freePort() : f.host.port());
        f.chat->processparams(arguments);

        QCOMPARE(f.lines().value(0), QStringLiteral("Loading Multi-player Game.. Please Wait."));
        QCOMPARE(f.lastLineColour(), colourOf(colortext::clMaroon));
        QCOMPARE(f.chat->state().isHost, hosts);
        QCOMPARE(f.chat->state().roomRating, rating);
        QVERIFY(!f.chat->sideWindows().download->isVisible());
        if (connects) {
            QCOMPARE(f.chat->state().ownName, QStringLiteral("Bob"));
            QCOMPARE(f.chat->state().hostAddress, arguments[1]);
            QCOMPARE(f.chat->sock->HostName(), hosts ? QStringLiteral("127.0.0.1") : arguments[1]);
            QCOMPARE(f.chat->loginName(), QStringLiteral("Bob"));
            QVERIFY(lobby.waitForNewConnection(5000));
            if (hosts) {
                QTRY_VERIFY(f.chat->state().loggedIn);
                QCOMPARE(f.chat->state().ownSlot, 1);
            } else {
                QVERIFY(f.host.waitForClient());
            }
        } else {
            QVERIFY(f.chat->sock->HostName().isEmpty());
            QVERIFY(f.chat->loginName().isEmpty());
            QVERIFY(f.chat->state().ownName.isEmpty());
            QVERIFY(!lobby.waitForNewConnection(100));
            QVERIFY(!f.host.client);
        }
    }

    void closeWritesOnlyWhatMoved()
    {
        ChatFixture f;
        QVERIFY(f.login(2));
        f.arrive(2);
        QCOMPARE(f.chat->currentBounds(), (settings::Bounds{3, 3, 794, 578}));
        QVERIFY(!QFileInfo::exists(f.settingsFile()));
        f.chat->close();
        QCOMPARE(f.ended, 1);
        QVERIFY(!QFileInfo::exists(f.settingsFile()));
    }

    void closeAfterMoveWrites()
    {
        ChatFixture f;
        QVERIFY(f.login(2));
        f.arrive(2);
        f.chat->move(40, 60);
        f.action("Exit1")->trigger();
        QCOMPARE(f.ended, 1);
        const settings::MainOptions stored = settings::readMain(f.settingsFile());
        QCOMPARE(stored.bounds, (settings::Bounds{40, 60, 794, 578}));
        QCOMPARE(f.chat->savedBounds(), stored.bounds);
    }

    void closeBeforeTheSettingsWritesNothing()
    {
        ChatFixture f;
        QFile ini(f.settingsFile());
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Quibbleton]\r\nTextcolor=clRed\r\n");
        ini.close();
        f.chat->move(100, 100);
        f.chat->close();
        QCOMPARE(fileBytes(f.settingsFile()), QByteArray("[Quibbleton]\r\nTextcolor=clRed\r\n"));
    }

    void tooWideForTheDesktopIsSavedNarrower()
    {
        ChatFixture f;
        QVERIFY(f.login(2));
        f.arrive(2);
        const QRect work = f.chat->screen()->availableGeometry();
        f.chat->resize(work.width() + 100, 600);
        QCOMPARE(f.chat->width(), work.width() + 100);
        f.chat->close();
        const settings::Bounds stored = settings::readMain(f.settingsFile()).bounds;
        QCOMPARE(stored.width, work.width() + 85);
        QCOMPARE(stored.height, 600 > work.height() ? 585 : 600);
    }

    void resetScreenLocation()
    {
        ChatFixture f;
        QVERIFY(f.login(2));
        f.arrive(2);
        f.chat->move(200, 150);
        f.chat->resize(900, 700);
        f.action("ResetScreenLocation1")->trigger();
        QCOMPARE(f.chat->currentBounds(), (settings::Bounds{3, 3, 794, 578}));
        // Nothing is written until the close, which writes the new bounds.
        QVERIFY(!QFileInfo::exists(f.settingsFile()));
    }

    void smallestClientArea()
    {
        ChatFixture f;
        f.chat->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.chat.get()));
        f.chat->resize(300, 200);
        QTRY_VERIFY(f.chat->centralWidget()->width() >= 788);
        QTRY_VERIFY(f.chat->centralWidget()->height() >= 553);
    }

    void helpAndAbout()
    {
        ChatFixture f;
        f.action("Help2")->trigger();
        QVERIFY(f.chat->sideWindows().help->isVisible());
        f.action("About1")->trigger();
        QVERIFY(f.chat->sideWindows().about->isVisible());
    }

    void downloadExitClosesTheGame()
    {
        ChatFixture f;
        emit f.chat->sideWindows().download->exitRequested();
        QCOMPARE(f.ended, 1);
    }

    void closeDuringADownloadAbortsIt()
    {
        ChatFixture f;
        TestHttpServer http;
        http.answer = [](const QByteArray &) {
            TestHttpServer::Answer a = TestHttpServer::ok(QByteArray(1 << 20, 'x'));
            a.sendNow = 1000; // the rest never comes
            a.close = false;
            return a;
        };
        Tdownload *download = f.chat->sideWindows().download;
        download->setUrl(http.url());
        download->setTargetFolder(f.folder.path());
        download->showMessage = [](const QString &) {};
        download->show();
        QTimer::singleShot(0, f.chat.get(), [&] {
            QVERIFY(QTest::qWaitFor([&] { return download->httpClient()->isBusy(); }, 5000));
            f.chat->close();
        });
        download->getbuttonClick(); // waits until the download ends
        QCOMPARE(f.ended, 1);
        QVERIFY(!download->httpClient()->isBusy());
        QVERIFY(!QFileInfo::exists(f.folder.file(QStringLiteral("qrvsetup.exe"))));
    }

    void hostingMakesNewHostAndDialog()
    {
        ChatFixture f;
        const TServer *firstServer = f.chat->server();
        const Tgamestart *firstDialog = f.chat->gameOptions();
        f.chat->setGamePort(testsupport::freePort());
        f.chat->state().ownName = QStringLiteral("Hal");
        f.chat->hostpress();
        QVERIFY(f.chat->server() != firstServer);
        QVERIFY(f.chat->gameOptions() != firstDialog);
        QCOMPARE(f.chat->gameOptions()->starterName(), QStringLiteral("Hal"));
        QTRY_VERIFY(f.chat->state().loggedIn);
        // The new dialog's start goes to the host, which announces the game.
        f.chat->gameOptions()->button_startClick();
        QTRY_VERIFY(f.lines().filter(QStringLiteral("You have started a game")).size() == 1);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
