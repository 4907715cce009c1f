#include "client/soundplayer.h"

#include <QApplication>
#include <QFile>
#include <QSoundEffect>
#include <QUrl>

#include "resources/resourcenames.h"

QtSoundPlayer::QtSoundPlayer(QObject *parent) : QObject(parent) {}

QSoundEffect *QtSoundPlayer::effectFor(const QString &path)
{
    QSoundEffect *&effect = effects[path];
    if (!effect) {
        effect = new QSoundEffect(this);
        effect->setSource(QUrl(QStringLiteral("qrc") + path));
    }
    return effect;
}

void QtSoundPlayer::play(const QString &name)
{
    if (current) current->stop();
    current = nullptr;
    const QString path = res::soundPath(name);
    // Only the program's own clips are looked up (the path is empty for any other
    // name); anything else is not a clip.
    if (path.isEmpty() || !QFile::exists(path)) {
        QApplication::beep();
        return;
    }
    current = effectFor(path);
    current->play();
}
