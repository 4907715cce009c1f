#pragma once

// Paths of the pictures and sounds built into the program (resources.qrc). Code names a
// picture by these constants, never by a typed path, so a renamed file breaks the build
// instead of showing an empty label.

#include <QString>
#include <QtGlobal>

// Q_INIT_RESOURCE may not be used inside a namespace, so the hook lives at file scope.
inline void quibInitResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace res {

// Pictures. Each PNG has an "@2x" twin beside it that Qt picks on high-density screens.
inline constexpr char background[] = ":/pictures/background.png"; // tile behind every window
inline constexpr char gamearea[] = ":/pictures/gamearea.png";     // stretched behind the game area
inline constexpr char team0[] = ":/pictures/team0.png";           // Yellow, not chosen
inline constexpr char team1[] = ":/pictures/team1.png";           // Yellow, chosen
inline constexpr char team2[] = ":/pictures/team2.png";           // White, not chosen
inline constexpr char team3[] = ":/pictures/team3.png";           // White, chosen
inline constexpr char start[] = ":/pictures/start.png";           // "Start Game" button
inline constexpr char timerbar[] = ":/pictures/timerbar.png";     // countdown bar, stretched
inline constexpr char entered[] = ":/pictures/entered.png";       // answer mark on the board
inline constexpr char phrase[] = ":/pictures/phrase.png";         // phrase buttons 1 to 9
inline constexpr char soundbutton[] = ":/pictures/soundbutton.png"; // the sound menu button
inline constexpr char log[] = ":/pictures/log.png";       // save an answer to the acro log
inline constexpr char save[] = ":/pictures/save.png";     // save a typed category
inline constexpr char hand[] = ":/pictures/hand.png";     // marks the chosen answer
inline constexpr char winner[] = ":/pictures/winner.png"; // round winner
inline constexpr char speed[] = ":/pictures/speed.png";   // speed bonus
inline constexpr char about[] = ":/pictures/about.png";   // about window
inline constexpr char icon[] = ":/pictures/icon.png";     // application icon
inline constexpr char lobby[] = ":/pictures/lobby.jpg";   // lobby download window

// The four team pictures by their index in the team list (0 to 3); empty for any other index.
inline const char *teamPicture(int index)
{
    static constexpr const char *pictures[] = {team0, team1, team2, team3};
    return index >= 0 && index < 4 ? pictures[index] : "";
}

// Sound resources, as named in the resource file (upper case).
inline constexpr const char *soundNames[] = {
    "ACRO0",    "ACRO1", "ACRO2",    "ACRO3",   "BONUSROUND", "CATAGORY", "ENTERED",
    "LETSPLAY", "NONE",  "NOWINNER", "POSTING", "SUBMIT",     "TIME",     "VOTE",
    "WAVE1",    "WAVE2", "WAVE3",    "WAVE4",   "WAVE5",      "WAVE6",    "WAVE7",
    "WAVE8",    "WAVE9", "WAVE10",   "WAVE11",  "WAVE12",     "WINNER",   "WRONG"};

// Sounds are asked for by name with letter case ignored ("acro0", "wave12"); the path is
// built from the upper-case name. The caller checks that the file exists: a name without a
// resource ("gameover") gives a path that does not. Names arrive from other players, so
// anything but letters and digits ("../x") gives an empty path rather than a walk through
// the resource tree.
inline QString soundPath(const QString &name)
{
    if (name.isEmpty() || name.size() > 32) return QString();
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z')))
            return QString();
    }
    return QStringLiteral(":/sounds/") + name.toUpper() + QStringLiteral(".wav");
}

// The resources sit in a static library, whose object file the linker would drop because
// nothing names it. Every program that includes this header names it through this variable,
// so the resources are registered before main() without a call; init() stays for code that
// wants to say so explicitly. Registering twice is harmless.
namespace detail {
inline const bool registered = (::quibInitResources(), true);
} // namespace detail

inline void init()
{
    ::quibInitResources();
}

} // namespace res
