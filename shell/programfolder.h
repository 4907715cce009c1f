// The folder of the program's executable, where the player's files live
// (settings, category list, acro log). Tests point it at a temporary folder.
#pragma once

#include <QString>

QString programFolder();
void setProgramFolder(const QString &folder);
// programFolder() joined with a file name.
QString programFile(const QString &name);
