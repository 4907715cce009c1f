// The markup rule: whatever names, categories, answers, chat lines, phrases and
// quoted fields hold, showing them never makes the program open a file.
//
// The input is cut into texts at newlines; "$F" in a text stands for a FIFO in
// a folder of its own (the canary). A thread waits to open the canary for
// writing, which succeeds only once somebody opens it for reading: the program
// did, so the thread stops the run where the main thread opened it. The texts go through a whole
// round of host messages into the real windows, offscreen; after each step every window is drawn,
// every label measured and every tooltip shown, as a player would see them.
#include "client/program.h"
#include "client/soundplayer.h"
#include "fuzz/fuzzsupport.h"
#include "net/commands.h"
#include "shell/settings.h"
#include "windows/tacrolog.h"
#include "windows/tcategorylist.h"
#include "windows/tphrases.h"
#include "windows/tspylist.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QToolTip>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using fuzzsupport::Input;

namespace {

QByteArray canaryPath;
pthread_t mainThread;
// The watcher's own copy of the path: plain memory that no static destructor
// touches, since the thread may still run while the process exits.
char watchedPath[4096];
// Set before the canary's folder goes at exit: a canary gone then is no fault.
std::atomic<bool> exiting{false};

class SilentSounds : public SoundPlayer
{
public:
    void play(const QString &) override {}
};

void watchCanary()
{
    for (;;) {
        const int fd = ::open(watchedPath, O_WRONLY);
        if (fd >= 0) {
            std::fprintf(stderr, "markup: the program opened %s, a file named in outside text\n",
                         watchedPath);
            // The main thread now waits to read the canary: stopping it there
            // shows in the report which display path opened it.
            pthread_kill(mainThread, SIGABRT);
            std::this_thread::sleep_for(std::chrono::seconds(5));
            std::abort();
        }
        if (errno == EINTR) continue;
        if (exiting) return; // libFuzzer ended the run, perhaps before the first input
        std::fprintf(stderr, "markup: cannot watch %s\n", watchedPath);
        std::abort();
    }
}

// Everything a player could see now: each window drawn, each label measured
// (hidden ones too: they show later), each tooltip shown. Showing a tooltip may
// replace the label of the previous one, so the windows are held by guards.
void look()
{
    QList<QPointer<QWidget>> windows;
    for (QWidget *window : QApplication::topLevelWidgets())
        windows.append(window);
    QList<QPointer<QWidget>> withTips;
    for (const QPointer<QWidget> &window : windows) {
        if (!window || window->inherits("QTipLabel")) continue;
        if (window->isVisible()) (void)window->grab();
        for (QLabel *label : window->findChildren<QLabel *>())
            (void)label->sizeHint();
        for (QWidget *widget : window->findChildren<QWidget *>())
            if (!widget->toolTip().isEmpty()) withTips.append(widget);
    }
    for (const QPointer<QWidget> &widget : withTips) {
        if (!widget) continue;
        QToolTip::showText(QPoint(10, 10), widget->toolTip(), widget);
        QToolTip::hideText();
    }
}

struct Texts
{
    QByteArray name1, name3, spy, category, answer1, answer3, chat, winner, phrase, field, letters;
};

Texts readTexts(Input &in)
{
    auto next = [&in](const char *fallback) {
        QByteArray text = in.atEnd() ? QByteArray(fallback) : in.text();
        return text.replace("$F", canaryPath);
    };
    Texts t;
    t.name1 = next("Ann");
    t.name3 = next("Cid");
    t.spy = next("Eve");
    t.category = next("Pets");
    t.answer1 = next("Big Dogs");
    t.answer3 = next("Black Duck");
    t.chat = next("hello");
    t.winner = next("Ann");
    t.phrase = next("Good one");
    t.field = next("x");
    t.letters = next("BD");
    return t;
}

void writeSettings(const Texts &t)
{
    QFile ini(settings::filePath());
    if (!ini.open(QIODevice::WriteOnly)) return;
    ini.write("[" + QByteArray(settings::Section) + "]\r\nPhrase1=" + t.phrase +
              "\r\nPhrase2=" + t.name1 + "\r\n");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzsupport::startQt<QApplication>(argc, argv);
    (void)fuzzsupport::programDir();
    SideWindow::setDefaultNotifier([](const QString &) {});
    static QTemporaryDir canaryDir;
    canaryPath = QFile::encodeName(QDir(canaryDir.path()).filePath(QStringLiteral("canary")));
    if (canaryPath.size() >= qsizetype(sizeof watchedPath) ||
        ::mkfifo(canaryPath.constData(), 0600) != 0) {
        std::fprintf(stderr, "markup: cannot make the canary %s\n", canaryPath.constData());
        std::abort();
    }
    std::memcpy(watchedPath, canaryPath.constData(), size_t(canaryPath.size()) + 1);
    // Runs before the folder's destructor, which was registered earlier.
    std::atexit([] { exiting = true; });
    mainThread = pthread_self();
    std::thread(watchCanary).detach();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input in(data, size);
    const bool team = in.byte() & 1;
    const Texts t = readTexts(in);
    QDir dir(fuzzsupport::programDir().path());
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden))
        dir.remove(name);
    writeSettings(t);

    {
        std::unique_ptr<Tchat> chat(createWindows());
        chat->endProgram = [] {};
        chat->setSoundPlayer(std::make_unique<SilentSounds>());
        const Tchat::Windows &side = chat->sideWindows();
        chat->show();
        side.spylist->show();
        side.categorylist->show();
        side.acrolog->show();
        side.phrases->show();
        auto receive = [&chat](const QByteArray &message) { chat->dispatch(message.chopped(1)); };
        namespace h = cmd::host;

        receive(h::sendlogininfo(2));
        receive(h::newplayerinfo(2, "Bob"));
        receive(h::existingplayers(1, t.name1));
        receive(h::newplayerinfo(3, t.name3));
        receive(h::newplayerinfo(13, t.spy));
        receive(h::chat(t.name1, t.chat + "|clRed"));
        receive(h::action(t.name3, t.chat + "|clBlue"));
        receive(h::havewrongversion(t.spy));
        side.phrases->setPhrases({QString::fromUtf8(t.phrase), QString::fromUtf8(t.chat)});
        side.spylist->addSpy(14, QString::fromUtf8(t.name1));
        look();

        const cmd::GameAnnouncement game{t.name1, "30", "60", "t", "10", "t", "f"};
        receive(team ? h::teamgame(game) : h::startgame(game));
        if (team) receive(h::histeamList({{1, 1}, {2, 2}, {3, 1}}));
        receive(h::stats(2, 30, 60, team, {{1, 1}, {2, 2}, {3, 1}}));
        receive(h::nextplayer(1, "f"));
        receive(h::cats(int(t.letters.size())));
        receive(h::catchoosen(t.category));
        receive(h::theletters(int(t.letters.size()), t.letters));
        receive(h::entered(3));
        look();

        receive(h::anacro({{1, t.answer1}, {3, t.answer3}}));
        receive(h::dovote(2));
        look();

        cmd::VoteRecord first{true, true, true, 1, t.name1, 1};
        cmd::VoteRecord third{false, true, false, 3, t.name3, 0};
        receive(h::thevotes({first, third}));
        receive(h::postscores(team, 5, 2, {{1, 5, 5}, {2, 0, 0}, {3, 2, 2}}));
        side.acrolog->addacro(QString::fromUtf8(t.name1), QString::fromUtf8(t.category),
                              QString::fromUtf8(t.answer1), QString::fromUtf8(t.field));
        side.categorylist->saveit(QString::fromUtf8(t.category));
        look();

        receive(h::inbonus("1,3"));
        receive(h::winner(t.winner));
        // A number field that does not convert is quoted in the error box.
        receive("CMD_updatetime+" + t.field + '\xFF');
        receive("CMD_newplayerinfo+" + t.field + "+x\xFF");
        receive(h::playerdisconnected(3, t.name3));
        receive(h::playerdisconnected(13, t.spy));
        look();
    }
    fuzzsupport::settle();
    return 0;
}
