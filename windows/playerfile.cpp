#include "windows/playerfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace playerfile {

namespace {
const char Crlf[] = "\r\n";

// Files written by this game are UTF-8; older ones from a single-byte code page
// are not valid UTF-8 and read best byte for byte.
QString decode(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) return QString::fromLatin1(bytes);
    return text;
}
} // namespace

Read readFile(const QString &path, qint64 maxSize, QByteArray *data, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists()) return Read::Missing;
    QString why;
    if (!info.isFile()) {
        why = QStringLiteral("it is not a file");
    } else if (info.size() > maxSize) {
        why = QStringLiteral("it is too large (%1 bytes)").arg(info.size());
    } else {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            why = file.errorString();
        } else {
            *data = file.read(maxSize + 1);
            if (file.error() != QFileDevice::NoError)
                why = file.errorString();
            else if (data->size() > maxSize)
                why = QStringLiteral("it is too large");
        }
    }
    if (why.isEmpty()) return Read::Ok;
    data->clear();
    if (error) *error = why;
    return Read::Failed;
}

QStringList splitLines(const QByteArray &data)
{
    QString text = decode(data);
    text.replace(QLatin1String(Crlf), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')) || text.isEmpty()) lines.removeLast();
    return lines;
}

bool writeLines(const QString &path, const QStringList &lines, QString *error)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += oneLine(line).toUtf8() + Crlf;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error) *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

QString oneLine(const QString &text)
{
    QString line = text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

} // namespace playerfile
