// The acro log: answers the player chose to keep, with date, author, category and
// votes, stored in acrolog.txt in the program's folder as a grid file.
//
// Rows are counted as in the grid file: row 0 is the header row (shown as the
// table's header), rows 1 and on are entries. An empty log is one blank row.
#pragma once

#include "windows/sidewindow.h"

#include <QStringList>

class QLabel;
class QTableWidget;

class Tacrolog : public SideWindow
{
    Q_OBJECT
public:
    static constexpr int ColumnCount = 5;
    // Counts beyond these mark a damaged file, not a log.
    static constexpr int MaxGridRows = 100000;
    static constexpr qint64 MaxGridFileSize = 16 * 1024 * 1024;

    explicit Tacrolog(QWidget *parent = nullptr);

    static QString logFilePath();
    static const QStringList &headers();

    // The grid file: column count, row count (header row included), then every
    // cell, column by column, one per line, lines ended by CR LF. SaveGrid writes
    // atomically. LoadGrid fills the table only from a sound file; `error` tells
    // why not. A file shorter than its counts loads what it holds, the rest blank,
    // sets `partial` and still fails, so that the caller keeps the original aside.
    static bool SaveGrid(QTableWidget *grid, const QString &path, QString *error = nullptr);
    static bool LoadGrid(QTableWidget *grid, const QString &path, QString *error = nullptr,
                         bool *partial = nullptr);

    QTableWidget *log() const { return thelog; }
    // Entries (rows 1 and on) that are not blank.
    int entryCount() const;
    // The row of the last selected cell; 0 when none.
    int selectedRow() const { return selected; }

public slots:
    // A log button on the results screen: appends the entry and saves.
    void addacro(const QString &name, const QString &category, const QString &acro,
                 const QString &votes);
    void thelogSelectCell(int column, int row);
    void button_deleteClick();
    void button_deleteallClick();
    void button_doneClick();
    // Reads acrolog.txt again; a damaged file is moved aside and the player told.
    void loadLog();

private:
    void saveLog();
    void resetLabels();
    void clearGrid();

    QTableWidget *thelog = nullptr;
    QLabel *labels[ColumnCount] = {};
    int selected = 0;
    // Set while acrolog.txt could neither be read nor put aside: saving would
    // replace the player's entries, so it is refused.
    bool saveBlocked = false;
};
