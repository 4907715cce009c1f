// What the fuzz targets share: the Qt application made once for the whole run
// (offscreen, so no display is needed), a temporary program folder, a way to
// cut one input into several texts, and the check that stops the run on a
// broken property with a message libFuzzer shows next to the crash.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QList>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "shell/programfolder.h"

namespace fuzzsupport {

inline bool validUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    (void)decoder.decode(bytes);
    return !decoder.hasError();
}

// A broken property is a finding: print it and abort, which libFuzzer reports
// as a crash and keeps the input for.
#define FUZZ_CHECK(condition, what)                                                                \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", what, __FILE__, __LINE__);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// The Qt application for the whole run (a QApplication for the targets with
// widgets), made once in LLVMFuzzerInitialize: Qt allows one per process and
// keeps argc and argv for its life.
template <class Application> void startQt(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.debug=false;qt.multimedia*=false;qt.qpa*=false");
    new Application(*argc, *argv);
}

// Destroys what deleteLater() queued during one input, so nothing piles up
// across a run that never enters the event loop.
inline void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A temporary folder made the program's folder for the whole run; it goes
// when the run ends normally.
inline QTemporaryDir &programDir()
{
    static QTemporaryDir dir;
    static const bool set = (setProgramFolder(dir.path()), true);
    (void)set;
    return dir;
}

// Reads an input front to back: single bytes for choices, and texts that run to
// the next separator byte (or the end).
class Input
{
public:
    Input(const uint8_t *data, size_t size)
        : bytes(reinterpret_cast<const char *>(data), qsizetype(size))
    {
    }
    bool atEnd() const { return pos >= bytes.size(); }
    quint8 byte() { return atEnd() ? 0 : static_cast<quint8>(bytes[pos++]); }
    QByteArray text(char separator = '\n')
    {
        if (atEnd()) return QByteArray();
        qsizetype end = bytes.indexOf(separator, pos);
        if (end < 0) end = bytes.size();
        const QByteArray out = bytes.mid(pos, end - pos);
        pos = end + 1;
        return out;
    }
    QByteArray rest()
    {
        const QByteArray out = atEnd() ? QByteArray() : bytes.mid(pos);
        pos = bytes.size();
        return out;
    }

private:
    QByteArray bytes;
    qsizetype pos = 0;
};

} // namespace fuzzsupport
