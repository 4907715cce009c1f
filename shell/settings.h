// The main window's keys of the settings file zunolobby.ini, shared with the
// lobby: section "Quibbleton" in the program's folder. The game options
// dialog reads and writes its own keys (Tgamestart); the phrase list writes the
// phrase keys. Values are raw texts: the reading rules live here, so every
// caller applies them the same way.
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace settings {

inline constexpr char FileName[] = "zunolobby.ini";
inline constexpr char Section[] = "Quibbleton";

inline constexpr char KeyTop[] = "Top";
inline constexpr char KeyLeft[] = "Left";
inline constexpr char KeyWidth[] = "Width";
inline constexpr char KeyHeight[] = "Height";
inline constexpr char KeyChatterSounds[] = "ChatterSounds";
inline constexpr char KeyTextsize[] = "Textsize";
inline constexpr char KeyTextcolor[] = "Textcolor";
inline constexpr char KeyActioncolor[] = "Actioncolor";
inline constexpr char KeyPlaysounds[] = "Playsounds";
inline constexpr char KeyPhrase[] = "Phrase"; // followed by 1 to 10
inline constexpr char KeyOnlyone[] = "Onlyone";
inline constexpr char KeyShowpop[] = "Showpop";

inline constexpr int DefaultLeft = 3;
inline constexpr int DefaultTop = 3;
inline constexpr int DefaultWidth = 794;
inline constexpr int DefaultHeight = 578;
inline constexpr int DefaultTextSize = 8;
// Sizes outside this range would make the chat unreadable or its layout huge.
inline constexpr int MinTextSize = 1;
inline constexpr int MaxTextSize = 72;
inline constexpr char DefaultColor[] = "clwhite";
inline constexpr int PhraseCount = 10;

inline constexpr char True[] = "true";
inline constexpr char False[] = "false";

// The settings file in the program's folder.
QString filePath();

// Flags compare exactly and case-sensitively: a flag that defaults to on is off
// only for "false", one that defaults to off is on only for "true".
inline bool onUnlessFalse(const QString &text)
{
    return text != QLatin1String(False);
}
inline bool onlyIfTrue(const QString &text)
{
    return text == QLatin1String(True);
}
inline QString flagText(bool on)
{
    return QString::fromLatin1(on ? True : False);
}

struct Bounds
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Bounds &o) const
    {
        return left == o.left && top == o.top && width == o.width && height == o.height;
    }
    bool operator!=(const Bounds &o) const { return !(*this == o); }
};

struct MainOptions
{
    Bounds bounds{DefaultLeft, DefaultTop, DefaultWidth, DefaultHeight};
    bool chatterSounds = true;
    int textSize = DefaultTextSize;
    QString textColor = QString::fromLatin1(DefaultColor);   // a colour text, unparsed
    QString actionColor = QString::fromLatin1(DefaultColor); // a colour text, unparsed
    bool playSounds = true;
    // Phrase n is at index n - 1; an empty entry keeps the button's phrase.
    QStringList phrases;
    bool onlyOne = false;
    bool showPop = true;
};

// A missing file or section gives the defaults; a window or text-size value that
// is not a decimal integer gives its default.
MainOptions readMain(const QString &file);

// Keys and values in the order they are written.
using Values = QList<QPair<QString, QString>>;

// One save of the main window's keys, in one atomic write of the file: "Top"
// to "Actioncolor", then `between` (the game options dialog's keys), then
// "Playsounds", "Onlyone" and "Showpop". Phrases are not written here. False
// when the file could not be written; it is then left as it was.
bool writeMain(const QString &file, const MainOptions &options, const Values &between = {});
// One key of the section.
bool writeKey(const QString &file, const char *key, const QString &value);

} // namespace settings
