#include "tests/support/testsupport.h"
#include "windows/tacrolog.h"

#include <QDate>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

namespace {
const char logName[] = "acrolog.txt";

QString today()
{
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

// A grid file of the given entries (each: name, category, acro, votes), as the log writes it.
QByteArray gridFile(const QList<QStringList> &entries, const QString &date)
{
    const QStringList headers = {"Date", "Name", "Category", "Acro", "Votes"};
    const int rows = qMax<int>(entries.size(), 1) + 1;
    QByteArray out = "5\r\n" + QByteArray::number(rows) + "\r\n";
    for (int c = 0; c < 5; ++c) {
        out += headers[c].toUtf8() + "\r\n";
        for (int r = 0; r < rows - 1; ++r) {
            QString cell;
            if (r < entries.size()) cell = c == 0 ? date : entries[r][c - 1];
            out += cell.toUtf8() + "\r\n";
        }
    }
    return out;
}
} // namespace

class tst_acrolog : public QObject
{
    Q_OBJECT

private:
    testsupport::TempProgramFolder folder;
    Tacrolog *window = nullptr;
    QStringList told;

    QString path() const { return folder.file(QLatin1String(logName)); }
    QTableWidget *grid() const { return window->findChild<QTableWidget *>("thelog"); }
    QString label(int c) const
    {
        return window->findChild<QLabel *>(QStringLiteral("label_%1").arg(c))->text();
    }
    QStringList labels() const
    {
        QStringList list;
        for (int c = 0; c < 5; ++c)
            list << label(c);
        return list;
    }
    QString cell(int row, int column) const // rows as in the file: 1 is the first entry
    {
        const QTableWidgetItem *item = grid()->item(row - 1, column);
        return item ? item->text() : QString();
    }
    QStringList names() const
    {
        QStringList list;
        for (int r = 1; r <= grid()->rowCount(); ++r)
            list << cell(r, 1);
        return list;
    }
    void put(const QByteArray &bytes)
    {
        QFile f(path());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray contents(const QString &file) const
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void makeWindow()
    {
        delete window;
        window = new Tacrolog;
    }
    void click(const char *button) { window->findChild<QPushButton *>(button)->click(); }
    QStringList backups() const
    {
        return QDir(folder.path()).entryList({QStringLiteral("acrolog.txt.bad-*")}, QDir::Files);
    }
    void addThree()
    {
        window->addacro("Ann", "Category: Food", "Big Tasty Waffles", "1");
        window->addacro("Bob", "Category: Music", "Loud Guitars", "2");
        window->addacro("Cy", "Bonus Round!", "Quite Odd", "0");
    }

private slots:
    void initTestCase()
    {
        SideWindow::setDefaultNotifier([this](const QString &t) { told << t; });
    }
    void cleanupTestCase() { SideWindow::setDefaultNotifier({}); }
    void init()
    {
        QDir dir(folder.path());
        for (const QString &name : dir.entryList(QDir::Files))
            dir.remove(name);
        told.clear();
        makeWindow();
    }
    void cleanup()
    {
        delete window;
        window = nullptr;
    }

    void emptyLog()
    {
        QCOMPARE(window->windowTitle(), QStringLiteral("acrolog"));
        QCOMPARE(grid()->columnCount(), 5);
        const QStringList headers = {"Date", "Name", "Category", "Acro", "Votes"};
        for (int c = 0; c < 5; ++c)
            QCOMPARE(grid()->horizontalHeaderItem(c)->text(), headers[c]);
        QVERIFY(grid()->columnWidth(0) >= 64);
        QCOMPARE(grid()->columnWidth(1), 96);
        QCOMPARE(grid()->columnWidth(2), 200);
        QCOMPARE(grid()->columnWidth(3), 311);
        QCOMPARE(grid()->rowCount(), 1);
        QVERIFY(cell(1, 0).isEmpty());
        QCOMPARE(labels(), (QStringList{"Date:", "Name:", "Category:", "Acro:", "Votes:"}));
        QVERIFY(!QFile::exists(path()));
    }

    void loggingFillsRowsAndSaves()
    {
        window->addacro("Bob", "Category: Movies", "Bears Tell Whoppers", "3");
        QCOMPARE(grid()->rowCount(), 1);
        window->addacro("Eve", "Bonus Round!", "Quite Unusual", "5");
        QCOMPARE(grid()->rowCount(), 2);
        QCOMPARE(cell(1, 0), today());
        const QByteArray expected =
            gridFile({{"Bob", "Category: Movies", "Bears Tell Whoppers", "3"},
                      {"Eve", "Bonus Round!", "Quite Unusual", "5"}},
                     today());
        QCOMPARE(contents(path()), expected);
        QCOMPARE(contents(path()).count("\r\n"), 17);
    }

    void selectingShowsTheEntry()
    {
        window->addacro("Bob", "Category: Movies", "Bears Tell Whoppers", "3");
        grid()->setCurrentCell(0, 3);
        QCOMPARE(window->selectedRow(), 1);
        QCOMPARE(labels(), (QStringList{"Date: " + today(), "Name: Bob", "Category: Movies",
                                        "Acro: Bears Tell Whoppers", "Votes: 3"}));
    }

    void deleteWithoutSelectionDoesNothing()
    {
        addThree();
        QFile::remove(path());
        click("button_delete");
        QCOMPARE(names(), (QStringList{"Ann", "Bob", "Cy"}));
        QVERIFY(!QFile::exists(path())); // nothing written either
    }

    void deleteRemovesTheSelectedEntry_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("first") << 1 << QStringList{"Bob", "Cy"};
        QTest::newRow("middle") << 2 << QStringList{"Ann", "Cy"};
        QTest::newRow("last") << 3 << QStringList{"Ann", "Bob"};
    }

    void deleteRemovesTheSelectedEntry()
    {
        QFETCH(int, row);
        QFETCH(QStringList, expected);
        addThree();
        window->thelogSelectCell(1, row);
        click("button_delete");
        QCOMPARE(names(), expected);
        QCOMPARE(window->selectedRow(), 0);
        QCOMPARE(labels(), (QStringList{"Date:", "Name:", "Category:", "Acro:", "Votes:"}));
        QCOMPARE(contents(path()).split('\n').at(1), QByteArray("3\r"));
        // The reset selection protects the entries from a second press.
        click("button_delete");
        QCOMPARE(names(), expected);
    }

    void deletingTheOnlyEntryLeavesABlankRow()
    {
        window->addacro("Bob", "Category: Movies", "Bears", "3");
        window->thelogSelectCell(0, 1);
        click("button_delete");
        QCOMPARE(grid()->rowCount(), 1);
        QVERIFY(cell(1, 0).isEmpty() && cell(1, 1).isEmpty());
        QCOMPARE(contents(path()), gridFile({}, QString()));
        // The next entry goes into the blank row.
        window->addacro("Eve", "Category: Food", "Eat", "1");
        QCOMPARE(grid()->rowCount(), 1);
    }

    void deleteAfterDeleteAllRemovesNothing()
    {
        addThree();
        window->thelogSelectCell(1, 3);
        click("button_deleteall");
        QCOMPARE(grid()->rowCount(), 1);
        QCOMPARE(contents(path()), gridFile({}, QString()));
        window->addacro("Dee", "Category: Art", "Art", "1");
        window->addacro("Eli", "Category: Art", "Art", "1");
        click("button_delete");
        QCOMPARE(names(), (QStringList{"Dee", "Eli"}));
    }

    void logComesBackAtTheNextStart()
    {
        window->addacro("Bob", "Category: Movies", "Bears, Tigers", "3");
        window->addacro("Eve", "Bonus Round!", "Quite Unusual", "5");
        makeWindow();
        QCOMPARE(names(), (QStringList{"Bob", "Eve"}));
        QCOMPARE(cell(1, 3), QStringLiteral("Bears, Tigers"));
        QCOMPARE(cell(2, 4), QStringLiteral("5"));
        QCOMPARE(grid()->horizontalHeaderItem(3)->text(), QStringLiteral("Acro"));
        QVERIFY(told.isEmpty());
        QVERIFY(backups().isEmpty());
    }

    void lineBreaksNeverSplitACell()
    {
        window->addacro("Bob", "Category: A\nB", "One\r\nTwo", "3");
        makeWindow();
        QCOMPARE(cell(1, 2), QStringLiteral("Category: A B"));
        QCOMPARE(cell(1, 3), QStringLiteral("One  Two"));
    }

    void loadGrid_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("loads");
        QTest::addColumn<QStringList>("names"); // what the log shows afterwards

        const QByteArray good = gridFile({{"Bob", "Category: X", "Xylo", "1"}}, "1/2/03");
        QTest::newRow("good") << good << true << QStringList{"Bob"};
        QByteArray lf = good;
        lf.replace("\r\n", "\n");
        QTest::newRow("LF line ends") << lf << true << QStringList{"Bob"};
        QTest::newRow("empty log") << gridFile({}, QString()) << true << QStringList{""};
        QTest::newRow("empty file") << QByteArray() << false << QStringList{""};
        QTest::newRow("column count not a number")
            << QByteArray("five\r\n2\r\n") << false << QStringList{""};
        QTest::newRow("other column count")
            << QByteArray("4\r\n2\r\na\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\n") << false
            << QStringList{""};
        QTest::newRow("row count not a number")
            << QByteArray("5\r\nlots\r\n") << false << QStringList{""};
        QTest::newRow("header row only") << QByteArray("5\r\n1\r\nDate\r\nName\r\nCategory\r\n"
                                                       "Acro\r\nVotes\r\n")
                                         << false << QStringList{""};
        QTest::newRow("absurd row count")
            << QByteArray("5\r\n2000000000\r\nDate\r\n") << false << QStringList{""};
        QTest::newRow("negative row count")
            << QByteArray("5\r\n-3\r\n") << false << QStringList{""};
        QTest::newRow("binary junk")
            << QByteArray("\x00\xFF\x13\x37\r\n\x00", 7) << false << QStringList{""};
        // Column by column: a cut after the name column keeps the names.
        QByteArray cut = "5\r\n3\r\nDate\r\nd1\r\nd2\r\nName\r\nAnn\r\nBob\r\nCategory\r\n";
        QTest::newRow("shorter than its counts") << cut << false << QStringList{"Ann", "Bob"};
    }

    void loadGrid()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, loads);
        QFETCH(QStringList, names);
        put(file);
        makeWindow();
        QCOMPARE(this->names(), names);
        QCOMPARE(grid()->columnCount(), 5);
        if (loads) {
            QVERIFY(told.isEmpty());
            QCOMPARE(contents(path()), file);
            return;
        }
        // The damaged file is kept aside, byte for byte, and the player told where.
        QCOMPARE(backups().size(), 1);
        QCOMPARE(contents(folder.file(backups().first())), file);
        QVERIFY(!QFile::exists(path()));
        QCOMPARE(told.size(), 1);
        QVERIFY(told.first().contains(backups().first()));
        // The log goes on working with a fresh file.
        window->addacro("New", "Category: Y", "Yes", "2");
        QCOMPARE(this->names().last(), QStringLiteral("New"));
        QVERIFY(QFile::exists(path()));
        QCOMPARE(backups().size(), 1);
    }

    void hugeFileIsPutAside()
    {
        {
            QFile f(path());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("5\r\n2\r\n");
            QVERIFY(f.resize(Tacrolog::MaxGridFileSize + 1)); // sparse: quick to make
        }
        makeWindow();
        QCOMPARE(told.size(), 1);
        QCOMPARE(backups().size(), 1);
        QCOMPARE(grid()->rowCount(), 1);
    }

    void failedSaveKeepsTheEntryAndTells()
    {
        addThree();
        // A folder where the file should be: the save fails and the player is told.
        QVERIFY(QFile::remove(path()));
        QVERIFY(QDir(folder.path()).mkdir(QLatin1String(logName)));
        window->addacro("Dee", "Category: Art", "Art", "1");
        QCOMPARE(told.size(), 1);
        QCOMPARE(names().last(), QStringLiteral("Dee"));
        QVERIFY(QDir(folder.path()).rmdir(QLatin1String(logName)));
    }
};

QTEST_MAIN(tst_acrolog)
#include "tst_acrolog.moc"
