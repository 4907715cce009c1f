#include "shell/profile.h"
#include "tests/support/testsupport.h"
#include "windows/tphrases.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {
const char iniName[] = "zunolobby.ini";
const QStringList startPhrases = {
    "Nice Acros!", "Good One!", "Way To Go!",        "Excellent!",          "Brilliant!",
    "Wow, WTG!",   "Thanks!",   "Way To Go Teamie!", "Good Game Everyone!", "See ya!"};
} // namespace

class tst_phrases : public QObject
{
    Q_OBJECT

private:
    testsupport::TempProgramFolder folder;
    Tphrases *window = nullptr;
    QStringList told;

    QLineEdit *box(int n)
    {
        return window->findChild<QLineEdit *>(QStringLiteral("phrase%1").arg(n));
    }
    QString ini() const { return folder.file(QLatin1String(iniName)); }
    QString stored(int n)
    {
        return profile::readString(ini(), "Quibbleton", Tphrases::phraseKey(n), "<absent>");
    }

private slots:
    void initTestCase()
    {
        SideWindow::setDefaultNotifier([this](const QString &t) { told << t; });
    }
    void cleanupTestCase() { SideWindow::setDefaultNotifier({}); }
    void init()
    {
        QFile::remove(ini());
        told.clear();
        window = new Tphrases;
        window->setPhrases(startPhrases);
        window->show();
    }
    void cleanup()
    {
        delete window;
        window = nullptr;
    }

    void boxesShowTheButtonsPhrases()
    {
        QCOMPARE(window->windowTitle(), QStringLiteral("Quibbleton - Phrase List"));
        for (int n = 1; n <= 10; ++n) {
            QVERIFY(box(n));
            QCOMPARE(box(n)->text(), startPhrases[n - 1]);
            auto *label = qobject_cast<QLabel *>(box(n)->parentWidget()->findChild<QLabel *>(
                QStringLiteral("label_phrase%1").arg(n)));
            QVERIFY(label);
            QCOMPARE(label->text(), QStringLiteral("Phrase Button %1:").arg(n));
        }
        QVERIFY(window->findChild<QLabel *>("label_note"));
        QCOMPARE(window->findChild<QLabel *>("label_note")->text(),
                 QStringLiteral("Buttons can only be used once every 2 seconds"));
    }

    void noMoreThanFiftyCharacters()
    {
        box(3)->clear();
        QTest::keyClicks(box(3), QString(60, QLatin1Char('a')));
        QCOMPARE(box(3)->text(), QString(50, QLatin1Char('a')));
    }

    void doneHandsBackAndStores()
    {
        QFile f(ini());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Lobby]\r\nPhrase1=theirs\r\n[Quibbleton]\r\nTop=7\r\nPhrase4=old\r\n");
        f.close();

        box(4)->clear();
        box(2)->setText(QStringLiteral("Hi, all, again"));
        box(10)->setText(QStringLiteral("Bye!"));
        QSignalSpy spy(window, &Tphrases::phrasesChanged);
        window->findChild<QPushButton *>("SelButton8")->click();

        QCOMPARE(spy.size(), 1);
        QStringList expected = startPhrases;
        expected[3].clear();
        expected[1] = QStringLiteral("Hi, all, again");
        expected[9] = QStringLiteral("Bye!");
        QCOMPARE(spy.at(0).at(0).toStringList(), expected);
        for (int n = 1; n <= 10; ++n)
            QCOMPARE(stored(n), expected[n - 1]);
        QCOMPARE(profile::readString(ini(), "Quibbleton", "Top", "x"), QStringLiteral("7"));
        QCOMPARE(profile::readString(ini(), "Lobby", "Phrase1", "x"), QStringLiteral("theirs"));
        QVERIFY(!window->isVisible());
        QVERIFY(told.isEmpty());
    }

    void closingWithTheFrameKeepsEverything()
    {
        box(1)->setText(QStringLiteral("changed"));
        QSignalSpy spy(window, &Tphrases::phrasesChanged);
        window->close();
        QCOMPARE(spy.size(), 0);
        QVERIFY(!QFile::exists(ini()));
        // The next opening starts from the buttons again.
        window->setPhrases(startPhrases);
        QCOMPARE(box(1)->text(), startPhrases[0]);
    }

    void failedSaveStillChangesTheButtons()
    {
        QVERIFY(QDir(folder.path()).mkdir(QLatin1String(iniName)));
        QSignalSpy spy(window, &Tphrases::phrasesChanged);
        window->SelButton8Click();
        QCOMPARE(spy.size(), 1);
        QCOMPARE(told.size(), 1);
        QVERIFY(QDir(folder.path()).rmdir(QLatin1String(iniName)));
    }
};

QTEST_MAIN(tst_phrases)
#include "tst_phrases.moc"
