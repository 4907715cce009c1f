#include "windows/tabout.h"
#include "windows/thelp.h"

#include "net/gamefacts.h"
#include "quibversion.h"

#include <QLabel>
#include <QTabWidget>
#include <QTextBrowser>
#include <QtTest>

class tst_helpabout : public QObject
{
    Q_OBJECT

private slots:
    void helpHasSixPagesWithText()
    {
        Thelp help;
        auto *pages = help.findChild<QTabWidget *>("pages");
        QVERIFY(pages);
        const QStringList titles = {"Overview", "Connecting", "Game Play",
                                    "Scoring",  "License",    "Documentation"};
        QCOMPARE(pages->count(), titles.size());
        for (int i = 0; i < titles.size(); ++i) {
            QCOMPARE(pages->tabText(i), titles[i]);
            auto *page = qobject_cast<QTextBrowser *>(pages->widget(i));
            QVERIFY(page && page->toPlainText().size() > 200);
        }
        QVERIFY(pages->widget(1)
                    ->property("plainText")
                    .toString()
                    .contains(QString::number(facts::DefaultPort)));
        help.showPage(QStringLiteral("Scoring"));
        QCOMPARE(pages->currentIndex(), 3);
        help.showPage(QStringLiteral("No such page"));
        QCOMPARE(pages->currentIndex(), 0);
    }

    void aboutShowsVersionAndLink()
    {
        Tabout about;
        auto *version = about.findChild<QLabel *>("version");
        QVERIFY(version);
        QCOMPARE(version->text(), QStringLiteral(QUIB_VERSION));
        auto *link = about.findChild<QLabel *>("label_web");
        QVERIFY(link && link->text().contains(QLatin1String(Tabout::makerAddress())));
        QCOMPARE(QLatin1String(Tabout::makerAddress()),
                 QLatin1String("http://www.zuno88.example/"));
    }
};

QTEST_MAIN(tst_helpabout)
#include "tst_helpabout.moc"
