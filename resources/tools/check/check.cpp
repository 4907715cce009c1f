// Loads every picture and sound through the constants of resourcenames.h from the compiled
// resources, the way the game does, and checks sizes and formats. Prints one line per fault
// and "N passed, N failed" at the end; exits non-zero on any fault.

#include "resources/resourcenames.h"

#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QTextStream>

namespace {

int passed = 0;
int failed = 0;

void expect(bool ok, const QString &what)
{
    if (ok) {
        ++passed;
    } else {
        ++failed;
        QTextStream(stdout) << "FAIL: " << what << '\n';
    }
}

void checkPicture(const char *path, QSize size, bool hiDpi)
{
    const QString name = QString::fromLatin1(path);
    QImageReader reader(name);
    const QImage img = reader.read();
    expect(!img.isNull(), name + QStringLiteral(" loads (") + reader.errorString() + ')');
    expect(img.size() == size, QStringLiteral("%1 is %2x%3, found %4x%5")
                                   .arg(name)
                                   .arg(size.width())
                                   .arg(size.height())
                                   .arg(img.width())
                                   .arg(img.height()));
    if (!hiDpi) return;
    QString twin = name;
    twin.insert(twin.lastIndexOf('.'), QStringLiteral("@2x"));
    const QImage big(twin);
    expect(big.size() == size * 2, twin + QStringLiteral(" is twice the size"));
    // Qt must find the twin on its own when a 2x screen asks for the plain name (check.sh
    // runs this program with QT_SCALE_FACTOR=2).
    const QPixmap pm = QIcon(name).pixmap(size);
    expect(pm.devicePixelRatio() == 2.0,
           name + QStringLiteral(" gets its @2x twin on a 2x screen, got %1x%2 at %3")
                      .arg(pm.width())
                      .arg(pm.height())
                      .arg(pm.devicePixelRatio()));
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    // No res::init() here: including the header must be enough to register the resources.
    expect(qApp->devicePixelRatio() == 2.0, QStringLiteral("runs on a 2x screen"));

    const QSize team(110, 102);
    checkPicture(res::background, {64, 64}, true);
    checkPicture(res::gamearea, {782, 283}, true);
    checkPicture(res::team0, team, true);
    checkPicture(res::team1, team, true);
    checkPicture(res::team2, team, true);
    checkPicture(res::team3, team, true);
    checkPicture(res::start, {90, 30}, true);
    checkPicture(res::timerbar, {120, 8}, true);
    checkPicture(res::entered, {12, 17}, true);
    checkPicture(res::phrase, {25, 19}, true);
    checkPicture(res::soundbutton, {25, 19}, true);
    checkPicture(res::log, {20, 16}, true);
    checkPicture(res::save, {60, 20}, true);
    checkPicture(res::hand, {12, 17}, true);
    checkPicture(res::winner, {16, 16}, true);
    checkPicture(res::speed, {16, 16}, true);
    checkPicture(res::about, {200, 150}, true);
    checkPicture(res::icon, {64, 64}, true);
    checkPicture(res::lobby, {400, 339}, false);
    expect(QImageReader(res::lobby).format() == "jpeg", QStringLiteral("lobby.jpg is a JPEG"));

    for (int i = 0; i < 4; ++i)
        expect(QImage(res::teamPicture(i)).size() == team,
               QStringLiteral("team picture %1").arg(i));
    expect(QString::fromLatin1(res::teamPicture(4)).isEmpty(), QStringLiteral("no team picture 4"));
    expect(QString::fromLatin1(res::teamPicture(-1)).isEmpty(),
           QStringLiteral("no team picture -1"));

    for (const char *sound : res::soundNames) {
        const QString lower = QString::fromLatin1(sound).toLower();
        QFile f(res::soundPath(lower));
        expect(f.open(QIODevice::ReadOnly), res::soundPath(lower) + QStringLiteral(" opens"));
        const QByteArray head = f.read(44);
        expect(head.startsWith("RIFF") && head.mid(8, 4) == "WAVE",
               res::soundPath(lower) + QStringLiteral(" is a WAVE file"));
    }
    expect(std::size(res::soundNames) == 28, QStringLiteral("28 sounds are listed"));
    expect(res::soundPath(QStringLiteral("Wave12")) == QStringLiteral(":/sounds/WAVE12.wav"),
           QStringLiteral("sound names ignore letter case"));
    expect(!QFile::exists(res::soundPath(QStringLiteral("gameover"))),
           QStringLiteral("gameover has no resource"));
    for (const char *odd : {"", "../pictures/icon", "wave1/", "wave 1", "w\u00e4ve1",
                            "wave1wave1wave1wave1wave1wave1wave1"})
        expect(res::soundPath(QString::fromUtf8(odd)).isEmpty(),
               QStringLiteral("no path for the sound name '%1'").arg(QString::fromUtf8(odd)));

    QTextStream(stdout) << passed << " passed, " << failed << " failed\n";
    return failed == 0 ? 0 : 1;
}
