// The player's own text files in the program's folder (category list, acro log):
// bounded reading, line splitting that takes any line end, atomic writing.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace playerfile {

enum class Read
{
    Ok,
    Missing,
    Failed
};

// Reads the whole file if it is no larger than maxSize; `error` receives a text
// for the player when it fails.
Read readFile(const QString &path, qint64 maxSize, QByteArray *data, QString *error);
// Lines ended by CR, LF or CR LF; a final line end adds no empty line.
QStringList splitLines(const QByteArray &data);
// Every line followed by CR LF, written atomically: on failure the old file stays.
bool writeLines(const QString &path, const QStringList &lines, QString *error);
// A text that may be stored as one line: line breaks become blanks.
QString oneLine(const QString &text);

} // namespace playerfile
