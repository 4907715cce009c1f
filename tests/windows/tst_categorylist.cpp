#include "shell/programfolder.h"
#include "tests/support/testsupport.h"
#include "windows/tcategorylist.h"

#include <QAction>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QtTest>

namespace {
const char fileName[] = "acrocats.txt";
const char dragFormat[] = "application/x-quibbleton-category";
} // namespace

class tst_categorylist : public QObject
{
    Q_OBJECT

private:
    testsupport::TempProgramFolder folder;
    Tcategorylist *window = nullptr;
    QStringList told;

    QString path() const { return folder.file(QLatin1String(fileName)); }
    QListWidget *list() const { return window->findChild<QListWidget *>("listbox_cats"); }
    QLineEdit *edit() const { return window->findChild<QLineEdit *>("edit_newcat"); }
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
    void makeWindow()
    {
        delete window;
        window = new Tcategorylist;
        window->show();
    }
    // The point of a row, or below the last one for -1.
    QPoint rowPoint(int row) const
    {
        if (row >= 0) return list()->visualItemRect(list()->item(row)).center();
        const QRect last = list()->visualItemRect(list()->item(list()->count() - 1));
        return QPoint(last.center().x(), last.bottom() + 40);
    }
    void press(int row, Qt::MouseButton button)
    {
        QTest::mousePress(list()->viewport(), button, {}, rowPoint(row));
        QTest::mouseRelease(list()->viewport(), button, {}, rowPoint(row));
    }
    // Drag events reach the list's viewport only from a running drag; the window's
    // filter is handed them the way the viewport would pass them on.
    bool dragEvent(QDropEvent *event)
    {
        static_cast<QObject *>(window)->eventFilter(list()->viewport(), event);
        return event->isAccepted();
    }
    void drop(int row)
    {
        QMimeData mime;
        mime.setData(QLatin1String(dragFormat), QByteArray());
        QDragMoveEvent move(rowPoint(row), Qt::MoveAction, &mime, Qt::LeftButton, {});
        QVERIFY(dragEvent(&move));
        QDropEvent dropEvent(rowPoint(row), Qt::MoveAction, &mime, Qt::LeftButton, {});
        dragEvent(&dropEvent);
    }
    static QByteArray crlfLines(const QStringList &lines)
    {
        QByteArray out;
        for (const QString &line : lines)
            out += line.toUtf8() + "\r\n";
        return out;
    }

private slots:
    void initTestCase()
    {
        SideWindow::setDefaultNotifier([this](const QString &t) { told << t; });
    }
    void cleanupTestCase() { SideWindow::setDefaultNotifier({}); }

    void init()
    {
        QFile::remove(path());
        told.clear();
        makeWindow();
    }
    void cleanup()
    {
        delete window;
        window = nullptr;
    }

    void builtInListUntilTheFirstChange()
    {
        QCOMPARE(window->categories().size(), 30);
        QCOMPARE(window->categories(), Tcategorylist::builtinCategories());
        QCOMPARE(window->categories().at(14), QStringLiteral("Internet "));
        QCOMPARE(window->categories().last(), QStringLiteral("Goverment"));
        QVERIFY(!QFile::exists(path()));

        QVERIFY(window->addCategory(QStringLiteral("Sports")));
        const QStringList expected = QStringList{"Sports"} + Tcategorylist::builtinCategories();
        QCOMPARE(window->categories(), expected);
        QCOMPARE(contents(), crlfLines(expected));
    }

    void readsAnyLineEnd_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("CR LF") << QByteArray("Cats\r\nDogs\r\n") << QStringList{"Cats", "Dogs"};
        QTest::newRow("LF, last without end")
            << QByteArray("Cats\nDogs") << QStringList{"Cats", "Dogs"};
        QTest::newRow("CR") << QByteArray("Cats\rDogs\r") << QStringList{"Cats", "Dogs"};
        QTest::newRow("blank lines dropped")
            << QByteArray("\r\nCats\r\n\r\n\nDogs\n\n") << QStringList{"Cats", "Dogs"};
        QTest::newRow("blanks inside kept")
            << QByteArray("Internet \r\n  \r\n") << QStringList{"Internet ", "  "};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("single-byte text")
            << QByteArray("Caf\xE9\r\n") << QStringList{QString::fromUtf8("Caf\xC3\xA9")};
    }

    void readsAnyLineEnd()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, expected);
        put(file);
        makeWindow();
        QCOMPARE(window->categories(), expected);
        QCOMPARE(contents(), file); // loading never rewrites
        window->addCategory(QStringLiteral("New"));
        QCOMPARE(contents(), crlfLines(QStringList{"New"} + expected));
    }

    void addingPutsOnTopAndKeepsDuplicates()
    {
        put("Cartoons\r\nFood\r\n");
        makeWindow();
        edit()->setText(QStringLiteral("Sports"));
        window->findChild<QPushButton *>("button_add")->click();
        QVERIFY(edit()->text().isEmpty());
        edit()->setText(QStringLiteral("Sports"));
        QTest::keyClick(edit(), Qt::Key_Return);
        QVERIFY(edit()->text().isEmpty());
        QCOMPARE(window->categories(), (QStringList{"Sports", "Sports", "Cartoons", "Food"}));
        QCOMPARE(contents(), QByteArray("Sports\r\nSports\r\nCartoons\r\nFood\r\n"));
    }

    void emptyTextAddsNothing()
    {
        put("Food\r\n");
        makeWindow();
        QTest::keyClick(edit(), Qt::Key_Enter);
        window->findChild<QPushButton *>("button_add")->click();
        QVERIFY(!window->addCategory(QString()));
        QCOMPARE(window->categories(), QStringList{"Food"});
        QCOMPARE(contents(), QByteArray("Food\r\n"));
    }

    void saveitLeavesTheTextBoxAlone()
    {
        edit()->setText(QStringLiteral("half typed"));
        QVERIFY(window->saveit(QStringLiteral("Movies 2")));
        QCOMPARE(edit()->text(), QStringLiteral("half typed"));
        QCOMPARE(window->categories().first(), QStringLiteral("Movies 2"));
    }

    void aLineBreakCannotSplitAnEntry()
    {
        put("Food\r\n");
        makeWindow();
        window->addCategory(QStringLiteral("Two\r\nLines"));
        QCOMPARE(contents(), QByteArray("Two  Lines\r\nFood\r\n"));
    }

    void deleteRemovesThePressedEntry_data()
    {
        QTest::addColumn<int>("row"); // -1: below the last entry
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("second") << 1 << QStringList{"A", "C"};
        QTest::newRow("last") << 2 << QStringList{"A", "B"};
        QTest::newRow("below the last") << -1 << QStringList{"A", "B", "C"};
    }

    void deleteRemovesThePressedEntry()
    {
        QFETCH(int, row);
        QFETCH(QStringList, expected);
        put("A\r\nB\r\nC\r\n");
        makeWindow();
        list()->setCurrentRow(0); // the highlighted row is not the one deleted
        press(row, Qt::RightButton);
        QCOMPARE(window->pressedEntry(), row);
        window->findChild<QAction *>("Delete1")->trigger();
        QCOMPARE(window->categories(), expected);
        QCOMPARE(window->pressedEntry(), -1);
        if (row >= 0) QCOMPARE(contents(), crlfLines(expected));
        // A second "Delete" without a new press removes nothing more.
        window->findChild<QAction *>("Delete1")->trigger();
        QCOMPARE(window->categories(), expected);
    }

    void dragMovesThePressedEntry_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("onto"); // -1: below the last entry
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("first below the last") << 0 << -1 << QStringList{"B", "C", "D", "A"};
        QTest::newRow("first onto the third") << 0 << 2 << QStringList{"B", "C", "A", "D"};
        QTest::newRow("last onto the first") << 3 << 0 << QStringList{"D", "A", "B", "C"};
        QTest::newRow("onto itself") << 1 << 1 << QStringList{"A", "B", "C", "D"};
    }

    void dragMovesThePressedEntry()
    {
        QFETCH(int, from);
        QFETCH(int, onto);
        QFETCH(QStringList, expected);
        put("A\r\nB\r\nC\r\nD\r\n");
        makeWindow();
        press(from, Qt::LeftButton);
        drop(onto);
        QCOMPARE(window->categories(), expected);
        QCOMPARE(contents(), crlfLines(expected));
        QCOMPARE(window->pressedEntry(), -1);
    }

    void dragFromOutsideIsRefused()
    {
        put("A\r\nB\r\n");
        makeWindow();
        press(-1, Qt::LeftButton); // not on an entry
        QMimeData mime;
        mime.setData(QLatin1String(dragFormat), QByteArray());
        QDragMoveEvent move(rowPoint(0), Qt::MoveAction, &mime, Qt::LeftButton, {});
        QVERIFY(!dragEvent(&move));

        press(0, Qt::LeftButton);
        QMimeData text;
        text.setText(QStringLiteral("hello"));
        QDropEvent dropEvent(rowPoint(1), Qt::MoveAction, &text, Qt::LeftButton, {});
        QVERIFY(!dragEvent(&dropEvent));
        QCOMPARE(window->categories(), (QStringList{"A", "B"}));
    }

    void showingReloadsTheFile()
    {
        window->hide();
        put("Added Elsewhere\r\n");
        window->show();
        QCOMPARE(window->categories(), QStringList{"Added Elsewhere"});
    }

    void unreadableFileIsNeverOverwritten()
    {
        QByteArray huge = "Mine\r\n";
        huge += QByteArray(1024 * 1024, 'x');
        put(huge);
        makeWindow();
        QCOMPARE(told.size(), 1);
        QVERIFY(told.first().contains(path()));
        QCOMPARE(window->categories(), Tcategorylist::builtinCategories());
        QVERIFY(!window->addCategory(QStringLiteral("Sports")));
        QCOMPARE(window->categories().first(), QStringLiteral("Sports"));
        QCOMPARE(contents(), huge);
        QCOMPARE(told.size(), 2);
        // Showing again while it stays unreadable does not tell again.
        window->hide();
        window->show();
        QCOMPARE(told.size(), 2);
    }

    void failedWriteKeepsTheListAndTells()
    {
        // Taken for writable, so the list stays there rather than moving to the
        // XDG data folder, and the write fails.
        setFolderWritableCheck([](const QString &) { return true; });
        setProgramFolder(folder.file(QStringLiteral("no-such-folder")));
        QVERIFY(!window->addCategory(QStringLiteral("Sports")));
        setFolderWritableCheck({});
        setProgramFolder(folder.path());
        QCOMPARE(window->categories().first(), QStringLiteral("Sports"));
        QCOMPARE(told.size(), 1);
    }
};

QTEST_MAIN(tst_categorylist)
#include "tst_categorylist.moc"
