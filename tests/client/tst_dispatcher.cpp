// The connection to the host and the dispatcher: the login, the messages the
// client handles itself, and what a broken or hostile host can and cannot do.
#include "chattest.h"
#include "client/gamearea.h"
#include "host/tserver.h"

#include "quibversion.h"

class TestDispatcher : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { res::init(); }

    void loginSendsTwoTerminators()
    {
        ChatFixture f;
        QVERIFY(f.login(5, QStringLiteral("Bob")));
        QVERIFY(f.waitForCount("", 2));
        QVERIFY(
            f.host.raw.endsWith("CMD_logininfo+5+" + QByteArray(QUIB_VERSION) + "+Bob\xFF\xFF"));
        QCOMPARE(f.chat->state().ownSlot, 5);
        QVERIFY(f.chat->state().loggedIn);
    }

    void loginReplyThatIsNoSlot_data()
    {
        QTest::addColumn<QByteArray>("remainder");
        QTest::addColumn<bool>("reported");
        QTest::newRow("zero") << QByteArray("0") << false;
        QTest::newRow("sixteen") << QByteArray("16") << false;
        QTest::newRow("negative") << QByteArray("-3") << false;
        QTest::newRow("text") << QByteArray("five") << true;
        QTest::newRow("empty") << QByteArray("") << true;
    }
    void loginReplyThatIsNoSlot()
    {
        QFETCH(QByteArray, remainder);
        QFETCH(bool, reported);
        ChatFixture f;
        f.receive("CMD_sendlogininfo+" + remainder);
        QVERIFY(!f.chat->state().loggedIn);
        QCOMPARE(f.chat->state().ownSlot, 0);
        QCOMPARE(!f.errors.isEmpty(), reported);
    }

    void gameFull()
    {
        ChatFixture f;
        f.receive(cmd::host::full());
        f.receive(cmd::host::full());
        // The host closes the connection; the program waits for the player.
        f.chat->sockInfo(f.chat->sock, TSocketInfo::Close, QStringLiteral("Socket Closed"));
        QCOMPARE(f.boxes, QStringList{"Game is full"});
        QCOMPARE(f.ended, 0);
        f.dismissLast();
        QCOMPARE(f.ended, 1);
    }

    void versionLines()
    {
        ChatFixture f;
        f.receive(cmd::host::havewrongversion("Ann"));
        QCOMPARE(f.lastLine(), QStringLiteral("Ann has a different version of the game than you."));
        QCOMPARE(f.lastLineColour(), QColor(0, 0, 255));
        f.receive(cmd::host::wrongversion());
        QCOMPARE(f.lastLine(),
                 QStringLiteral("You have a different version of the game than the host."));
        QCOMPARE(f.lastLineColour(), QColor(0, 0, 255));
        QCOMPARE(f.ended, 0);
    }

    void updatetimeShowsNothing()
    {
        ChatFixture f;
        const QStringList before = f.lines();
        f.receive(cmd::host::updatetime(45));
        QCOMPARE(f.chat->state().secondsLeft, 45);
        f.receive(cmd::host::updatetime(-2));
        QCOMPARE(f.chat->state().secondsLeft, -2);
        QCOMPARE(f.lines(), before);
        QVERIFY(f.errors.isEmpty());
    }

    void entriesWithoutCommandWord_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<bool>("dispatched");
        QTest::newRow("bare word") << QByteArray("CMD_noanswer") << false;
        QTest::newRow("with plus") << QByteArray("CMD_noanswer+") << true;
        QTest::newRow("empty word") << QByteArray("+CMD_noanswer") << false;
    }
    void entriesWithoutCommandWord()
    {
        QFETCH(QByteArray, entry);
        QFETCH(bool, dispatched);
        ChatFixture f;
        f.receive(entry);
        auto *noAnswers = f.find<QWidget>("panel_noanswers");
        QVERIFY(noAnswers);
        QCOMPARE(!noAnswers->isHidden(), dispatched);
    }

    void unknownWordsAreDroppedSilently_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::newRow("unknown") << QByteArray("CMD_nonsense+1+2+3");
        QTest::newRow("wrong case") << QByteArray("cmd_chat+Ann chats: hi|clRed");
        QTest::newRow("prefix of a word") << QByteArray("CMD_cha+x");
        QTest::newRow("client word") << QByteArray("CMD_kickhim+1+2+");
    }
    void unknownWordsAreDroppedSilently()
    {
        QFETCH(QByteArray, entry);
        ChatFixture f;
        const QStringList before = f.lines();
        f.receive(entry);
        QCOMPARE(f.lines(), before);
        QVERIFY(f.errors.isEmpty());
        QVERIFY(f.boxes.isEmpty());
        QCOMPARE(f.ended, 0);
    }

    void unparseableMessageIsReportedAndThePumpGoesOn()
    {
        ChatFixture f;
        QVERIFY(f.login(2));
        f.host.send("CMD_updatetime+soon\xFF"
                    "CMD_newplayerinfo+x+Ann\xFF"
                    "CMD_chat+Ann chats: still here|clRed\xFF");
        QTRY_COMPARE(f.lastLine(), QStringLiteral("Ann chats: still here"));
        QCOMPARE(f.errors.size(), 2);
        QCOMPARE(f.errors.first(), QStringLiteral("'soon' is not a valid integer value"));
    }

    void hostileMessagesDoNoHarm_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::newRow("arrival in slot 0") << QByteArray("CMD_newplayerinfo+0+X");
        QTest::newRow("arrival in slot 16") << QByteArray("CMD_newplayerinfo+16+X");
        QTest::newRow("arrival in slot 99999") << QByteArray("CMD_newplayerinfo+99999+X");
        QTest::newRow("arrival negative") << QByteArray("CMD_newplayerinfo+-4+X");
        QTest::newRow("arrival without fields") << QByteArray("CMD_newplayerinfo+");
        QTest::newRow("departure of slot 0") << QByteArray("CMD_playerdisconnected+0+X");
        QTest::newRow("departure of slot 40") << QByteArray("CMD_playerdisconnected+40+X");
        QTest::newRow("departure without name") << QByteArray("CMD_playerdisconnected+3");
        QTest::newRow("sound without fields") << QByteArray("CMD_playasound+");
        QTest::newRow("sound with a path") << QByteArray("CMD_playasound+1+../../etc/passwd+");
        QTest::newRow("chat of bars") << QByteArray("CMD_chat+||||");
        QTest::newRow("entered empty") << QByteArray("CMD_entered+");
        QTest::newRow("stats for others") << QByteArray("CMD_stats+9+30+60+t+1+1");
        QTest::newRow("scores garbage") << QByteArray("CMD_postscores+t+x+y+1+2+3");
        QTest::newRow("votes garbage") << QByteArray("CMD_thevotes+y+y+y+99+Z+5");
        QTest::newRow("acros far slots") << QByteArray("CMD_anacro+0+A+77+B+-1+C");
        QTest::newRow("letters huge") << QByteArray("CMD_theletters+100000+ABC");
        QTest::newRow("team far slot") << QByteArray("CMD_histeam+100+1+-5+2");
        QTest::newRow("bonus far slots") << QByteArray("CMD_inbonus+99,-1,abc");
        QTest::newRow("next player far") << QByteArray("CMD_nextplayer+400+t+");
        QTest::newRow("cats negative") << QByteArray("CMD_cats+-7+");
    }
    void hostileMessagesDoNoHarm()
    {
        QFETCH(QByteArray, entry);
        ChatFixture f;
        QVERIFY(f.login(2));
        f.receive(entry);
        f.receive(entry + "+" + QByteArray(5000, '+'));
        QCOMPARE(f.ended, 0);
        QVERIFY(f.chat->state().loggedIn);
    }

    void socketClosedEndsTheProgram()
    {
        ChatFixture f;
        QVERIFY(f.login(2));
        f.arrive(2);
        f.host.client->disconnectFromHost();
        QTRY_COMPARE(f.ended, 1);
    }

    void floodingHostIsCutOff()
    {
        ChatFixture f;
        QVERIFY(f.login(2));
        // Far more than any game sends at once, faster than the pump drains it:
        // the prompt pump keeps up with a loopback host, the paced one of old
        // stands in for a client too busy to.
        f.chat->receivedlist->setPumpMode(ReceiveQueue::PumpMode::Paced);
        QByteArray burst;
        const QByteArray line = cmd::host::chat("Ann", QByteArray(1000, 'x') + "|clRed");
        while (burst.size() < 3 * int(framing::MaxBacklog))
            burst += line;
        f.host.send(burst);
        QTRY_COMPARE_WITH_TIMEOUT(f.ended, 1, 10000);
        QVERIFY(f.chat->receivedlist->backlog(0) <= 2 * framing::MaxBacklog);
    }

    void splitMessagesArriveWhole()
    {
        ChatFixture f;
        QVERIFY(f.login(2));
        const QByteArray message = cmd::host::chat("Ann", "hello there|clRed");
        for (char c : message) {
            f.host.send(QByteArray(1, c));
            QTest::qWait(1);
        }
        QTRY_COMPARE(f.lastLine(), QStringLiteral("Ann chats: hello there"));
    }

    void roundMessagesReachTheGameArea()
    {
        ChatFixture f;
        QVERIFY(f.login(2));
        f.arrive(2);
        f.receive(cmd::host::cats(4));
        auto *category = f.find<QWidget>("panel_catagory");
        QVERIFY(category && !category->isHidden());
        f.receive(cmd::host::theletters(4, "ABCD"));
        auto *creating = f.find<QWidget>("panel_creating");
        QVERIFY(creating && !creating->isHidden());
        QVERIFY(category->isHidden());
    }

    void realHostSoloGame()
    {
        ChatFixture f;
        f.chat->setGamePort(testsupport::freePort());
        f.chat->processparams({});
        QCOMPARE(f.chat->state().ownName, QStringLiteral("You"));
        QVERIFY(f.chat->state().isHost);
        QTRY_VERIFY(f.chat->state().loggedIn);
        QTRY_COMPARE(f.label("label_playername1")->text(), QStringLiteral("You"));
        QCOMPARE(f.chat->sock->HostName(), QStringLiteral("127.0.0.1"));
        QVERIFY(f.chat->state().roomRating.isEmpty());
        QTRY_VERIFY(f.lines().contains(QStringLiteral("You are Connected.")));
        QCOMPARE(f.boxes,
                 QStringList{"This game is not rated. Content might not be suitable for all ages"});

        // The solo room fills with three computer players first.
        QTRY_COMPARE(f.lines().filter(QStringLiteral(" (cpu) is Connected.")).size(), 3);
        // A chat line goes round through the host.
        QTest::keyClicks(f.chat->chatEntry(), QStringLiteral("hi all"));
        QTest::keyClick(f.chat->chatEntry(), Qt::Key_Return);
        QTRY_COMPARE(f.lastLine(), QStringLiteral("You chats: hi all"));
        // A sound picked from the menu comes back to the sender too.
        f.action("PlayChatterSounds1")->setChecked(true);
        f.action("wave4")->trigger();
        QTRY_COMPARE(f.sounds.value(f.sounds.size() - 1), QStringLiteral("wave4"));
    }

    void hostOnBusyPortIsReported()
    {
        QTcpServer busy;
        QVERIFY(busy.listen(QHostAddress::Any, 0));
        ChatFixture f;
        f.chat->setGamePort(busy.serverPort());
        f.chat->state().ownName = QStringLiteral("Hal");
        f.chat->hostpress();
        QCOMPARE(f.errors.size(), 1);
        QVERIFY(!f.chat->state().isHost);
    }
};

QTEST_MAIN(TestDispatcher)
#include "tst_dispatcher.moc"
