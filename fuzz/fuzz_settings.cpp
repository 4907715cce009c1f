// The settings file: any file content is read without harm, a refused write
// leaves the file as it was, and writing the same values twice changes nothing
// the second time.
#include "fuzz/fuzzsupport.h"
#include "shell/profile.h"
#include "shell/settings.h"

#include <QDir>
#include <QFile>

using fuzzsupport::Input;

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzsupport::startQt<QCoreApplication>(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input in(data, size);
    const QString path = QDir(fuzzsupport::programDir().path()).filePath(settings::FileName);
    QFile::remove(path);
    // The file's bytes run to the first NUL; the rest names what is read and written.
    const QByteArray file = in.text('\0');
    {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size()) return 0;
    }

    const settings::MainOptions options = settings::readMain(path);
    FUZZ_CHECK(options.phrases.size() <= settings::PhraseCount, "at most ten phrases");

    const QString section = QString::fromUtf8(in.text());
    const QString section2 = (in.byte() & 1) ? section : QString::fromLatin1(settings::Section);
    QList<QPair<QString, QString>> values;
    while (!in.atEnd() && values.size() < 4) {
        const QString key = QString::fromUtf8(in.text());
        const QString value = QString::fromUtf8(in.text());
        (void)profile::readString(path, section2, key, QStringLiteral("x"));
        (void)profile::readInteger(path, section2, key, 7);
        values.append({key, value});
    }

    const QByteArray before = contents(path);
    if (!profile::writeStrings(path, section2, values)) {
        FUZZ_CHECK(contents(path) == before, "a refused write leaves the file as it was");
        return 0;
    }
    const QByteArray once = contents(path);
    FUZZ_CHECK(profile::writeStrings(path, section2, values), "the same write succeeds again");
    FUZZ_CHECK(contents(path) == once, "saving the same values twice changes nothing");
    (void)settings::readMain(path);
    return 0;
}
