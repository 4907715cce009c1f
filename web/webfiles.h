// The files the host serves to browsers: the page's own files, the game's
// sounds and pictures, all compiled into the program, and the category lists
// built from the game's own tables. Nothing else is ever served.
#pragma once

#include <QByteArray>

namespace webfiles {

struct File
{
    bool found = false;
    QByteArray body;
    QByteArray contentType;
    QByteArray etag;
};

// The file for a request path ("/" is the page itself). A path that is not
// one of the embedded files, or that tries to step outside them, is not found.
File lookup(const QByteArray &path);

// True when `path` is made only of plain, non-empty segments without dot
// segments, backslashes or control characters.
bool isPlainPath(const QByteArray &path);

QByteArray contentTypeFor(const QByteArray &path);

// The two built-in category lists as JSON: {"combo": [...], "fixed": [...]}.
QByteArray categoriesJson();

} // namespace webfiles
