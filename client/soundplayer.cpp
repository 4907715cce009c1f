#include "client/soundplayer.h"

#include <QApplication>
#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QFile>
#include <QMediaDevices>
#include <QtEndian>

#include "resources/resourcenames.h"

namespace {
// Longer than what a sound server keeps queued, so a clip's end has played
// before its sink stops.
const int TrailingSilenceMs = 300;
} // namespace

QtSoundPlayer::QtSoundPlayer(QObject *parent) : QObject(parent) {}

QtSoundPlayer::~QtSoundPlayer()
{
    stopCurrent();
}

bool QtSoundPlayer::readWave(const QByteArray &file, QByteArray &samples, int &rate, int &channels)
{
    if (file.size() < 12 || !file.startsWith("RIFF") || file.mid(8, 4) != "WAVE") return false;
    bool formatSeen = false;
    qsizetype at = 12;
    while (at + 8 <= file.size()) {
        const QByteArray id = file.mid(at, 4);
        const quint32 size = qFromLittleEndian<quint32>(file.constData() + at + 4);
        const qsizetype body = at + 8;
        if (size > quint32(file.size() - body)) return false;
        if (id == "fmt ") {
            if (size < 16) return false;
            const char *f = file.constData() + body;
            const quint16 tag = qFromLittleEndian<quint16>(f);
            channels = qFromLittleEndian<quint16>(f + 2);
            rate = int(qFromLittleEndian<quint32>(f + 4));
            const quint16 bits = qFromLittleEndian<quint16>(f + 14);
            if (tag != 1 || bits != 16 || channels < 1 || channels > 2 || rate < 8000 ||
                rate > 192000)
                return false;
            formatSeen = true;
        } else if (id == "data") {
            if (!formatSeen) return false;
            samples = file.mid(body, size - size % (2 * channels));
            return true;
        }
        at = body + size + (size & 1);
    }
    return false;
}

const QtSoundPlayer::Clip &QtSoundPlayer::clipFor(const QString &path)
{
    auto found = clips.constFind(path);
    if (found != clips.constEnd()) return *found;
    Clip clip;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) &&
        readWave(file.readAll(), clip.pcm, clip.rate, clip.channels))
        clip.pcm.append(
            QByteArray(qsizetype(clip.rate) * clip.channels * 2 * TrailingSilenceMs / 1000, '\0'));
    else
        clip.pcm.clear();
    return *clips.insert(path, clip);
}

void QtSoundPlayer::stopCurrent()
{
    if (!current) return;
    QAudioSink *sink = current;
    current = nullptr;
    sink->disconnect(this);
    sink->stop();
    sink->deleteLater();
}

void QtSoundPlayer::play(const QString &name)
{
    stopCurrent();
    const QString path = res::soundPath(name);
    // Only the program's own clips are looked up (the path is empty for any other
    // name); anything else is not a clip.
    if (path.isEmpty() || !QFile::exists(path)) {
        QApplication::beep();
        return;
    }
    const Clip &clip = clipFor(path);
    // No sound server, or a clip that cannot be read: silence, and no complaint
    // on every sound of the game.
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (clip.pcm.isEmpty() || device.isNull()) return;

    QAudioFormat format;
    format.setSampleRate(clip.rate);
    format.setChannelCount(clip.channels);
    format.setSampleFormat(QAudioFormat::Int16);
    auto *sink = new QAudioSink(device, format, this);
    auto *source = new QBuffer(sink);
    source->setData(clip.pcm);
    source->open(QIODevice::ReadOnly);
    connect(sink, &QAudioSink::stateChanged, this, [this, sink](QAudio::State state) {
        // Idle: everything, silence included, has gone to the server.
        if (sink == current && state != QAudio::ActiveState) stopCurrent();
    });
    current = sink;
    sink->start(source);
}
