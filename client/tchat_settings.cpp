// The main window's part of the settings file: read once, when the host
// announces this client's own arrival; written by the option commands, by a
// game start and by a close that moved or resized the window.
#include "client/tchat.h"

#include <QAction>
#include <QToolButton>

#include "client/colortext.h"
#include "windows/tgamestart.h"

namespace {
const char SettingsNotSaved[] = "The settings could not be saved in %1.";
}

void Tchat::loadinifile()
{
    const settings::MainOptions o = settings::readMain(settings::filePath());
    saved = o.bounds;
    settingsRead = true;
    applyBounds(o.bounds);
    PlayChatterSounds1->setChecked(o.chatterSounds);
    setTextSize(o.textSize);
    applyTextColour(colortext::fromTextOr(o.textColor, colortext::clWhite));
    actionColor = colortext::fromTextOr(o.actionColor, colortext::clWhite);
    if (windows.gamestart) windows.gamestart->readSettings();
    PlaySounds1->setChecked(o.playSounds);
    for (int n = 1; n <= PhraseButtons && n <= o.phrases.size(); ++n)
        if (!o.phrases[n - 1].isEmpty()) setPhrase(n, o.phrases[n - 1]);
    onlyone->setChecked(o.onlyOne);
    showpop->setChecked(o.showPop);
}

void Tchat::saveinifile()
{
    saveSettings(currentBounds());
}

void Tchat::saveSettings(const settings::Bounds &bounds)
{
    settings::MainOptions o;
    o.bounds = bounds;
    o.chatterSounds = PlayChatterSounds1->isChecked();
    o.textSize = textSize;
    o.textColor = colortext::toText(textColor);
    o.actionColor = colortext::toText(actionColor);
    o.playSounds = PlaySounds1->isChecked();
    o.onlyOne = onlyone->isChecked();
    o.showPop = showpop->isChecked();

    const QString file = settings::filePath();
    // The dialog's keys go between ours, in the same write.
    const settings::Values dialog =
        windows.gamestart ? windows.gamestart->settingsValues() : settings::Values();
    if (!settings::writeMain(file, o, dialog))
        reportError(QString::fromLatin1(SettingsNotSaved).arg(file));
}

void Tchat::saveOption(const char *key, const QString &value)
{
    if (settingsRead) {
        saveinifile();
        return;
    }
    const QString file = settings::filePath();
    if (!settings::writeKey(file, key, value))
        reportError(QString::fromLatin1(SettingsNotSaved).arg(file));
}
