#include "web/webfiles.h"

#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "game/categories.h"

// Q_INIT_RESOURCE may not be used inside a namespace.
static void initWebResources()
{
    Q_INIT_RESOURCE(webclient);
}

namespace webfiles {

namespace {

// Embedded files larger than this are no file of ours.
constexpr qint64 MaxFileBytes = 4 * 1024 * 1024;

struct Prefix
{
    const char *url;
    const char *resource;
};

// Request prefixes and the resource folders they map to; the page's own files
// come last, as the catch-all.
const Prefix Prefixes[] = {
    {"/sounds/", ":/websounds/"},
    {"/pictures/", ":/webpictures/"},
    {"/", ":/webclient/"},
};

QJsonArray toJson(const QStringList &list)
{
    QJsonArray array;
    for (const QString &item : list)
        array.append(item);
    return array;
}

File make(const QByteArray &path, const QByteArray &body)
{
    File file;
    file.found = true;
    file.body = body;
    file.contentType = contentTypeFor(path);
    file.etag =
        '"' + QCryptographicHash::hash(body, QCryptographicHash::Sha1).toHex().left(16) + '"';
    return file;
}

File load(const QByteArray &path)
{
    if (path == "/categories.json") return make(path, categoriesJson());
    if (!isPlainPath(path)) return {};
    QByteArray relative = path;
    if (relative == "/") relative = "/index.html";
    if (contentTypeFor(relative).isEmpty()) return {};
    for (const Prefix &prefix : Prefixes) {
        if (!relative.startsWith(prefix.url)) continue;
        const QString name = QString::fromLatin1(prefix.resource) +
                             QString::fromUtf8(relative.mid(qstrlen(prefix.url)));
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly) || file.size() > MaxFileBytes) return {};
        return make(relative, file.readAll());
    }
    return {};
}

} // namespace

bool isPlainPath(const QByteArray &path)
{
    if (!path.startsWith('/')) return false;
    if (path == "/") return true;
    const QList<QByteArray> segments = path.mid(1).split('/');
    for (const QByteArray &segment : segments) {
        if (segment.isEmpty() || segment == "." || segment == "..") return false;
        for (char c : segment) {
            const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                               (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_' ||
                               c == '@';
            if (!plain) return false;
        }
    }
    return true;
}

QByteArray contentTypeFor(const QByteArray &path)
{
    static const QHash<QByteArray, QByteArray> types = {
        {"html", "text/html; charset=utf-8"},
        {"js", "text/javascript; charset=utf-8"},
        {"mjs", "text/javascript; charset=utf-8"},
        {"css", "text/css; charset=utf-8"},
        {"json", "application/json"},
        {"webmanifest", "application/manifest+json"},
        {"png", "image/png"},
        {"svg", "image/svg+xml"},
        {"ico", "image/x-icon"},
        {"wav", "audio/wav"},
        {"txt", "text/plain; charset=utf-8"},
    };
    const int dot = int(path.lastIndexOf('.'));
    if (dot < 0 || path.indexOf('/', dot) >= 0) return {};
    return types.value(path.mid(dot + 1).toLower());
}

QByteArray categoriesJson()
{
    QJsonObject lists;
    lists.insert(QStringLiteral("combo"), toJson(categories::comboCategories()));
    lists.insert(QStringLiteral("fixed"), toJson(categories::fixedCategories()));
    return QJsonDocument(lists).toJson(QJsonDocument::Compact);
}

File lookup(const QByteArray &path)
{
    // Served files never change while the program runs; each is read once.
    static QHash<QByteArray, File> cache;
    static bool initialised = false;
    if (!initialised) {
        initWebResources();
        initialised = true;
    }
    const auto known = cache.constFind(path);
    if (known != cache.constEnd()) return *known;
    File file = load(path);
    // Only found files are kept, so a stranger's made-up paths cannot grow it.
    if (file.found) cache.insert(path, file);
    return file;
}

} // namespace webfiles
