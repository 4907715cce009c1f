// Copies left by killed saves go at start; nothing else beside the file does.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <utime.h>

#include "shell/stalesaves.h"

class tst_stalesaves : public QObject
{
    Q_OBJECT
private slots:
    void onlyOldCopiesOfOurSavesGo()
    {
        QTemporaryDir dir;
        QTemporaryDir elsewhere;
        const QDir d(dir.path());
        auto age = [](const QString &path, int seconds) {
            const time_t when = time_t(QDateTime::currentSecsSinceEpoch() - seconds);
            const utimbuf times{when, when};
            return ::utime(QFile::encodeName(path).constData(), &times) == 0;
        };
        auto make = [&](const QString &path, int seconds) {
            {
                QFile f(path);
                if (!f.open(QIODevice::WriteOnly) || f.write("x") != 1) return false;
            }
            return age(path, seconds);
        };
        const QStringList gone = {"zunolobby.ini.AbC123", "zunolobby.ini.000000"};
        const QStringList kept = {
            "zunolobby.ini",         // the file itself
            "zunolobby.ini.XyZ789",  // young: a save may be running in another process
            "zunolobby.ini.ABCDEFG", // not the temporary name's length
            "zunolobby.ini.ab-123",  // nor its letters
            "acrolog.txt.AbC123",    // another file's
        };
        for (const QString &name : gone + kept)
            QVERIFY2(make(d.filePath(name), name.endsWith("XyZ789") ? 0 : 3600), qPrintable(name));
        QVERIFY(d.mkdir("zunolobby.ini.Dir123") && age(d.filePath("zunolobby.ini.Dir123"), 3600));
        const QString target = QDir(elsewhere.path()).filePath("target");
        QVERIFY(make(target, 3600)); // an old file behind a link of that name
        QVERIFY(QFile::link(target, d.filePath("zunolobby.ini.Lnk123")));

        QCOMPARE(removeStaleSaves(d.filePath("zunolobby.ini"), 60), int(gone.size()));
        for (const QString &name : gone)
            QVERIFY2(!QFileInfo::exists(d.filePath(name)), qPrintable(name));
        for (const QString &name : kept + QStringList{"zunolobby.ini.Dir123"})
            QVERIFY2(QFileInfo::exists(d.filePath(name)), qPrintable(name));
        QVERIFY(QFileInfo(d.filePath("zunolobby.ini.Lnk123")).isSymLink());
        QVERIFY(QFileInfo::exists(target));
        // A folder without such copies, or one that is not there: nothing to do.
        QCOMPARE(removeStaleSaves(d.filePath("zunolobby.ini"), 60), 0);
        QCOMPARE(removeStaleSaves(d.filePath("missing/zunolobby.ini"), 60), 0);
    }
};

QTEST_GUILESS_MAIN(tst_stalesaves)
#include "tst_stalesaves.moc"
