#include "shell/programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {
const char XdgSubfolder[] = "quibbleton";

struct FolderState
{
    QString override;
    FolderWritableCheck check;
    bool decided = false;
    QString settings;
    QString data;
};

FolderState &state()
{
    static FolderState s;
    return s;
}

bool probeWritable(const QString &folder)
{
    // Permission bits alone do not tell (a read-only mount, or root, who passes
    // every access check): only a file that could really be made counts.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".quibbleton-XXXXXX")));
    return probe.open();
}

// The XDG folder of that kind, made if missing; empty when it cannot be made.
QString xdgFolder(QStandardPaths::StandardLocation location)
{
    const QString base = QStandardPaths::writableLocation(location);
    if (base.isEmpty()) return QString();
    const QString folder = QDir(base).filePath(QLatin1String(XdgSubfolder));
    return QDir().mkpath(folder) ? folder : QString();
}

void decide()
{
    FolderState &s = state();
    if (s.decided) return;
    const QString program = programFolder();
    s.settings = s.data = program;
    if (!folderWritable(program)) {
        // Where an XDG folder cannot be made either, the program folder stays
        // and a failed write is reported as it always was.
        const QString config = xdgFolder(QStandardPaths::GenericConfigLocation);
        const QString data = xdgFolder(QStandardPaths::GenericDataLocation);
        if (!config.isEmpty()) s.settings = config;
        if (!data.isEmpty()) s.data = data;
    }
    s.decided = true;
}
} // namespace

QString programFolder()
{
    if (!state().override.isEmpty()) return state().override;
    return QCoreApplication::applicationDirPath();
}

void setProgramFolder(const QString &folder)
{
    state().override = folder;
    state().decided = false;
}

QString programFile(const QString &name)
{
    return QDir(programFolder()).filePath(name);
}

void setFolderWritableCheck(FolderWritableCheck check)
{
    state().check = std::move(check);
    state().decided = false;
}

bool folderWritable(const QString &folder)
{
    return state().check ? state().check(folder) : probeWritable(folder);
}

QString settingsFolder()
{
    decide();
    return state().settings;
}

QString dataFolder()
{
    decide();
    return state().data;
}

QString settingsFile(const QString &name)
{
    return QDir(settingsFolder()).filePath(name);
}

QString dataFile(const QString &name)
{
    return QDir(dataFolder()).filePath(name);
}
