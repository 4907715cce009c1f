// Reading and writing the settings file the way the classic profile functions
// do: a value is the text after "=" without the blanks around it, and every
// write rewrites the file atomically, keeping its other sections, keys and
// comments byte for byte. Writing a value the file already holds changes nothing.
#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace profile {

QString readString(const QString &file, const QString &section, const QString &key,
                   const QString &defaultValue);
// A value that is not a decimal number reads as the default.
int readInteger(const QString &file, const QString &section, const QString &key, int defaultValue);
// False when the file could not be written; it is then left as it was.
bool writeString(const QString &file, const QString &section, const QString &key,
                 const QString &value);
// Several keys of one section in one rewrite: all of them are written or none.
bool writeStrings(const QString &file, const QString &section,
                  const QList<QPair<QString, QString>> &values);

// Files larger than this are not settings files: reading gives the defaults and
// writing refuses, so that nothing of them is lost.
inline constexpr qint64 MaxFileSize = 1024 * 1024;

} // namespace profile
