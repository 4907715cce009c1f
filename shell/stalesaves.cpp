#include "shell/stalesaves.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
bool isTemporaryTail(const QString &tail)
{
    if (tail.size() != 6) return false;
    for (const QChar c : tail)
        if (c.unicode() > 0x7F || !c.isLetterOrNumber()) return false;
    return true;
}
} // namespace

int removeStaleSaves(const QString &file, qint64 minAgeSeconds)
{
    const QFileInfo target(file);
    const QString prefix = target.fileName() + QLatin1Char('.');
    const QDateTime now = QDateTime::currentDateTimeUtc();
    int removed = 0;
    const QFileInfoList entries = target.absoluteDir().entryInfoList(
        {prefix + QStringLiteral("??????")}, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo &entry : entries) {
        if (!entry.fileName().startsWith(prefix) ||
            !isTemporaryTail(entry.fileName().mid(prefix.size())))
            continue;
        if (entry.lastModified().toUTC().secsTo(now) < minAgeSeconds) continue;
        if (QFile::remove(entry.filePath())) ++removed;
    }
    return removed;
}
