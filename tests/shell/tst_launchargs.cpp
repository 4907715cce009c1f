// The launch arguments choose solo, host or join.
#include <QTest>

#include "shell/launchargs.h"

Q_DECLARE_METATYPE(LaunchArgs::Mode)

class TestLaunchArgs : public QObject
{
    Q_OBJECT

private slots:
    void parsing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<LaunchArgs::Mode>("mode");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("rating");
        QTest::newRow("solo") << QStringList() << LaunchArgs::Solo << "You"
                              << "127.0.0.1"
                              << "";
        QTest::newRow("host") << QStringList{"Bob", "10.0.0.5", "true", "a"} << LaunchArgs::Host
                              << "Bob"
                              << "10.0.0.5"
                              << "a";
        QTest::newRow("join") << QStringList{"Bob", "10.0.0.5", "false", "e"} << LaunchArgs::Join
                              << "Bob"
                              << "10.0.0.5"
                              << "e";
        QTest::newRow("TRUE joins") << QStringList{"Bob", "h", "TRUE"} << LaunchArgs::Join << "Bob"
                                    << "h"
                                    << "";
        QTest::newRow("True joins") << QStringList{"Bob", "h", "True"} << LaunchArgs::Join << "Bob"
                                    << "h"
                                    << "";
        QTest::newRow("true with blank joins")
            << QStringList{"Bob", "h", "true "} << LaunchArgs::Join << "Bob"
            << "h"
            << "";
        QTest::newRow("name only") << QStringList{"Bob"} << LaunchArgs::Incomplete << ""
                                   << ""
                                   << "";
        QTest::newRow("name and address")
            << QStringList{"Bob", "10.0.0.5"} << LaunchArgs::Incomplete << ""
            << ""
            << "";
        QTest::newRow("rating first character")
            << QStringList{"Bob", "h", "true", "adult"} << LaunchArgs::Host << "Bob"
            << "h"
            << "a";
        QTest::newRow("capital rating kept")
            << QStringList{"Bob", "h", "no", "E"} << LaunchArgs::Join << "Bob"
            << "h"
            << "E";
        QTest::newRow("empty rating")
            << QStringList{"Bob", "h", "no", ""} << LaunchArgs::Join << "Bob"
            << "h"
            << "";
        QTest::newRow("fifth ignored")
            << QStringList{"Bob", "h", "true", "e", "x", "y"} << LaunchArgs::Host << "Bob"
            << "h"
            << "e";
        QTest::newRow("rating with a surrogate pair")
            << QStringList{"Bob", "h", "true", QString::fromUtf8("😀x")} << LaunchArgs::Host << "Bob"
            << "h" << QString::fromUtf8("😀");
    }
    // Read before the toolkit could take "-reverse" or "-platform" as its own.
    void argumentsAsGiven()
    {
        const char *argv[] = {"quibbleton", "-reverse", "-platform", "x", "-style=y", nullptr};
        QCOMPARE(launchArguments(5, argv), (QStringList{"-reverse", "-platform", "x", "-style=y"}));
        QCOMPARE(parseLaunchArgs(launchArguments(5, argv)).ownName, QStringLiteral("-reverse"));
        QCOMPARE(launchArguments(1, argv), QStringList());
    }

    void parsing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(LaunchArgs::Mode, mode);
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(QString, rating);
        const LaunchArgs args = parseLaunchArgs(arguments);
        QCOMPARE(args.mode, mode);
        QCOMPARE(args.ownName, name);
        QCOMPARE(args.hostAddress, address);
        QCOMPARE(args.roomRating, rating);
    }

    void hostAndPort_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("name") << "quib.example" << true << "quib.example"
                              << int(facts::DefaultPort);
        QTest::newRow("name and port") << "quib.example:8000" << true << "quib.example" << 8000;
        QTest::newRow("v4 and port") << " 10.0.0.5:1 " << true << "10.0.0.5" << 1;
        QTest::newRow("bare v6") << "fe80::1" << true << "fe80::1" << int(facts::DefaultPort);
        QTest::newRow("v6 in brackets") << "[::1]" << true << "::1" << int(facts::DefaultPort);
        QTest::newRow("v6 and port") << "[2001:db8::5]:9000" << true << "2001:db8::5" << 9000;
        QTest::newRow("port 0") << "h:0" << false << "" << 0;
        QTest::newRow("port too big") << "h:65536" << false << "" << 0;
        QTest::newRow("port not a number") << "h:http" << false << "" << 0;
        QTest::newRow("empty port") << "h:" << false << "" << 0;
        QTest::newRow("no host") << ":8000" << false << "" << 0;
        QTest::newRow("unclosed bracket") << "[::1:8000" << false << "" << 0;
        QTest::newRow("junk after bracket") << "[::1]x" << false << "" << 0;
        QTest::newRow("empty") << "" << false << "" << 0;
    }
    void hostAndPort()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QString, host);
        QFETCH(int, port);
        QString gotHost;
        quint16 gotPort = 0;
        QCOMPARE(splitHostPort(text, facts::DefaultPort, gotHost, gotPort), ok);
        if (!ok) return;
        QCOMPARE(gotHost, host);
        QCOMPARE(int(gotPort), port);
    }

    void inviteLinks_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("name and port")
            << "quibbleton://quib.example:8000" << true << "quib.example" << 8000;
        QTest::newRow("no port, slash")
            << "quibbleton://10.0.0.5/" << true << "10.0.0.5" << int(facts::DefaultPort);
        QTest::newRow("v6") << "QUIBBLETON://[2001:db8::5]:9000" << true << "2001:db8::5" << 9000;
        QTest::newRow("bare v6") << "quibbleton://2001:db8::5" << false << "" << 0;
        QTest::newRow("other scheme") << "http://quib.example:8000" << false << "" << 0;
        QTest::newRow("path") << "quibbleton://h:8000/x" << false << "" << 0;
        QTest::newRow("user") << "quibbleton://me@h:8000" << false << "" << 0;
        QTest::newRow("blank") << "quibbleton://h :8000" << false << "" << 0;
        QTest::newRow("bad port") << "quibbleton://h:99999" << false << "" << 0;
        QTest::newRow("empty") << "quibbleton://" << false << "" << 0;
    }
    void inviteLinks()
    {
        QFETCH(QString, link);
        QFETCH(bool, ok);
        QFETCH(QString, host);
        QFETCH(int, port);
        QString gotHost;
        quint16 gotPort = 0;
        QCOMPARE(parseInviteLink(link, gotHost, gotPort), ok);
        if (!ok) return;
        QCOMPARE(gotHost, host);
        QCOMPARE(int(gotPort), port);
        // The link made from what was read reads back the same.
        QVERIFY(parseInviteLink(inviteLink(gotHost, gotPort), gotHost, gotPort));
        QCOMPARE(gotHost, host);
    }

    void addressArgumentTakesAPort()
    {
        LaunchArgs args = parseLaunchArgs({"Bob", "10.0.0.5:8000", "false", "e"});
        QCOMPARE(args.hostAddress, QStringLiteral("10.0.0.5"));
        QCOMPARE(int(args.hostPort), 8000);
        args = parseLaunchArgs({"Bob", "10.0.0.5", "false", "e"});
        QCOMPARE(int(args.hostPort), 0); // the game's port
        args = parseLaunchArgs({"Bob", "h:bad", "false"});
        QCOMPARE(args.hostAddress, QStringLiteral("h:bad"));
    }
};

QTEST_GUILESS_MAIN(TestLaunchArgs)
#include "tst_launchargs.moc"
