// How long the main window takes to appear, how long a solo start takes until
// the player is in, and the peak memory of a client whose chat is full.
// Prints figures; never fails on speed.
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

#include "client/program.h"
#include "resources/resourcenames.h"
#include "shell/programfolder.h"
#include "tests/support/testsupport.h"

namespace {
double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    res::init();
    QTemporaryDir folder;
    setProgramFolder(folder.path());

    // The first window of the process, as a player's start makes it.
    Tchat *first = createWindows();
    first->endProgram = [] {};
    first->show();
    (void)QTest::qWaitForWindowExposed(first);
    const double firstShownMs = sinceStart.nsecsElapsed() / 1e6;
    delete first;

    const int runs = 15;
    std::vector<double> shown, solo;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        Tchat *chat = createWindows();
        chat->endProgram = [] {};
        chat->showMessage = [](const QString &) {};
        chat->show();
        (void)QTest::qWaitForWindowExposed(chat);
        shown.push_back(t.nsecsElapsed() / 1e6);

        t.restart();
        chat->setGamePort(testsupport::freePort());
        chat->processparams({});
        (void)QTest::qWaitFor([chat] { return chat->settingsWereRead(); }, 10000);
        solo.push_back(t.nsecsElapsed() / 1e6);
        delete chat;
    }

    Tchat *full = createWindows();
    full->endProgram = [] {};
    full->show();
    for (int i = 0; i < Tchat::MaxChatLines * 2; ++i)
        full->addlinetochat(QStringLiteral("Ann chats: line %1 of a long evening of chat").arg(i),
                            0x0000FF);
    QApplication::processEvents();
    const long peak = peakKiB();
    delete full;

    std::printf("main window shown, first in the process (includes QApplication): %.1f ms\n",
                firstShownMs);
    std::printf("main window made and shown (median of %d): %.1f ms\n", runs, median(shown));
    std::printf("solo start until the player is in (median of %d): %.1f ms\n", runs, median(solo));
    std::printf("peak memory with %d chat lines written: %ld KiB\n", Tchat::MaxChatLines * 2, peak);
    return 0;
}
