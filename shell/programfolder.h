// Where the player's files live. A writable program folder (the folder of the
// executable) holds them all, as it always has: the shared settings file sits
// where the lobby expects it. An installed program's folder is read-only, so
// then the settings file goes to the user's XDG config folder and the lists
// and logs (category list, acro log) to the XDG data folder, each under
// "quibbleton". Tests point the program folder at a temporary folder and may
// replace the writability check.
#pragma once

#include <QString>

#include <functional>

QString programFolder();
void setProgramFolder(const QString &folder);
// programFolder() joined with a file name.
QString programFile(const QString &name);

// The settings file's folder and the folder of lists and logs. Each is
// decided once and kept until the program folder or the check changes, so one
// run never splits its files between two places.
QString settingsFolder();
QString dataFolder();
QString settingsFile(const QString &name);
QString dataFile(const QString &name);

// The check that decides whether the program folder takes the player's files.
// The default tries to create a file there, so it also sees a read-only mount;
// an empty function restores it.
using FolderWritableCheck = std::function<bool(const QString &folder)>;
void setFolderWritableCheck(FolderWritableCheck check);
bool folderWritable(const QString &folder);
