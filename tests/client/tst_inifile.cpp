// The settings file as the main window reads it at the own arrival and writes
// it from the option commands.
#include <QFileInfo>
#include <QToolButton>

#include "chattest.h"
#include "windows/tgamestart.h"

class TestInifile : public QObject
{
    Q_OBJECT

private:
    void writeFile(const ChatFixture &f, const QByteArray &content)
    {
        QFile file(f.settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray readFile(const ChatFixture &f)
    {
        QFile file(f.settingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Logs in as slot 2 and lets the host announce the arrival.
    void enter(ChatFixture &f)
    {
        QVERIFY(f.login(2));
        f.arrive(2);
    }

private slots:
    void initTestCase() { res::init(); }

    void nothingIsReadBeforeTheArrival()
    {
        ChatFixture f;
        writeFile(f, "[Quibbleton]\nTextcolor=clRed\nPlaysounds=false\n");
        QVERIFY(f.login(2));
        QCOMPARE(f.chat->textColour(), colortext::clSilver);
        QVERIFY(f.action("PlaySounds1")->isChecked());
        f.arrive(2);
        QCOMPARE(f.chat->textColour(), 0x0000FFu);
        QVERIFY(!f.action("PlaySounds1")->isChecked());
    }

    void firstRunDefaults()
    {
        ChatFixture f;
        writeFile(f, "[Lobby]\nuser=ann\n");
        f.chat->move(300, 200);
        enter(f);
        QCOMPARE(f.chat->currentBounds(), (settings::Bounds{3, 3, 794, 578}));
        QVERIFY(f.action("PlayChatterSounds1")->isChecked());
        QVERIFY(f.action("PlaySounds1")->isChecked());
        QCOMPARE(f.chat->chatTextSize(), 8);
        QVERIFY(f.action("N8")->isChecked());
        QCOMPARE(f.chat->textColour(), colortext::clWhite);
        QCOMPARE(f.chat->actionColour(), colortext::clWhite);
        QVERIFY(!f.action("onlyone")->isChecked());
        QVERIFY(f.action("showpop")->isChecked());
        const cmd::GameOptions o = f.chat->gameOptions()->options();
        QCOMPARE(o.playTo, 30);
        QCOMPARE(o.creationSeconds, 60);
        QCOMPARE(o.bonusLetters, 10);
        QCOMPARE(o.maxLetters, 7);
        QVERIFY(o.playBonus);
        QVERIFY(o.winningBonus);
        QVERIFY(!o.autoRestart);
        QVERIFY(!o.speedBonus);
        QVERIFY(!o.noCouchTopics);
        QCOMPARE(readFile(f), QByteArray("[Lobby]\nuser=ann\n"));
    }

    void valuesRead_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<int>("textSize");
        QTest::addColumn<QString>("checkedSize");
        QTest::addColumn<bool>("chatter");
        QTest::addColumn<uint>("textColour");
        QTest::addColumn<bool>("oneColour");
        QTest::newRow("size 11 keeps the mark")
            << QByteArray("Textsize=11") << 11 << "N10" << true << 0xFFFFFFu << false;
        QTest::newRow("size 12") << QByteArray("Textsize=12") << 12 << "N12" << true << 0xFFFFFFu
                                 << false;
        QTest::newRow("size not a number")
            << QByteArray("Textsize=big") << 8 << "N8" << true << 0xFFFFFFu << false;
        QTest::newRow("size absurd")
            << QByteArray("Textsize=5000") << 8 << "N8" << true << 0xFFFFFFu << false;
        QTest::newRow("chatter yes means on")
            << QByteArray("ChatterSounds=yes") << 8 << "N8" << true << 0xFFFFFFu << false;
        QTest::newRow("chatter false")
            << QByteArray("ChatterSounds=false") << 8 << "N8" << false << 0xFFFFFFu << false;
        QTest::newRow("chatter FALSE means on")
            << QByteArray("ChatterSounds=FALSE") << 8 << "N8" << true << 0xFFFFFFu << false;
        QTest::newRow("colour hex")
            << QByteArray("Textcolor=$00123456") << 8 << "N8" << true << 0x123456u << false;
        QTest::newRow("colour lower-case name")
            << QByteArray("Textcolor=clyellow") << 8 << "N8" << true << 0x00FFFFu << false;
        QTest::newRow("colour decimal")
            << QByteArray("Textcolor=255") << 8 << "N8" << true << 0xFFu << false;
        QTest::newRow("colour unreadable is white")
            << QByteArray("Textcolor=pink") << 8 << "N8" << true << 0xFFFFFFu << false;
        QTest::newRow("one colour true")
            << QByteArray("Onlyone=true") << 8 << "N8" << true << 0xFFFFFFu << true;
        QTest::newRow("one colour yes is off")
            << QByteArray("Onlyone=yes") << 8 << "N8" << true << 0xFFFFFFu << false;
    }
    void valuesRead()
    {
        QFETCH(QByteArray, section);
        QFETCH(int, textSize);
        QFETCH(QString, checkedSize);
        QFETCH(bool, chatter);
        QFETCH(uint, textColour);
        QFETCH(bool, oneColour);
        ChatFixture f;
        writeFile(f, "[Quibbleton]\n" + section + "\n");
        enter(f);
        QCOMPARE(f.chat->chatTextSize(), textSize);
        QCOMPARE(f.chat->chatDisplay()->font().pointSize(), textSize);
        QVERIFY(f.action(checkedSize)->isChecked());
        QCOMPARE(f.action("PlayChatterSounds1")->isChecked(), chatter);
        QCOMPARE(f.chat->textColour(), TColor(textColour));
        QCOMPARE(f.action("onlyone")->isChecked(), oneColour);
    }

    void dialogValues()
    {
        ChatFixture f;
        writeFile(f, "[Quibbleton]\nPlaytoscore=abc\nCreationtime=\nEndgame=no\nMax=5\n");
        enter(f);
        const cmd::GameOptions o = f.chat->gameOptions()->options();
        QCOMPARE(o.playTo, 30);
        QCOMPARE(o.creationSeconds, 60);
        QCOMPARE(o.maxLetters, 5);
        QVERIFY(o.winningBonus);
    }

    void phrases()
    {
        ChatFixture f;
        writeFile(f, "[Quibbleton]\nPhrase1=Hi there\nPhrase4=\nPhrase10=Later\n");
        enter(f);
        QCOMPARE(f.find<QToolButton>("b_phrase1")->toolTip(), QStringLiteral("Hi there"));
        QCOMPARE(f.find<QToolButton>("b_phrase4")->toolTip(), QStringLiteral("Excellent!"));
        QCOMPARE(f.find<QToolButton>("b_phrase10")->toolTip(), QStringLiteral("Later"));
    }

    void windowPlaceAndHostileSizes()
    {
        ChatFixture f;
        writeFile(f, "[Quibbleton]\nLeft=20\nTop=30\nWidth=2000000\nHeight=900\n");
        enter(f);
        QCOMPARE(f.chat->savedBounds(), (settings::Bounds{20, 30, 2000000, 900}));
        QCOMPARE(f.chat->pos(), QPoint(20, 30));
        QVERIFY(f.chat->width() <= 16384);
        QCOMPARE(f.chat->height(), 900);
    }

    void togglingWritesTheWholeSectionOnce()
    {
        ChatFixture f;
        writeFile(f, "; shared with the lobby\r\n[Lobby]\r\nuser=ann\r\n");
        enter(f);
        f.action("PlaySounds1")->trigger();
        const QByteArray afterToggle = readFile(f);
        QVERIFY(afterToggle.startsWith("; shared with the lobby\r\n[Lobby]\r\nuser=ann\r\n"));
        QStringList keys;
        for (const QByteArray &line : afterToggle.split('\n')) {
            const int eq = int(line.indexOf('='));
            if (eq > 0 && !line.startsWith("user")) keys << QString::fromUtf8(line.left(eq));
        }
        QCOMPARE(keys, QStringList({"Top",           "Left",         "Width",     "Height",
                                    "ChatterSounds", "Textsize",     "Textcolor", "Actioncolor",
                                    "Playtoscore",   "Creationtime", "Letters",   "Max",
                                    "Auto",          "Speed",        "Endgame",   "Nocouch",
                                    "Playbonus",     "Playsounds",   "Onlyone",   "Showpop"}));
        QVERIFY(afterToggle.contains("Playsounds=false"));
        // The window did not move: closing writes nothing more.
        f.chat->close();
        QCOMPARE(readFile(f), afterToggle);
    }

    void optionBeforeTheSettingsKeepsTheRest()
    {
        ChatFixture f;
        writeFile(f, "[Quibbleton]\nTextcolor=clRed\nLeft=40\n");
        f.action("PlaySounds1")->trigger();
        const settings::MainOptions stored = settings::readMain(f.settingsFile());
        QVERIFY(!stored.playSounds);
        QCOMPARE(stored.textColor, QStringLiteral("clRed"));
        QCOMPARE(stored.bounds.left, 40);
        QVERIFY(!readFile(f).contains("Textsize"));
    }

    void gameStartWritesTheSettings()
    {
        ChatFixture f;
        f.chat->setGamePort(testsupport::freePort());
        f.chat->state().ownName = QStringLiteral("Hal");
        f.chat->hostpress();
        QTRY_VERIFY(f.chat->settingsWereRead());
        QFile::remove(f.settingsFile());
        f.chat->gameOptions()->button_startClick();
        const settings::MainOptions stored = settings::readMain(f.settingsFile());
        QCOMPARE(stored.textColor, QStringLiteral("clWhite"));
        QVERIFY(readFile(f).contains("Showpop=true"));
        QVERIFY(readFile(f).contains("Playtoscore=30"));
    }

    void unwritableFileIsReported()
    {
        ChatFixture f;
        enter(f);
        // A folder where the file should be: nothing can be written.
        QDir(f.folder.path()).mkdir(QStringLiteral("zunolobby.ini"));
        f.action("onlyone")->trigger();
        QVERIFY(!f.errors.isEmpty());
        QVERIFY(f.errors.first().contains(QStringLiteral("zunolobby.ini")));
    }
};

QTEST_MAIN(TestInifile)
#include "tst_inifile.moc"
