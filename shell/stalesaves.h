// A save killed between writing and committing its temporary copy leaves the
// copy beside the file: "zunolobby.ini.AbC123", the file's name, a dot and six
// letters or digits (the name QSaveFile gives it where the file system has no
// unnamed temporary files). Nothing else removes them, so the program does at
// start.
#pragma once

#include <QString>

// Removes the temporary copies of `file`'s saves last written at least
// `minAgeSeconds` ago (a younger one may belong to a save still running in
// another process). Other files, links and folders are left alone. Returns
// how many went.
int removeStaleSaves(const QString &file, qint64 minAgeSeconds = 60);
