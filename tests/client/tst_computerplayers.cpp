// The hosting player's computer players: a solo start fills the room, the
// Options menu adds and removes them, and their number is remembered in our
// own section of the settings file.
#include <QtTest>

#include "bots/botroom.h"
#include "chattest.h"
#include "host/tserver.h"
#include "shell/profile.h"

class TestComputerPlayers : public QObject
{
    Q_OBJECT

    static int cpuOnBoard(const ChatFixture &f)
    {
        int n = 0;
        for (int slot = 1; slot <= 12; ++slot)
            n += f.label("label_playername" + QString::number(slot))->text().endsWith(" (cpu)");
        return n;
    }

private slots:
    void soloStartAddAndRemove_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("nothing stored: three") << QString() << 3;
        QTest::newRow("one") << QStringLiteral("1") << 1;
        QTest::newRow("beyond eleven") << QStringLiteral("40") << 11;
        QTest::newRow("not a number") << QStringLiteral("lots") << 3;
    }
    void soloStartAddAndRemove()
    {
        QFETCH(QString, stored);
        QFETCH(int, expected);
        ChatFixture f;
        const QString section = QString::fromLatin1(Tchat::ExtrasSection);
        const QString key = QString::fromLatin1(Tchat::KeyComputerPlayers);
        if (!stored.isNull()) QVERIFY(profile::writeString(f.settingsFile(), section, key, stored));
        f.chat->setGamePort(testsupport::freePort());
        f.chat->processparams({});
        QTRY_COMPARE_WITH_TIMEOUT(cpuOnBoard(f), expected, 10000);
        QCOMPARE(f.label("label_playername1")->text(), QStringLiteral("You"));
        QCOMPARE(f.action("AddComputerPlayer1")->isEnabled(), expected < 11);
        // The player keeps the hosting player's rights.
        QCOMPARE(f.chat->server()->hostingSlot(), 1);

        f.action("RemoveComputerPlayer1")->trigger();
        QTRY_COMPARE(cpuOnBoard(f), expected - 1);
        QCOMPARE(profile::readInteger(f.settingsFile(), section, key, -1), expected - 1);
        f.action("AddComputerPlayer1")->trigger();
        QTRY_COMPARE(cpuOnBoard(f), expected);
        QCOMPARE(profile::readInteger(f.settingsFile(), section, key, -1), expected);
        // The game's own section is left as it was.
        QVERIFY(profile::readString(f.settingsFile(), QStringLiteral("Quibbleton"), key, "none") ==
                QStringLiteral("none"));

        // Leaving the room: every computer player goes, the number stays.
        f.chat->stopComputerPlayers();
        QTRY_COMPARE(cpuOnBoard(f), 0);
        QCOMPARE(profile::readInteger(f.settingsFile(), section, key, -1), expected);
    }

    void joiningPlayerHasNone()
    {
        ChatFixture f;
        QVERIFY(!f.action("AddComputerPlayer1")->isEnabled());
        f.action("AddComputerPlayer1")->trigger();
        QVERIFY(!f.chat->computerPlayers());
    }
};

QTEST_MAIN(TestComputerPlayers)
#include "tst_computerplayers.moc"
