// End to end: player A types a chat line and presses Enter, player B's chat
// shows it. Two real main windows on the offscreen platform in one process, A
// hosting (its host in the same process, as in a real game), B joined over
// 127.0.0.1. Taken with the prompt pumps and again with the paced pumps of old
// (host every 10 ms, clients every 1 ms) as the baseline, in one run. The time
// ends when the line is in B's chat document; painting is not included.
//
//   bench_client_chat [--lines N]
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench/benchsupport.h"
#include "client/chatdisplay.h"
#include "client/program.h"
#include "client/tchat.h"
#include "host/tserver.h"
#include "resources/resourcenames.h"
#include "shell/programfolder.h"
#include "tests/support/testsupport.h"

namespace {

Tchat *quietWindow()
{
    Tchat *chat = createWindows();
    chat->endProgram = [] {};
    chat->showMessage = [](const QString &) {};
    chat->show();
    return chat;
}

using benchsupport::percentile;
using benchsupport::waitFor;

void setPaced(Tchat *a, Tchat *b, bool paced)
{
    const auto mode = paced ? ReceiveQueue::PumpMode::Paced : ReceiveQueue::PumpMode::Prompt;
    a->server()->setPumpMode(mode);
    a->receivedlist->setPumpMode(mode);
    b->receivedlist->setPumpMode(mode);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    res::init();
    QTemporaryDir folder;
    setProgramFolder(folder.path());
    int lines = 300;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i)
        if (args[i] == "--lines") lines = args[i + 1].toInt();

    Tchat *a = quietWindow();
    a->setGamePort(testsupport::freePort());
    a->setLobbyPort(testsupport::freePort());
    a->processparams({"Ann", "127.0.0.1", "true", "a"});
    if (!QTest::qWaitFor([a] { return a->settingsWereRead(); }, 10000)) return 1;
    Tchat *b = quietWindow();
    b->setGamePort(a->server()->listeningPort());
    b->setLobbyPort(testsupport::freePort());
    b->processparams({"Bob", "127.0.0.1", "false", "a"});
    if (!QTest::qWaitFor([b] { return b->settingsWereRead(); }, 10000)) return 1;
    QTest::qWait(300);

    QElapsedTimer clock;
    clock.start();
    qint64 shownAt = -1;
    QString awaited;
    QTextDocument *doc = b->chatDisplay()->document();
    QObject::connect(doc, &QTextDocument::contentsChanged, [&] {
        if (!awaited.isEmpty() && doc->lastBlock().text().contains(awaited))
            shownAt = clock.nsecsElapsed();
    });

    // Alternating blocks of 50 lines, so both modes see the same machine.
    std::vector<double> times[2];
    int lost[2] = {0, 0};
    for (int block = 0; block < 2 * ((lines + 49) / 50); ++block) {
        const bool paced = block % 2 == 1;
        setPaced(a, b, paced);
        for (int i = 0; i < 50; ++i) {
            awaited = QStringLiteral("[e2e %1]").arg(block * 50 + i);
            shownAt = -1;
            a->chatEntry()->setText(awaited);
            const qint64 sent = clock.nsecsElapsed();
            a->sendit();
            if (!waitFor([&] { return shownAt >= 0; }, 2000)) {
                if (++lost[paced] > 10) return 1;
                continue;
            }
            times[paced].push_back(double(shownAt - sent) / 1e6);
            waitFor([] { return false; }, 20);
        }
    }
    std::printf("chat line typed in A to shown in B, %zu + %zu lines:\n", times[0].size(),
                times[1].size());
    for (int paced = 0; paced < 2; ++paced)
        std::printf("  %-22s p50 %6.3f ms, p99 %6.3f ms, max %7.3f ms, %d lost\n",
                    paced ? "paced pumps (old):" : "prompt pumps:", percentile(times[paced], 0.5),
                    percentile(times[paced], 0.99), percentile(times[paced], 1.0), lost[paced]);
    delete b;
    delete a;
    return 0;
}
