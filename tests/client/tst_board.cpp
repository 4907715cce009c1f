// The player board and the spy list: arrivals, the own arrival with its
// rating notice, departures, answer marks and removing players.
#include <QListWidget>
#include <QMenu>

#include "chattest.h"
#include "host/tserver.h"
#include "tests/host/tserverprobe.h"
#include "windows/tspylist.h"

class TestBoard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { res::init(); }

    void ownArrival_data()
    {
        QTest::addColumn<QString>("rating");
        QTest::addColumn<bool>("noticeBox");
        QTest::addColumn<QStringList>("notice");
        QTest::addColumn<bool>("filter");
        const QStringList family{
            "This is a Family Oriented Game.",
            "Langauge used must be suitable for all players regardless of age!"};
        const QStringList adult{"This is an ADULT room.",
                                "Language not suitable for players under the age of 18!"};
        const QStringList unrated{
            "This game is not rated. Content might not be suitable for all ages"};
        QTest::newRow("family, box") << "e" << true << family << true;
        QTest::newRow("family, chat lines") << "e" << false << family << true;
        QTest::newRow("adult") << "a" << true << adult << false;
        QTest::newRow("capital A is not rated") << "A" << true << unrated << false;
        QTest::newRow("capital E is not rated") << "E" << false << unrated << false;
        QTest::newRow("no rating") << "" << true << unrated << false;
    }
    void ownArrival()
    {
        QFETCH(QString, rating);
        QFETCH(bool, noticeBox);
        QFETCH(QStringList, notice);
        QFETCH(bool, filter);
        ChatFixture f;
        // The stored settings hold the notice option and a window place.
        QFile ini(f.settingsFile());
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QByteArray("[Quibbleton]\nShowpop=") + (noticeBox ? "true" : "false") +
                  "\nLeft=40\nTop=50\n");
        ini.close();
        QVERIFY(f.login(3));
        f.chat->state().roomRating = rating;
        f.arrive(3, QStringLiteral("Bob"));

        QVERIFY(f.lines().contains(QStringLiteral("You are Connected.")));
        QVERIFY(f.chat->settingsWereRead());
        QCOMPARE(f.chat->savedBounds().left, 40);
        QCOMPARE(f.chat->state().filterOn, filter);
        if (noticeBox) {
            QCOMPARE(f.boxes, QStringList{notice.join(u'\n')});
            QCOMPARE(f.lastLine(), QStringLiteral("You are Connected."));
        } else {
            QVERIFY(f.boxes.isEmpty());
            QCOMPARE(f.lines().mid(f.lines().size() - notice.size()), notice);
            QCOMPARE(f.lastLineColour(), colourOf(colortext::clYellow));
        }
        QCOMPARE(f.label("label_playername3")->text(), QStringLiteral("Bob"));
        // The own arrival makes no arrival sound.
        QVERIFY(f.sounds.isEmpty());
    }

    void newcomerSeesThosePresent()
    {
        ChatFixture f;
        QVERIFY(f.login(4));
        f.receive(cmd::host::existingplayers(1, "Ann"));
        f.receive(cmd::host::existingplayers(2, "Cy"));
        f.receive(cmd::host::existingplayers(3, "Di"));
        f.receive(cmd::host::newplayerinfo(4, "Bob"));
        const QStringList connected = f.lines().filter(QStringLiteral(" is Connected."));
        QCOMPARE(connected,
                 QStringList({"Ann is Connected.", "Cy is Connected.", "Di is Connected."}));
        QCOMPARE(f.sounds, QStringList({"entered", "entered", "entered"}));
        QCOMPARE(f.label("label_playername2")->text(), QStringLiteral("Cy"));
        QCOMPARE(f.label("label_score2")->text(), QStringLiteral("0"));
        QCOMPARE(f.chat->playerName(2), QStringLiteral("Cy"));
        QCOMPARE(f.chat->playerName(5), QString());
    }

    void arrivalWithoutName()
    {
        ChatFixture f;
        QVERIFY(f.login(4));
        const int before = int(f.lines().size());
        f.receive("CMD_newplayerinfo+6+");
        QCOMPARE(f.lines().size(), before);
        QVERIFY(f.sounds.isEmpty());
        QCOMPARE(f.label("label_playername6")->text(), QString());
    }

    void namesMayHoldPlus()
    {
        ChatFixture f;
        QVERIFY(f.login(4));
        f.receive("CMD_newplayerinfo+2+A+B");
        QCOMPARE(f.label("label_playername2")->text(), QStringLiteral("A+B"));
    }

    void spies()
    {
        ChatFixture f;
        QVERIFY(f.login(2));
        Tspylist *list = f.chat->sideWindows().spylist;
        f.receive(cmd::host::newplayerinfo(13, "Eve"));
        QCOMPARE(list->spies(), QStringList{"13: Eve"});
        QCOMPARE(f.lastLine(), QStringLiteral("Eve is spying."));
        QCOMPARE(f.chat->playerName(13), QStringLiteral("Eve"));
        // The spy's own client.
        ChatFixture spy;
        QVERIFY(spy.login(14));
        spy.arrive(14, QStringLiteral("Zed"));
        QCOMPARE(spy.lastLine(), QStringLiteral("You are spying."));
        QCOMPARE(spy.chat->sideWindows().spylist->spies(), QStringList{"14: Zed"});

        // The spy leaves, removed or by itself: its row goes.
        f.receive(cmd::host::playerdisconnected(13, "Eve"));
        QCOMPARE(f.lastLine(), QStringLiteral("Eve has left."));
        QVERIFY(list->spies().isEmpty());
        const int before = int(f.lines().size());
        f.receive(cmd::host::playerdisconnected(13, "Eve"));
        QCOMPARE(f.lines().size(), before);
    }

    void spyListStaysBoundedByItsSlots()
    {
        ChatFixture f;
        QVERIFY(f.login(2));
        for (int i = 0; i < 50; ++i)
            f.receive(cmd::host::newplayerinfo(13 + i % 3, "Eve"));
        QCOMPARE(f.chat->sideWindows().spylist->spies().size(), 3);
    }

    void departure()
    {
        ChatFixture f;
        QVERIFY(f.login(2));
        f.receive(cmd::host::newplayerinfo(4, "Ann"));
        f.label("label_score4")->setText(QStringLiteral("17"));
        f.receive(cmd::host::playerdisconnected(4, "Ann"));
        QCOMPARE(f.lastLine(), QStringLiteral("Ann disconnected."));
        QCOMPARE(f.lastLineColour(), QColor(156, 152, 120));
        QCOMPARE(f.label("label_playername4")->text(), QStringLiteral("<Waiting>"));
        QCOMPARE(f.label("label_score4")->text(), QStringLiteral("17"));
        QCOMPARE(f.chat->playerName(4), QString());
        // A free slot's departure shows nothing.
        const int before = int(f.lines().size());
        f.receive(cmd::host::playerdisconnected(4, "Ann"));
        QCOMPARE(f.lines().size(), before);
        QCOMPARE(f.ended, 0);
    }

    void ownDepartureEndsTheProgram()
    {
        ChatFixture f;
        QVERIFY(f.login(2));
        f.arrive(2);
        f.receive(cmd::host::playerdisconnected(2, "Bob"));
        QCOMPARE(f.ended, 1);
        QVERIFY(!f.chat->state().loggedIn);
        QCOMPARE(f.lastLine(), QStringLiteral("Bob disconnected."));
    }

    void answerMarks_data()
    {
        QTest::addColumn<QByteArray>("remainder");
        QTest::addColumn<int>("shown"); // 0: none
        QTest::newRow("slot 5") << QByteArray("5") << 5;
        QTest::newRow("slot 12") << QByteArray("12") << 12;
        QTest::newRow("spy") << QByteArray("13") << 0;
        QTest::newRow("zero") << QByteArray("0") << 0;
        QTest::newRow("negative") << QByteArray("-1") << 0;
        QTest::newRow("not a number") << QByteArray("x") << 0;
        QTest::newRow("huge") << QByteArray("99999999999") << 0;
    }
    void answerMarks()
    {
        QFETCH(QByteArray, remainder);
        QFETCH(int, shown);
        ChatFixture f;
        f.receive("CMD_entered+" + remainder);
        for (int n = 1; n <= 12; ++n)
            QCOMPARE(!f.find<QWidget>("entered_" + QString::number(n))->isHidden(), n == shown);
        QVERIFY(f.errors.isEmpty());
    }

    void boardRows()
    {
        ChatFixture f;
        auto *panel = f.find<QWidget>("FlatPanel2");
        QCOMPARE(panel->geometry(), QRect(10, 297, 207, 230));
        for (int k = 1; k <= 12; ++k) {
            const QString n = QString::number(k);
            QCOMPARE(f.label("label_playername" + n)->parentWidget(), panel);
            QCOMPARE(f.label("label_playername" + n)->pos(), QPoint(28, 18 * k - 14));
            QCOMPARE(f.label("label_score" + n)->pos(), QPoint(152, 18 * k - 14));
            QCOMPARE(f.label("label_bonus" + n)->pos(), QPoint(181, 18 * k - 14));
            QCOMPARE(f.find<QWidget>("entered_" + n)->geometry(), QRect(18, 18 * k - 14, 12, 17));
            QCOMPARE(f.label("label_playername" + n)->text(), QStringLiteral("<Waiting>"));
            QCOMPARE(f.label("label_playername" + n)->width(), 115);
        }
    }

    void removeFromGameMenu()
    {
        ChatFixture f;
        QVERIFY(f.login(3));
        f.chat->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.chat.get()));
        QMenu *menu = f.chat->boardMenu();
        QAction *remove = f.action("RemoveFromGame1");
        QCOMPARE(remove->text(), QStringLiteral("Remove From Game"));
        auto rightClick = [&](int slot) {
            QLabel *name = f.label("label_playername" + QString::number(slot));
            QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(5, 5),
                                name->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(name, &e);
        };
        rightClick(1);
        QVERIFY(!menu->isVisible());
        rightClick(2);
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(!remove->isEnabled());
        menu->hide();
        // Not hosting: even a forced click sends nothing.
        f.chat->kicking(2);
        QCOMPARE(f.host.count(cmd::CMD_kickhim), 0);
        QVERIFY(!f.chat->sideWindows().spylist->kickEnabled());
    }

    void hostRemovesAPlayerAndASpy()
    {
        ChatFixture f;
        // The real host: this client hosts on a free port and logs in as slot 1.
        f.chat->setGamePort(testsupport::freePort());
        f.chat->state().ownName = QStringLiteral("Hal");
        f.chat->hostpress();
        QTRY_VERIFY(f.chat->state().loggedIn);
        QCOMPARE(f.chat->state().ownSlot, 1);
        QVERIFY(f.chat->sideWindows().spylist->kickEnabled());

        testsupport::LoopbackClient ann, eve;
        QVERIFY(ann.connectTo(f.chat->server()->listeningPort()));
        QCOMPARE(ann.waitFor(cmd::CMD_sendlogininfo), QByteArray("CMD_sendlogininfo+2"));
        ann.send(cmd::client::logininfo(2, cmd::GameVersion, "Ann"));
        QTRY_COMPARE(f.label("label_playername2")->text(), QStringLiteral("Ann"));

        f.chat->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.chat.get()));
        QLabel *name = f.label("label_playername2");
        QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(5, 5),
                            name->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(name, &e);
        QTRY_VERIFY(f.chat->boardMenu()->isVisible());
        QVERIFY(f.action("RemoveFromGame1")->isEnabled());
        f.action("RemoveFromGame1")->trigger();
        f.chat->boardMenu()->hide();
        QVERIFY(ann.waitForClosed());
        QTRY_COMPARE(f.label("label_playername2")->text(), QStringLiteral("<Waiting>"));
        QTRY_VERIFY(f.lines().contains(QStringLiteral("Ann disconnected.")));

        // A spy removed from the spy list.
        for (int slot = 2; slot <= 12; ++slot)
            TServerProbe(*f.chat->server()).addTestPlayer(slot, "P" + QByteArray::number(slot));
        QVERIFY(eve.connectTo(f.chat->server()->listeningPort()));
        QCOMPARE(eve.waitFor(cmd::CMD_sendlogininfo), QByteArray("CMD_sendlogininfo+13"));
        eve.send(cmd::client::logininfo(13, cmd::GameVersion, "Eve"));
        Tspylist *list = f.chat->sideWindows().spylist;
        QTRY_COMPARE(list->spies(), QStringList{"13: Eve"});
        emit list->kickRequested(13);
        QVERIFY(eve.waitForClosed());
        QTRY_VERIFY(list->spies().isEmpty());
        QTRY_VERIFY(f.lines().contains(QStringLiteral("Eve has left.")));
    }

    void kickMessage()
    {
        ChatFixture f;
        QVERIFY(f.login(1));
        f.chat->state().isHost = true;
        f.chat->kicking(5);
        QCOMPARE(f.host.waitFor(cmd::CMD_kickhim), QByteArray("CMD_kickhim+1+5+"));
    }
};

QTEST_MAIN(TestBoard)
#include "tst_board.moc"
