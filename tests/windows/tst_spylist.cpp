#include "windows/tspylist.h"

#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

class tst_spylist : public QObject
{
    Q_OBJECT

private:
    Tspylist *window = nullptr;
    QListWidget *list() { return window->findChild<QListWidget *>("listbox_spys"); }
    QAction *kick() { return window->findChild<QAction *>("popup_kickhim"); }
    void hover(int row)
    {
        QPoint at;
        if (row >= 0) {
            at = list()->visualItemRect(list()->item(row)).center();
        } else {
            const QRect last = list()->visualItemRect(list()->item(list()->count() - 1));
            at = QPoint(last.center().x(), last.bottom() + 30);
        }
        QMouseEvent move(QEvent::MouseMove, at, list()->viewport()->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list()->viewport(), &move);
    }

private slots:
    void init()
    {
        window = new Tspylist;
        window->addSpy(13, QStringLiteral("Eve"));
        window->addSpy(14, QStringLiteral("Mallory"));
        window->show();
    }
    void cleanup()
    {
        delete window;
        window = nullptr;
    }

    void looksLikeASpyList()
    {
        QCOMPARE(window->windowTitle(), QStringLiteral("Quibbleton-Spys"));
        QVERIFY(window->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(window->spies(), (QStringList{"13: Eve", "14: Mallory"}));
        QCOMPARE(kick()->text(), QStringLiteral("Remove From Game"));
        QVERIFY(window->findChild<QPushButton *>("Button1"));
    }

    void removeFromGame_data()
    {
        QTest::addColumn<bool>("hosting");
        QTest::addColumn<int>("row");      // -1: below the rows
        QTest::addColumn<int>("expected"); // 0: nothing asked
        QTest::newRow("host, first spy") << true << 0 << 13;
        QTest::newRow("host, second spy") << true << 1 << 14;
        QTest::newRow("host, empty space") << true << -1 << 0;
        QTest::newRow("not hosting") << false << 0 << 0;
    }

    void removeFromGame()
    {
        QFETCH(bool, hosting);
        QFETCH(int, row);
        QFETCH(int, expected);
        window->setKickEnabled(hosting);
        QCOMPARE(kick()->isEnabled(), hosting);
        hover(row);
        QCOMPARE(window->pointedRow(), row);
        QSignalSpy spy(window, &Tspylist::kickRequested);
        window->popup_kickhimClick();
        QCOMPARE(spy.size(), expected ? 1 : 0);
        if (expected) QCOMPARE(spy.at(0).at(0).toInt(), expected);
    }

    void rowWithoutANumberAsksNothing()
    {
        list()->addItem(QStringLiteral("Eve: 13"));
        list()->addItem(QStringLiteral("no colon"));
        window->setKickEnabled(true);
        QSignalSpy spy(window, &Tspylist::kickRequested);
        hover(2);
        window->popup_kickhimClick();
        hover(3);
        window->popup_kickhimClick();
        QCOMPARE(spy.size(), 0);
    }

    void leavingSpyDisappears()
    {
        QVERIFY(!window->removeSpy(13, QStringLiteral("Mallory")));
        QVERIFY(window->removeSpy(13, QStringLiteral("Eve")));
        QCOMPARE(window->spies(), QStringList{"14: Mallory"});
        // The row that was pointed at moved: no stale row may be kicked.
        QCOMPARE(window->pointedRow(), -1);
    }

    void okHides()
    {
        window->findChild<QPushButton *>("Button1")->click();
        QVERIFY(!window->isVisible());
    }
};

QTEST_MAIN(tst_spylist)
#include "tst_spylist.moc"
