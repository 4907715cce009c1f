#include "shell/settings.h"

#include "shell/profile.h"
#include "shell/programfolder.h"

namespace settings {

namespace {

QString key(const char *name)
{
    return QString::fromLatin1(name);
}

QString readText(const QString &file, const char *name, const QString &defaultValue)
{
    return profile::readString(file, key(Section), key(name), defaultValue);
}

int readNumber(const QString &file, const char *name, int defaultValue)
{
    return profile::readInteger(file, key(Section), key(name), defaultValue);
}

} // namespace

QString filePath()
{
    return settingsFile(QString::fromLatin1(FileName));
}

MainOptions readMain(const QString &file)
{
    MainOptions o;
    o.bounds.top = readNumber(file, KeyTop, DefaultTop);
    o.bounds.left = readNumber(file, KeyLeft, DefaultLeft);
    o.bounds.width = readNumber(file, KeyWidth, DefaultWidth);
    o.bounds.height = readNumber(file, KeyHeight, DefaultHeight);
    o.chatterSounds = onUnlessFalse(readText(file, KeyChatterSounds, key(True)));
    o.textSize = readNumber(file, KeyTextsize, DefaultTextSize);
    if (o.textSize < MinTextSize || o.textSize > MaxTextSize) o.textSize = DefaultTextSize;
    o.textColor = readText(file, KeyTextcolor, key(DefaultColor));
    o.actionColor = readText(file, KeyActioncolor, key(DefaultColor));
    o.playSounds = onUnlessFalse(readText(file, KeyPlaysounds, key(True)));
    for (int n = 1; n <= PhraseCount; ++n)
        o.phrases.append(profile::readString(file, key(Section),
                                             key(KeyPhrase) + QString::number(n), QString()));
    o.onlyOne = onlyIfTrue(readText(file, KeyOnlyone, key(False)));
    o.showPop = onUnlessFalse(readText(file, KeyShowpop, key(True)));
    return o;
}

bool writeMain(const QString &file, const MainOptions &o, const Values &between)
{
    Values values = {{key(KeyTop), QString::number(o.bounds.top)},
                     {key(KeyLeft), QString::number(o.bounds.left)},
                     {key(KeyWidth), QString::number(o.bounds.width)},
                     {key(KeyHeight), QString::number(o.bounds.height)},
                     {key(KeyChatterSounds), flagText(o.chatterSounds)},
                     {key(KeyTextsize), QString::number(o.textSize)},
                     {key(KeyTextcolor), o.textColor},
                     {key(KeyActioncolor), o.actionColor}};
    values += between;
    values += Values{{key(KeyPlaysounds), flagText(o.playSounds)},
                     {key(KeyOnlyone), flagText(o.onlyOne)},
                     {key(KeyShowpop), flagText(o.showPop)}};
    return profile::writeStrings(file, key(Section), values);
}

bool writeKey(const QString &file, const char *name, const QString &value)
{
    return profile::writeString(file, key(Section), key(name), value);
}

} // namespace settings
