// The cost of the chat display per line, in a shown main window on the
// offscreen platform: bursts of 20 chat lines of 4 KB (one socket read's
// worth) arrive through the client's framing and pump and are drawn. Batched
// insertion (the lines of a burst go in together) against the old way, one
// insertion and one scroll per line, in one run, alternating blocks.
//
//   bench_client_chatdisplay [--lines N] [--size BYTES]
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTextDocument>
#include <cstdio>
#include <ctime>

#include "client/chatdisplay.h"
#include "client/program.h"
#include "client/tchat.h"
#include "net/commands.h"
#include "resources/resourcenames.h"
#include "shell/programfolder.h"
#include "tests/support/testsupport.h"

namespace {
const int Burst = 20;

double cpuMs()
{
    return double(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
}
} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    res::init();
    testsupport::TempProgramFolder folder;
    int lines = 2000;
    int size = 4000;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--lines") lines = args[i + 1].toInt();
        if (args[i] == "--size") size = args[i + 1].toInt();
    }
    Tchat *chat = createWindows();
    chat->endProgram = [] {};
    chat->showMessage = [](const QString &) {};
    chat->show();
    QTest::qWait(200);

    const QByteArray text(size, 'w');
    double wall[2] = {0, 0}, cpu[2] = {0, 0};
    int count[2] = {0, 0};
    QElapsedTimer clock;
    for (int block = 0; block < 2 * ((lines + 199) / 200); ++block) {
        const bool old = block % 2 == 1;
        for (int b = 0; b < 200 / Burst; ++b) {
            QByteArray read;
            for (int i = 0; i < Burst; ++i)
                read += cmd::host::chat("P" + QByteArray::number(i % 14 + 1), text + "|clRed");
            clock.start();
            const double cpuStart = cpuMs();
            if (old) {
                // One insertion and one scroll per line, as the display did.
                for (int i = 0; i < Burst; ++i)
                    chat->addlinetochat(QStringLiteral("P chats: ") + QString::fromLatin1(text),
                                        0xC0C0C0);
            } else {
                Framer framer;
                framer.feed(read, *chat->receivedlist);
                while (!chat->receivedlist->isEmpty())
                    QCoreApplication::processEvents();
            }
            // Drawn as the event loop would draw it.
            chat->chatDisplay()->viewport()->repaint();
            QCoreApplication::processEvents();
            wall[old] += double(clock.nsecsElapsed()) / 1e6;
            cpu[old] += cpuMs() - cpuStart;
            count[old] += Burst;
        }
    }
    std::printf("chat lines of %d bytes in bursts of %d, shown and drawn (%d + %d lines):\n", size,
                Burst, count[0], count[1]);
    for (int old = 0; old < 2; ++old)
        std::printf(
            "  %-28s %7.3f ms wall, %7.3f ms CPU per line; %d lines held\n",
            old ? "one insertion a line (old):" : "batched insertion:", wall[old] / count[old],
            cpu[old] / count[old], chat->chatDisplay()->document()->blockCount());
    delete chat;
    return 0;
}
