// Where the player's files go: a writable program folder keeps them all; a
// read-only one (an installed program) sends them to the XDG folders.
//
// Tests run as root, whom no permission bit stops, so a read-only program
// folder is played by replacing the writability check; the real check is tested
// on a writable folder, and on a missing one, which nobody can write to.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "shell/programfolder.h"
#include "shell/settings.h"
#include "tests/support/testsupport.h"

class TestProgramFolder : public QObject
{
    Q_OBJECT

    QTemporaryDir xdg;
    QString configHome() const { return xdg.filePath(QStringLiteral("config")); }
    QString dataHome() const { return xdg.filePath(QStringLiteral("data")); }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
        qputenv("XDG_DATA_HOME", dataHome().toLocal8Bit());
    }
    void cleanup() { setFolderWritableCheck({}); }

    void placeOfEachFile_data()
    {
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("settingsHome"); // empty: the program folder
        QTest::addColumn<QString>("dataHome");
        QTest::newRow("writable program folder") << true << QString() << QString();
        QTest::newRow("read-only program folder")
            << false << configHome() + QStringLiteral("/quibbleton")
            << dataHome() + QStringLiteral("/quibbleton");
    }
    void placeOfEachFile()
    {
        QFETCH(bool, writable);
        QFETCH(QString, settingsHome);
        QFETCH(QString, dataHome);
        testsupport::TempProgramFolder folder;
        QStringList asked;
        setFolderWritableCheck([&](const QString &f) {
            asked << f;
            return writable;
        });
        if (settingsHome.isEmpty()) settingsHome = folder.path();
        if (dataHome.isEmpty()) dataHome = folder.path();

        QCOMPARE(settings::filePath(), settingsHome + QStringLiteral("/zunolobby.ini"));
        QCOMPARE(dataFile(QStringLiteral("acrolog.txt")),
                 dataHome + QStringLiteral("/acrolog.txt"));
        QCOMPARE(dataFile(QStringLiteral("acrocats.txt")),
                 dataHome + QStringLiteral("/acrocats.txt"));
        QVERIFY(QFileInfo(settingsHome).isDir());
        QVERIFY(QFileInfo(dataHome).isDir());
        // Decided once: a run never splits its files between two places.
        QCOMPARE(asked, QStringList{folder.path()});

        // A write really lands there, and the program folder stays as it was.
        QVERIFY(settings::writeMain(settings::filePath(), settings::MainOptions{}));
        QVERIFY(QFile::exists(settingsHome + QStringLiteral("/zunolobby.ini")));
        if (!writable)
            QVERIFY(QDir(folder.path())
                        .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    void realCheck()
    {
        QTemporaryDir dir;
        QVERIFY(folderWritable(dir.path()));
        QVERIFY(
            QDir(dir.path())
                .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)); // probe removed
        QVERIFY(!folderWritable(dir.filePath(QStringLiteral("missing"))));
    }
};

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_programfolder.moc"
