// The game's sounds go through this small interface, so tests can record what
// was asked for instead of making a noise.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QSoundEffect;

class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    // Starts the sound called `name` (letter case ignored) and returns at once.
    virtual void play(const QString &name) = 0;
};

// Plays the WAVE clips built into the program. A new sound cuts off the one
// still playing; a name without a clip gives the system's default sound;
// without an audio device the game goes on silently.
class QtSoundPlayer : public QObject, public SoundPlayer
{
    Q_OBJECT
public:
    explicit QtSoundPlayer(QObject *parent = nullptr);
    void play(const QString &name) override;

private:
    QSoundEffect *effectFor(const QString &path);

    QHash<QString, QSoundEffect *> effects; // by resource path, made on first use
    QSoundEffect *current = nullptr;
};
