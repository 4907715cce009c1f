// The game's sounds go through this small interface, so tests can record what
// was asked for instead of making a noise.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QAudioSink;

class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    // Starts the sound called `name` (letter case ignored) and returns at once.
    virtual void play(const QString &name) = 0;
};

// Plays the WAVE clips built into the program. A new sound cuts off the one
// still playing; a name without a clip gives the system's default sound;
// without an audio device the game goes on silently, and says nothing.
//
// Each clip goes to its own audio sink with silence after it: a sink stopped
// once it has taken the last bytes drops what the sound server still holds,
// which cut every clip's last tenth of a second (and a short clip nearly
// whole).
class QtSoundPlayer : public QObject, public SoundPlayer
{
    Q_OBJECT
public:
    explicit QtSoundPlayer(QObject *parent = nullptr);
    ~QtSoundPlayer() override;
    void play(const QString &name) override;

    // The samples of a 16-bit PCM WAVE file and their rate and channel count;
    // false for anything else.
    static bool readWave(const QByteArray &file, QByteArray &samples, int &rate, int &channels);

private:
    struct Clip
    {
        QByteArray pcm; // samples, then the silence; empty when the clip is unreadable
        int rate = 0;
        int channels = 0;
    };
    const Clip &clipFor(const QString &path);
    void stopCurrent();

    QHash<QString, Clip> clips; // by resource path, read on first use
    QAudioSink *current = nullptr;
};
