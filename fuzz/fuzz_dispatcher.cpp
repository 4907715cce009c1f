// The client's dispatcher: the program's windows, made afresh for each input,
// take a host's byte stream through the framer and the message pump. A broken
// or hostile host may make the client report errors, never crash it, and the
// pump always empties the queue.
#include "client/program.h"
#include "client/soundplayer.h"
#include "fuzz/fuzzsupport.h"
#include "net/framing.h"
#include "windows/sidewindow.h"

#include <QApplication>
#include <QDir>

using fuzzsupport::Input;

namespace {

class SilentSounds : public SoundPlayer
{
public:
    void play(const QString &) override {}
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzsupport::startQt<QApplication>(argc, argv);
    (void)fuzzsupport::programDir();
    SideWindow::setDefaultNotifier([](const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input in(data, size);
    QDir dir(fuzzsupport::programDir().path());
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden))
        dir.remove(name);
    {
        std::unique_ptr<Tchat> chat(createWindows());
        chat->endProgram = [] {};
        chat->showMessage = [](const QString &) {};
        chat->showError = [](const QString &) {};
        chat->setSoundPlayer(std::make_unique<SilentSounds>());
        // The first byte chooses whether this client hosts, which changes what
        // some messages do.
        chat->state().isHost = in.byte() & 1;

        Framer framer;
        const QByteArray stream = in.rest();
        // Reads of a few hundred bytes, each pumped out before the next.
        for (qsizetype at = 0; at < stream.size(); at += 300) {
            framer.feed(stream.mid(at, 300), *chat->receivedlist);
            for (int n = 0; n < 10000 && !chat->receivedlist->isEmpty(); ++n)
                chat->receivedlist->tick();
            FUZZ_CHECK(chat->receivedlist->isEmpty(), "the pump empties the queue");
        }
    }
    fuzzsupport::settle();
    return 0;
}
