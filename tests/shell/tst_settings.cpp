// The main window's keys of the shared settings file.
#include <QDir>
#include <QFile>
#include <QMap>
#include <QTest>

#include "shell/settings.h"
#include "tests/support/testsupport.h"

class TestSettings : public QObject
{
    Q_OBJECT

private:
    void write(const QString &path, const QByteArray &content)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void fileInTheProgramFolder()
    {
        testsupport::TempProgramFolder folder;
        QCOMPARE(settings::filePath(), folder.file(QStringLiteral("zunolobby.ini")));
    }

    void missingFileGivesDefaults()
    {
        testsupport::TempProgramFolder folder;
        const settings::MainOptions o = settings::readMain(settings::filePath());
        QCOMPARE(o.bounds, (settings::Bounds{3, 3, 794, 578}));
        QVERIFY(o.chatterSounds);
        QCOMPARE(o.textSize, 8);
        QCOMPARE(o.textColor, QStringLiteral("clwhite"));
        QCOMPARE(o.actionColor, QStringLiteral("clwhite"));
        QVERIFY(o.playSounds);
        QVERIFY(!o.onlyOne);
        QVERIFY(o.showPop);
        QCOMPARE(o.phrases, QStringList(10, QString()));
    }

    void reading_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::newRow("top") << QByteArray("Top=17") << "top"
                             << "17";
        QTest::newRow("negative left") << QByteArray("Left=-1200") << "left"
                                       << "-1200";
        QTest::newRow("width not a number") << QByteArray("Width=wide") << "width"
                                            << "794";
        QTest::newRow("height empty") << QByteArray("Height=") << "height"
                                      << "578";
        QTest::newRow("chatter false") << QByteArray("ChatterSounds=false") << "chatter"
                                       << "0";
        QTest::newRow("chatter yes") << QByteArray("ChatterSounds=yes") << "chatter"
                                     << "1";
        QTest::newRow("chatter empty") << QByteArray("ChatterSounds=") << "chatter"
                                       << "1";
        QTest::newRow("play sounds False") << QByteArray("Playsounds=False") << "sounds"
                                           << "1";
        QTest::newRow("play sounds false") << QByteArray("Playsounds=false") << "sounds"
                                           << "0";
        QTest::newRow("only one true") << QByteArray("Onlyone=true") << "onlyone"
                                       << "1";
        QTest::newRow("only one TRUE") << QByteArray("Onlyone=TRUE") << "onlyone"
                                       << "0";
        QTest::newRow("show pop false") << QByteArray("Showpop=false") << "showpop"
                                        << "0";
        QTest::newRow("text size 11") << QByteArray("Textsize=11") << "size"
                                      << "11";
        QTest::newRow("text size zero") << QByteArray("Textsize=0") << "size"
                                        << "8";
        QTest::newRow("text size huge") << QByteArray("Textsize=900") << "size"
                                        << "8";
        QTest::newRow("text colour raw") << QByteArray("Textcolor=pink") << "text"
                                         << "pink";
        QTest::newRow("action colour raw") << QByteArray("Actioncolor=$00FF0000") << "action"
                                           << "$00FF0000";
        QTest::newRow("phrase 4 empty") << QByteArray("Phrase4=") << "phrase4"
                                        << "";
        QTest::newRow("phrase 4") << QByteArray("Phrase4=Hi all") << "phrase4"
                                  << "Hi all";
    }
    void reading()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, field);
        QFETCH(QString, value);
        testsupport::TempProgramFolder folder;
        write(settings::filePath(), "[Other]\nTop=99\n[Quibbleton]\n" + line + "\n");
        const settings::MainOptions o = settings::readMain(settings::filePath());
        const QMap<QString, QString> got{
            {"top", QString::number(o.bounds.top)},
            {"left", QString::number(o.bounds.left)},
            {"width", QString::number(o.bounds.width)},
            {"height", QString::number(o.bounds.height)},
            {"chatter", QString::number(o.chatterSounds)},
            {"sounds", QString::number(o.playSounds)},
            {"onlyone", QString::number(o.onlyOne)},
            {"showpop", QString::number(o.showPop)},
            {"size", QString::number(o.textSize)},
            {"text", o.textColor},
            {"action", o.actionColor},
            {"phrase4", o.phrases.value(3)},
        };
        QCOMPARE(got.value(field), value);
    }

    void writingKeepsTheRestOfTheFile()
    {
        testsupport::TempProgramFolder folder;
        const QString path = settings::filePath();
        write(path, "; lobby settings\r\n[Lobby]\r\nuser=ann\r\n[Quibbleton]\r\nPhrase1=Yo\r\n"
                    "Top=1\r\n");
        settings::MainOptions o;
        o.bounds = {10, 20, 800, 600};
        o.chatterSounds = false;
        o.textSize = 12;
        o.textColor = QStringLiteral("clRed");
        o.actionColor = QStringLiteral("$00123456");
        o.playSounds = false;
        o.onlyOne = true;
        o.showPop = false;
        // One write holds the main window's keys with the dialog's between.
        QVERIFY(settings::writeMain(path, o, {{"Playtoscore", "30"}, {"Auto", "false"}}));
        const QByteArray content = read(path);
        QVERIFY(content.startsWith("; lobby settings\r\n[Lobby]\r\nuser=ann\r\n[Quibbleton]\r\n"
                                   "Phrase1=Yo\r\nTop=20\r\n"));
        QVERIFY(content.contains("Left=10\r\nWidth=800\r\nHeight=600\r\nChatterSounds=false\r\n"
                                 "Textsize=12\r\nTextcolor=clRed\r\nActioncolor=$00123456\r\n"
                                 "Playtoscore=30\r\nAuto=false\r\n"
                                 "Playsounds=false\r\nOnlyone=true\r\nShowpop=false\r\n"));
        const settings::MainOptions back = settings::readMain(path);
        QCOMPARE(back.bounds, o.bounds);
        QCOMPARE(back.phrases.value(0), QStringLiteral("Yo"));
        QVERIFY(back.onlyOne);
    }

    void unwritableFileReportsFailure()
    {
        testsupport::TempProgramFolder folder;
        QDir(folder.path()).mkdir(QStringLiteral("zunolobby.ini"));
        QVERIFY(!settings::writeMain(settings::filePath(), settings::MainOptions()));
        QVERIFY(!settings::writeKey(settings::filePath(), settings::KeyShowpop, "true"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
