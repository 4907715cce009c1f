#include "shell/profile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class tst_profile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("zunolobby.ini")); }
    void put(const QByteArray &bytes)
    {
        QFile f(path());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray contents() const
    {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private slots:
    void init() { QFile::remove(path()); }

    void readString_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        const QByteArray basic = "[Quibbleton]\r\nTop=12\r\nPhrase1=Hi, all\r\n";
        QTest::newRow("plain") << basic << "Quibbleton"
                               << "Top"
                               << "12";
        QTest::newRow("comma value reads whole") << basic << "Quibbleton"
                                                 << "Phrase1"
                                                 << "Hi, all";
        QTest::newRow("names ignore case") << basic << "QUIBBLETON"
                                           << "tOP"
                                           << "12";
        QTest::newRow("missing key") << basic << "Quibbleton"
                                     << "Left"
                                     << "dflt";
        QTest::newRow("missing section") << basic << "Lobby"
                                         << "Top"
                                         << "dflt";
        QTest::newRow("blanks trimmed")
            << QByteArray("[Quibbleton]\n  Top  =   7 \t\n") << "Quibbleton"
            << "Top"
            << "7";
        QTest::newRow("empty value is not the default")
            << QByteArray("[Quibbleton]\nPhrase4=\n") << "Quibbleton"
            << "Phrase4"
            << "";
        QTest::newRow("quotes are kept")
            << QByteArray("[Quibbleton]\nPhrase2=\"Hi\"\n") << "Quibbleton"
            << "Phrase2"
            << "\"Hi\"";
        QTest::newRow("value holding =")
            << QByteArray("[Quibbleton]\nPhrase2=a=b\n") << "Quibbleton"
            << "Phrase2"
            << "a=b";
        QTest::newRow("key of another section")
            << QByteArray("[Lobby]\nTop=1\n[Quibbleton]\nLeft=2\n") << "Quibbleton"
            << "Top"
            << "dflt";
        QTest::newRow("first of two wins")
            << QByteArray("[Quibbleton]\nTop=1\nTop=2\n") << "Quibbleton"
            << "Top"
            << "1";
        QTest::newRow("comment is no key") << QByteArray("[Quibbleton]\n;Top=9\n") << "Quibbleton"
                                           << ";Top"
                                           << "dflt";
        QTest::newRow("CR only line ends")
            << QByteArray("[Lobby]\rTop=1\r[Quibbleton]\rTop=2\r") << "Quibbleton"
            << "Top"
            << "2";
        QTest::newRow("byte order mark")
            << QByteArray("\xEF\xBB\xBF[Quibbleton]\nTop=5\n") << "Quibbleton"
            << "Top"
            << "5";
        QTest::newRow("header with comment")
            << QByteArray("[ Quibbleton ] ; ours\nTop=5\n") << "Quibbleton"
            << "Top"
            << "5";
        QTest::newRow("utf-8 value")
            << QByteArray("[Quibbleton]\nPhrase1=Caf\xC3\xA9\n") << "Quibbleton"
            << "Phrase1" << QString::fromUtf8("Caf\xC3\xA9");
        QTest::newRow("single-byte value")
            << QByteArray("[Quibbleton]\nPhrase1=Caf\xE9\n") << "Quibbleton"
            << "Phrase1" << QString::fromUtf8("Caf\xC3\xA9");
        QTest::newRow("binary junk")
            << QByteArray("\x00\xFF\xFE[\x01=\x02\n\x00\x00", 10) << "Quibbleton"
            << "Top"
            << "dflt";
    }

    void readString()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        put(file);
        QCOMPARE(profile::readString(path(), section, key, QStringLiteral("dflt")), expected);
    }

    void readStringWithoutUsableFile()
    {
        QCOMPARE(profile::readString(path(), "Quibbleton", "Top", "3"), QStringLiteral("3"));
        QVERIFY(!QFile::exists(path())); // reading creates nothing

        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("zunolobby.ini")));
        QCOMPARE(profile::readString(path(), "Quibbleton", "Top", "3"), QStringLiteral("3"));
        QVERIFY(QDir(dir.path()).rmdir(QStringLiteral("zunolobby.ini")));

        QByteArray huge = "[Quibbleton]\nTop=9\n";
        huge += QByteArray(profile::MaxFileSize, ' ');
        put(huge);
        QCOMPARE(profile::readString(path(), "Quibbleton", "Top", "3"), QStringLiteral("3"));
    }

    void readInteger_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("number") << QByteArray("42") << 42;
        QTest::newRow("negative") << QByteArray("-3") << -3;
        QTest::newRow("blanks") << QByteArray("  7 ") << 7;
        QTest::newRow("letters") << QByteArray("abc") << 99;
        QTest::newRow("trailing letters") << QByteArray("12abc") << 99;
        QTest::newRow("empty") << QByteArray("") << 99;
        QTest::newRow("beyond int") << QByteArray("99999999999") << 99;
    }

    void readInteger()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, expected);
        put("[Quibbleton]\r\nTextsize=" + value + "\r\n");
        QCOMPARE(profile::readInteger(path(), "Quibbleton", "Textsize", 99), expected);
    }

    void writeString_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("new file") << QByteArray() << "Top"
                                  << "3" << QByteArray("[Quibbleton]\r\nTop=3\r\n");
        QTest::newRow("replace keeps the rest")
            << QByteArray(
                   "; shared with the lobby\n[Lobby]\nTop=1\n\n[Quibbleton]\nTop=2\nLeft=4\n")
            << "Top"
            << "8"
            << QByteArray(
                   "; shared with the lobby\n[Lobby]\nTop=1\n\n[Quibbleton]\nTop=8\nLeft=4\n");
        QTest::newRow("key spelling and blanks kept")
            << QByteArray("[quibbleton]\r\ntop = 2\r\n") << "Top"
            << "5" << QByteArray("[quibbleton]\r\ntop = 5\r\n");
        QTest::newRow("new key after the section's last key")
            << QByteArray("[Quibbleton]\nTop=2\n\n; lobby below\n[Lobby]\nX=1\n") << "Left"
            << "4" << QByteArray("[Quibbleton]\nTop=2\nLeft=4\n\n; lobby below\n[Lobby]\nX=1\n");
        QTest::newRow("new key in an empty section")
            << QByteArray("[Quibbleton]\r\n[Lobby]\r\n") << "Left"
            << "4" << QByteArray("[Quibbleton]\r\nLeft=4\r\n[Lobby]\r\n");
        QTest::newRow("new section after a last line without end")
            << QByteArray("[Lobby]\nX=1") << "Top"
            << "3" << QByteArray("[Lobby]\nX=1\n[Quibbleton]\nTop=3\n");
        QTest::newRow("new key at the end of the file")
            << QByteArray("[Quibbleton]\r\nTop=1") << "Left"
            << "3" << QByteArray("[Quibbleton]\r\nTop=1\r\nLeft=3\r\n");
        QTest::newRow("empty value") << QByteArray("[Quibbleton]\nPhrase4=Hi\n") << "Phrase4"
                                     << "" << QByteArray("[Quibbleton]\nPhrase4=\n");
        QTest::newRow("line break in a value")
            << QByteArray() << "Phrase1"
            << "one\r\nTop=1" << QByteArray("[Quibbleton]\r\nPhrase1=one  Top=1\r\n");
        QTest::newRow("leading blank, new key")
            << QByteArray() << "Phrase1"
            << " Hi " << QByteArray("[Quibbleton]\r\nPhrase1=Hi\r\n");
        QTest::newRow("leading blank, blank kept after =")
            << QByteArray("[Quibbleton]\r\nPhrase1= Hi\r\n") << "Phrase1"
            << "  Hi" << QByteArray("[Quibbleton]\r\nPhrase1= Hi\r\n");
        QTest::newRow("other bytes untouched")
            << QByteArray("[Lobby]\nName=Caf\xE9\n[Quibbleton]\nTop=1\n") << "Top"
            << "2" << QByteArray("[Lobby]\nName=Caf\xE9\n[Quibbleton]\nTop=2\n");
    }

    void writeString()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        if (!before.isEmpty()) put(before);
        QVERIFY(profile::writeString(path(), "Quibbleton", key, value));
        QCOMPARE(contents(), after);
        // Saving the same value again changes nothing.
        QVERIFY(profile::writeString(path(), "Quibbleton", key, value));
        QCOMPARE(contents(), after);
    }

    void writeThenRead_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("comma") << "Nice, very nice!";
        QTest::newRow("semicolon and hash") << "a; b # c";
        QTest::newRow("brackets") << "[Lobby]";
        QTest::newRow("non-latin") << QString::fromUtf8("\xE2\x98\x83 snow");
    }

    void writeThenRead()
    {
        QFETCH(QString, value);
        put("[Quibbleton]\r\nPhrase1=old\r\n[Lobby]\r\nPhrase1=theirs\r\n");
        QVERIFY(profile::writeString(path(), "Quibbleton", "Phrase1", value));
        QCOMPARE(profile::readString(path(), "Quibbleton", "Phrase1", "x"), value);
        QCOMPARE(profile::readString(path(), "Lobby", "Phrase1", "x"), QStringLiteral("theirs"));
    }

    void writeStringsKeepsOrder()
    {
        QVERIFY(profile::writeStrings(
            path(), "Quibbleton", {{"Playtoscore", "30"}, {"Creationtime", "60"}, {"Max", "7"}}));
        QCOMPARE(contents(),
                 QByteArray("[Quibbleton]\r\nPlaytoscore=30\r\nCreationtime=60\r\nMax=7\r\n"));
    }

    void writeRefusesAndKeepsTheFile_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        const QByteArray small = "[Quibbleton]\nTop=1\n";
        QByteArray huge = small + QByteArray(profile::MaxFileSize, ';');
        QTest::newRow("file too large") << huge << "Quibbleton"
                                        << "Top";
        QTest::newRow("key with =") << small << "Quibbleton"
                                    << "a=b";
        QTest::newRow("empty key") << small << "Quibbleton"
                                   << "";
        QTest::newRow("key with line break") << small << "Quibbleton"
                                             << "a\nb";
        QTest::newRow("section with ]") << small << "Quib]"
                                        << "Top";
    }

    void writeRefusesAndKeepsTheFile()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        put(before);
        QVERIFY(!profile::writeString(path(), section, key, QStringLiteral("2")));
        QCOMPARE(contents(), before);
    }

    void writeFailsWhereNoFileCanBe()
    {
        QVERIFY(!profile::writeString(dir.filePath(QStringLiteral("no/such/folder/x.ini")),
                                      "Quibbleton", "Top", "1"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("zunolobby.ini")));
        QVERIFY(!profile::writeString(path(), "Quibbleton", "Top", "1"));
        QVERIFY(QDir(dir.path()).rmdir(QStringLiteral("zunolobby.ini")));
    }
};

QTEST_GUILESS_MAIN(tst_profile)
#include "tst_profile.moc"
