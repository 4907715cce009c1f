// The acro log and the category list as files: any content loads without harm,
// and what loaded is saved and loaded back unchanged.
#include "fuzz/fuzzsupport.h"
#include "windows/tacrolog.h"
#include "windows/tcategorylist.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTableWidget>

namespace {

QString cell(const QTableWidget &grid, int row, int column)
{
    const QTableWidgetItem *item = grid.item(row, column);
    return item ? item->text() : QString();
}

QString header(const QTableWidget &grid, int column)
{
    const QTableWidgetItem *item = grid.horizontalHeaderItem(column);
    return item ? item->text() : QString();
}

bool sameGrid(const QTableWidget &a, const QTableWidget &b)
{
    if (a.rowCount() != b.rowCount() || a.columnCount() != b.columnCount()) return false;
    for (int c = 0; c < a.columnCount(); ++c) {
        if (header(a, c) != header(b, c)) return false;
        for (int r = 0; r < a.rowCount(); ++r)
            if (cell(a, r, c) != cell(b, r, c)) return false;
    }
    return true;
}

// A byte-order mark opening a file is no part of its text, so one more U+FEFF
// right after it cannot survive a save (the files are written without a mark).
QStringList withoutLeadingMark(QStringList lines)
{
    if (!lines.isEmpty() && lines.first().startsWith(QChar(0xFEFF))) lines.first().remove(0, 1);
    return lines;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile out(path);
    FUZZ_CHECK(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size(),
               "input file written");
}

void checkAcroLog(const QString &path, const QString &copy)
{
    QTableWidget grid(1, Tacrolog::ColumnCount);
    QString error;
    bool partial = false;
    if (!Tacrolog::LoadGrid(&grid, path, &error, &partial)) return;
    FUZZ_CHECK(!partial, "a full load is not partial");
    FUZZ_CHECK(Tacrolog::SaveGrid(&grid, copy, &error), "a loaded log saves");
    QTableWidget again(1, Tacrolog::ColumnCount);
    FUZZ_CHECK(Tacrolog::LoadGrid(&again, copy, &error, &partial), "a saved log loads");
    FUZZ_CHECK(sameGrid(grid, again), "the log loads back as saved");
}

void checkCategories(const QString &path, const QString &copy)
{
    QStringList categories;
    QString error;
    if (!Tcategorylist::readCategoryFile(path, &categories, &error)) return;
    FUZZ_CHECK(Tcategorylist::writeCategoryFile(copy, categories, &error), "a list saves");
    QStringList again;
    FUZZ_CHECK(Tcategorylist::readCategoryFile(copy, &again, &error), "a saved list reads");
    FUZZ_CHECK(withoutLeadingMark(again) == withoutLeadingMark(categories),
               "the list reads back as saved");
}

// The windows read the same bytes as their own files at creation: a damaged
// log is put aside and the player told, without harm.
void checkWindows(const QByteArray &bytes)
{
    writeFile(Tacrolog::logFilePath(), bytes);
    writeFile(Tcategorylist::categoryFilePath(), bytes);
    Tacrolog log;
    Tcategorylist list;
    for (const QString &entry : list.categories())
        FUZZ_CHECK(!entry.isEmpty() && !entry.contains(QLatin1Char('\n')), "one line per entry");
    log.addacro(QStringLiteral("Ann"), QStringLiteral("Pets"), QStringLiteral("Big Dog"),
                QStringLiteral("2"));
    list.saveit(QStringLiteral("Pets"));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzsupport::startQt<QApplication>(argc, argv);
    // A damaged file is reported in a box the run would pile up.
    SideWindow::setDefaultNotifier([](const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QDir dir(fuzzsupport::programDir().path());
    // Files put aside by an earlier input would pile up.
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden))
        dir.remove(name);
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = dir.filePath(QStringLiteral("input.txt"));
    const QString copy = dir.filePath(QStringLiteral("saved.txt"));
    writeFile(path, bytes);
    checkAcroLog(path, copy);
    checkCategories(path, copy);
    checkWindows(bytes);
    fuzzsupport::settle();
    return 0;
}
