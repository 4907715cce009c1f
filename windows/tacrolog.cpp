#include "windows/tacrolog.h"

#include "resources/palette.h"
#include "shell/programfolder.h"
#include "windows/plaintext.h"
#include "windows/playerfile.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const char LogFileName[] = "acrolog.txt";
const char BackupInfix[] = ".bad-";

const char WindowTitleText[] = "acrolog";
const char DamagedLog[] = "Your acro log %1 could not be read: %2.\n"
                          "It was kept as %3; the log starts afresh.";
const char ShortLog[] = "Your acro log %1 was cut short: %2.\n"
                        "The entries it still held are shown; the file as it was is kept as %3.";
const char NotMovedAside[] =
    "Your acro log %1 could not be read (%2) and could not be put aside (%3).\n"
    "It is left as it is; new entries are shown but not saved.";
const char CannotWrite[] = "Your acro log could not be saved to %1: %2.\n"
                           "The file was left as it was.";
const char NotSavedDamaged[] =
    "Your acro log %1 could not be read, so it was not overwritten. The change shows in the "
    "log but is not saved.";

const int ColumnWidths[Tacrolog::ColumnCount] = {64, 96, 200, 311, 47};
constexpr int CategoryColumn = 2;

QString cell(const QTableWidget *grid, int tableRow, int column)
{
    const QTableWidgetItem *item = grid->item(tableRow, column);
    return item ? item->text() : QString();
}

void setCell(QTableWidget *grid, int tableRow, int column, const QString &text)
{
    if (QTableWidgetItem *item = grid->item(tableRow, column))
        item->setText(text);
    else
        grid->setItem(tableRow, column, new QTableWidgetItem(text));
}

QString headerText(const QTableWidget *grid, int column)
{
    const QTableWidgetItem *item = grid->horizontalHeaderItem(column);
    return item ? item->text() : QString();
}

// The first free name of the form acrolog.txt.bad-20240131-235959[-n].
QString backupName(const QString &path)
{
    const QString base = path + QLatin1String(BackupInfix) +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int n = 1; QFile::exists(name); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}
} // namespace

Tacrolog::Tacrolog(QWidget *parent) : SideWindow(parent)
{
    setObjectName(QStringLiteral("acrolog"));
    setWindowTitle(QLatin1String(WindowTitleText));

    for (int c = 0; c < ColumnCount; ++c) {
        labels[c] = new PlainLabel(this);
        labels[c]->setObjectName(QStringLiteral("label_%1").arg(c));
        styleLabel(labels[c], palette::Yellow);
        labels[c]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    // Date, name and votes share the first line; category and acro get lines of
    // their own, and a long acro must not widen the window.
    auto *firstLine = new QHBoxLayout;
    firstLine->setSpacing(28);
    firstLine->addWidget(labels[0]);
    firstLine->addWidget(labels[1]);
    firstLine->addWidget(labels[4]);
    firstLine->addStretch(1);
    labels[2]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    labels[3]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *labelLines = new QVBoxLayout;
    labelLines->setSpacing(4);
    labelLines->addLayout(firstLine);
    labelLines->addWidget(labels[2]);
    labelLines->addWidget(labels[3]);

    thelog = new QTableWidget(1, ColumnCount, this);
    thelog->setObjectName(QStringLiteral("thelog"));
    thelog->setHorizontalHeaderLabels(headers());
    thelog->verticalHeader()->hide();
    thelog->verticalHeader()->setDefaultSectionSize(20);
    thelog->setEditTriggers(QAbstractItemView::NoEditTriggers);
    thelog->setSelectionMode(QAbstractItemView::SingleSelection);
    thelog->setSelectionBehavior(QAbstractItemView::SelectRows);
    thelog->horizontalHeader()->setStretchLastSection(true);
    for (int c = 0; c < ColumnCount; ++c)
        thelog->setColumnWidth(c, ColumnWidths[c]);
    // The date column is as wide as the date format in use needs.
    const QString sampleDate =
        QLocale::system().toString(QDate(2000, 12, 28), QLocale::ShortFormat);
    thelog->setColumnWidth(
        0, qMax(ColumnWidths[0], thelog->fontMetrics().horizontalAdvance(sampleDate) + 12));

    auto *buttonDelete = new QPushButton(QStringLiteral("Delete"), this);
    buttonDelete->setObjectName(QStringLiteral("button_delete"));
    auto *buttonDeleteall = new QPushButton(QStringLiteral("Delete All"), this);
    buttonDeleteall->setObjectName(QStringLiteral("button_deleteall"));
    auto *buttonDone = new QPushButton(QStringLiteral("Done"), this);
    buttonDone->setObjectName(QStringLiteral("button_done"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(buttonDelete);
    buttons->addWidget(buttonDeleteall);
    buttons->addStretch(1);
    buttons->addWidget(buttonDone);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addLayout(labelLines);
    layout->addWidget(thelog, 1);
    layout->addLayout(buttons);
    resize(800, 400);

    connect(thelog, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
        if (row >= 0 && column >= 0) thelogSelectCell(column, row + 1);
    });
    connect(thelog, &QTableWidget::cellClicked, this,
            [this](int row, int column) { thelogSelectCell(column, row + 1); });
    connect(buttonDelete, &QPushButton::clicked, this, &Tacrolog::button_deleteClick);
    connect(buttonDeleteall, &QPushButton::clicked, this, &Tacrolog::button_deleteallClick);
    connect(buttonDone, &QPushButton::clicked, this, &Tacrolog::button_doneClick);

    clearGrid();
    resetLabels();
    loadLog();
}

QString Tacrolog::logFilePath()
{
    return dataFile(QLatin1String(LogFileName));
}

const QStringList &Tacrolog::headers()
{
    static const QStringList list = {QStringLiteral("Date"), QStringLiteral("Name"),
                                     QStringLiteral("Category"), QStringLiteral("Acro"),
                                     QStringLiteral("Votes")};
    return list;
}

bool Tacrolog::SaveGrid(QTableWidget *grid, const QString &path, QString *error)
{
    QStringList lines;
    lines << QString::number(grid->columnCount()) << QString::number(grid->rowCount() + 1);
    for (int c = 0; c < grid->columnCount(); ++c) {
        lines << headerText(grid, c);
        for (int r = 0; r < grid->rowCount(); ++r)
            lines << cell(grid, r, c);
    }
    return playerfile::writeLines(path, lines, error);
}

bool Tacrolog::LoadGrid(QTableWidget *grid, const QString &path, QString *error, bool *partial)
{
    if (partial) *partial = false;
    QByteArray data;
    QString why;
    const playerfile::Read read = playerfile::readFile(path, MaxGridFileSize, &data, &why);
    if (read != playerfile::Read::Ok) {
        if (error)
            *error =
                read == playerfile::Read::Missing ? QStringLiteral("there is no such file") : why;
        return false;
    }
    const QStringList lines = playerfile::splitLines(data);
    bool ok = false;
    const int columns = lines.value(0).trimmed().toInt(&ok, 10);
    if (!ok || columns != ColumnCount) {
        if (error) *error = QStringLiteral("the column count is not %1").arg(ColumnCount);
        return false;
    }
    const int rows = lines.value(1).trimmed().toInt(&ok, 10);
    if (!ok || rows < 2 || rows > MaxGridRows) {
        if (error)
            *error = QStringLiteral("the row count is not a number from 2 to %1").arg(MaxGridRows);
        return false;
    }

    const QSignalBlocker blocker(grid);
    grid->clearContents();
    grid->setColumnCount(columns);
    grid->setRowCount(rows - 1);
    qsizetype next = 2;
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r, ++next) {
            const QString text = lines.value(next);
            if (r == 0)
                grid->setHorizontalHeaderItem(c, new QTableWidgetItem(text));
            else
                setCell(grid, r - 1, c, text);
        }
    }
    const qsizetype needed = 2 + qsizetype(columns) * rows;
    if (lines.size() < needed) {
        if (partial) *partial = true;
        if (error)
            *error = QStringLiteral("it holds %1 of its %2 lines").arg(lines.size()).arg(needed);
        return false;
    }
    return true;
}

int Tacrolog::entryCount() const
{
    int count = 0;
    for (int r = 0; r < thelog->rowCount(); ++r) {
        for (int c = 0; c < ColumnCount; ++c) {
            if (!cell(thelog, r, c).isEmpty()) {
                ++count;
                break;
            }
        }
    }
    return count;
}

void Tacrolog::clearGrid()
{
    const QSignalBlocker blocker(thelog);
    thelog->clearContents();
    thelog->setRowCount(1);
    thelog->setCurrentCell(-1, -1);
}

void Tacrolog::resetLabels()
{
    for (int c = 0; c < ColumnCount; ++c)
        labels[c]->setText(headerText(thelog, c) + QLatin1Char(':'));
}

void Tacrolog::loadLog()
{
    const QString path = logFilePath();
    saveBlocked = false;
    if (!QFile::exists(path)) return;
    QString error;
    bool partlyLoaded = false;
    if (LoadGrid(thelog, path, &error, &partlyLoaded)) {
        resetLabels();
        return;
    }
    // A damaged file goes aside before anything can overwrite it.
    const QString backup = backupName(path);
    QFile file(path);
    if (!file.rename(backup)) {
        saveBlocked = true;
        notify(QString::fromLatin1(NotMovedAside).arg(path, error, file.errorString()));
        return;
    }
    notify(QString::fromLatin1(partlyLoaded ? ShortLog : DamagedLog).arg(path, error, backup));
    resetLabels();
}

void Tacrolog::saveLog()
{
    const QString path = logFilePath();
    if (saveBlocked) {
        notify(QString::fromLatin1(NotSavedDamaged).arg(path));
        return;
    }
    QString error;
    if (!SaveGrid(thelog, path, &error)) notify(QString::fromLatin1(CannotWrite).arg(path, error));
}

void Tacrolog::addacro(const QString &name, const QString &category, const QString &acro,
                       const QString &votes)
{
    const QSignalBlocker blocker(thelog);
    int row = 0;
    if (thelog->rowCount() == 0 || !cell(thelog, 0, 0).isEmpty()) {
        row = thelog->rowCount();
        thelog->setRowCount(row + 1);
    }
    const QString date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    const QString cells[ColumnCount] = {date, name, category, acro, votes};
    for (int c = 0; c < ColumnCount; ++c)
        setCell(thelog, row, c, playerfile::oneLine(cells[c]));
    saveLog();
}

void Tacrolog::thelogSelectCell(int column, int row)
{
    Q_UNUSED(column);
    if (row < 1 || row > thelog->rowCount()) return;
    selected = row;
    for (int c = 0; c < ColumnCount; ++c) {
        const QString value = cell(thelog, row - 1, c);
        // The category cell names itself ("Category: Movies", "Bonus Round!").
        labels[c]->setText(
            c == CategoryColumn ? value : headerText(thelog, c) + QLatin1String(": ") + value);
    }
}

void Tacrolog::button_deleteClick()
{
    if (selected == 0) return;
    const int row = selected;
    selected = 0;
    if (row > thelog->rowCount()) return;
    {
        const QSignalBlocker blocker(thelog);
        if (thelog->rowCount() > 1) {
            thelog->removeRow(row - 1);
        } else {
            for (int c = 0; c < ColumnCount; ++c)
                setCell(thelog, 0, c, QString());
        }
        thelog->setCurrentCell(-1, -1);
    }
    resetLabels();
    saveLog();
}

void Tacrolog::button_deleteallClick()
{
    clearGrid();
    resetLabels();
    // Without this a later "Delete" would act on a row that no longer holds the
    // entry the player picked.
    selected = 0;
    saveLog();
}

void Tacrolog::button_doneClick()
{
    close();
}
