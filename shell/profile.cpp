#include "shell/profile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

// The settings file is shared with the lobby, so every write edits only the
// line it must and hands all other bytes back exactly as they were read.

namespace profile {

namespace {

const QByteArray utf8Bom("\xEF\xBB\xBF");
const QByteArray defaultEnding("\r\n");

struct Line
{
    QByteArray text;
    QByteArray ending; // "\r\n", "\n", "\r", or empty on a last line without one
};

enum class Load
{
    Ok,
    Missing,
    Failed
};

Load loadFile(const QString &path, QByteArray *data)
{
    const QFileInfo info(path);
    if (!info.exists()) return Load::Missing;
    if (!info.isFile() || info.size() > MaxFileSize) return Load::Failed;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return Load::Failed;
    // Read one byte past the limit: the file may have grown since it was looked at.
    *data = file.read(MaxFileSize + 1);
    if (data->size() > MaxFileSize || file.error() != QFileDevice::NoError) return Load::Failed;
    return Load::Ok;
}

QList<Line> splitLines(const QByteArray &data)
{
    QList<Line> lines;
    qsizetype pos = 0;
    while (pos < data.size()) {
        qsizetype end = pos;
        while (end < data.size() && data[end] != '\r' && data[end] != '\n')
            ++end;
        Line line{data.mid(pos, end - pos), {}};
        if (end < data.size()) {
            const qsizetype endingLength =
                (data[end] == '\r' && end + 1 < data.size() && data[end + 1] == '\n') ? 2 : 1;
            line.ending = data.mid(end, endingLength);
            end += endingLength;
        }
        lines.append(line);
        pos = end;
    }
    return lines;
}

QByteArray joinLines(const QList<Line> &lines)
{
    QByteArray out;
    for (const Line &line : lines)
        out += line.text + line.ending;
    return out;
}

// Valid UTF-8 is read as such; anything else is taken byte for byte, the way a
// file from a single-byte code page reads best.
QString decode(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) return QString::fromLatin1(bytes);
    return text;
}

bool sameName(const QByteArray &bytes, const QString &name)
{
    return decode(bytes.trimmed()).compare(name.trimmed(), Qt::CaseInsensitive) == 0;
}

// The text a line is parsed from: the byte-order mark of the first line is no part of it.
QByteArray parseText(const QList<Line> &lines, int index)
{
    const QByteArray &text = lines[index].text;
    return (index == 0 && text.startsWith(utf8Bom)) ? text.mid(utf8Bom.size()) : text;
}

bool isSectionHeader(const QByteArray &trimmed)
{
    return trimmed.startsWith('[');
}

QByteArray sectionName(const QByteArray &trimmed)
{
    const qsizetype close = trimmed.indexOf(']');
    return trimmed.mid(1, close < 0 ? -1 : close - 1);
}

bool isComment(const QByteArray &trimmed)
{
    return trimmed.startsWith(';') || trimmed.startsWith('#');
}

struct Location
{
    int header = -1;      // first header of the section
    int key = -1;         // first line of the key within the section
    int lastContent = -1; // last non-blank line of the section's first block
};

Location locate(const QList<Line> &lines, const QString &section, const QString &key)
{
    Location at;
    bool inSection = false;
    bool inFirstBlock = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArray trimmed = parseText(lines, i).trimmed();
        if (isSectionHeader(trimmed)) {
            inSection = sameName(sectionName(trimmed), section);
            inFirstBlock = inSection && at.header < 0;
            if (inFirstBlock) {
                at.header = i;
                at.lastContent = i;
            }
            continue;
        }
        if (inFirstBlock && !trimmed.isEmpty() && !isComment(trimmed)) at.lastContent = i;
        if (!inSection || at.key >= 0 || isComment(trimmed)) continue;
        const qsizetype equals = trimmed.indexOf('=');
        if (equals > 0 && sameName(trimmed.left(equals), key)) at.key = i;
    }
    return at;
}

QByteArray valueOf(const QByteArray &line)
{
    return line.mid(line.indexOf('=') + 1).trimmed();
}

bool validSection(const QString &section)
{
    return !section.trimmed().isEmpty() && !section.contains(QLatin1Char(']')) &&
           !section.contains(QLatin1Char('\r')) && !section.contains(QLatin1Char('\n'));
}

bool validKey(const QString &key)
{
    const QString k = key.trimmed();
    return !k.isEmpty() && !k.contains(QLatin1Char('=')) && !k.contains(QLatin1Char('\r')) &&
           !k.contains(QLatin1Char('\n')) && !k.startsWith(QLatin1Char('[')) &&
           !k.startsWith(QLatin1Char(';')) && !k.startsWith(QLatin1Char('#'));
}

// A value never spans lines: a line break in it would start a key of its own.
// Blanks around it are not written: reading drops them anyway, and the blanks
// the file already has after "=" stay, so writing a value again changes nothing.
QByteArray encodeValue(const QString &value)
{
    QString oneLine = value;
    oneLine.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    return oneLine.toUtf8().trimmed();
}

QByteArray lineEnding(const QList<Line> &lines)
{
    for (const Line &line : lines)
        if (!line.ending.isEmpty()) return line.ending;
    return defaultEnding;
}

void setValue(QList<Line> &lines, const QString &section, const QString &key,
              const QByteArray &value)
{
    const Location at = locate(lines, section, key);
    const QByteArray ending = lineEnding(lines);
    if (at.key >= 0) {
        // Keep the key as the file spells it, and any blanks after the "=".
        QByteArray &text = lines[at.key].text;
        qsizetype start = text.indexOf('=') + 1;
        while (start < text.size() && (text[start] == ' ' || text[start] == '\t'))
            ++start;
        text = text.left(start) + value;
        return;
    }
    const Line keyLine{key.trimmed().toUtf8() + '=' + value, ending};
    if (at.header >= 0) {
        if (lines[at.lastContent].ending.isEmpty()) lines[at.lastContent].ending = ending;
        lines.insert(at.lastContent + 1, keyLine);
        return;
    }
    if (!lines.isEmpty() && lines.last().ending.isEmpty()) lines.last().ending = ending;
    lines.append(Line{'[' + section.trimmed().toUtf8() + ']', ending});
    lines.append(keyLine);
}

} // namespace

QString readString(const QString &file, const QString &section, const QString &key,
                   const QString &defaultValue)
{
    QByteArray data;
    if (loadFile(file, &data) != Load::Ok || !validSection(section) || !validKey(key))
        return defaultValue;
    const QList<Line> lines = splitLines(data);
    const Location at = locate(lines, section, key);
    if (at.key < 0) return defaultValue;
    return decode(valueOf(parseText(lines, at.key)));
}

int readInteger(const QString &file, const QString &section, const QString &key, int defaultValue)
{
    bool ok = false;
    const int value = readString(file, section, key, QString()).toInt(&ok, 10);
    return ok ? value : defaultValue;
}

bool writeString(const QString &file, const QString &section, const QString &key,
                 const QString &value)
{
    return writeStrings(file, section, {{key, value}});
}

bool writeStrings(const QString &file, const QString &section,
                  const QList<QPair<QString, QString>> &values)
{
    if (!validSection(section)) return false;
    for (const auto &entry : values)
        if (!validKey(entry.first)) return false;

    QByteArray data;
    const Load loaded = loadFile(file, &data);
    // A file that could not be read in full is never replaced by what was understood of it.
    if (loaded == Load::Failed) return false;

    QList<Line> lines = splitLines(data);
    for (const auto &entry : values)
        setValue(lines, section, entry.first, encodeValue(entry.second));
    const QByteArray result = joinLines(lines);
    if (loaded == Load::Ok && result == data) return true;

    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return false;
    if (out.write(result) != result.size()) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}

} // namespace profile
