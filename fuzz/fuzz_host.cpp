// The host through its test seams: a few seated players and fresh connections
// send raw bytes while the stage clock ticks and time passes. Whatever they
// send, the host keeps its texts within their limits and never sends a frame a
// client would refuse.
#include "fuzz/fuzzsupport.h"
#include "host/tserver.h"
#include "net/commands.h"
#include "tests/host/tserverprobe.h"

#include <QStringDecoder>

using fuzzsupport::Input;
using fuzzsupport::validUtf8;

namespace {

const char FF = '\xFF';

void checkSent(int slot, const QByteArray &message)
{
    FUZZ_CHECK(slot >= 0 && slot <= TServer::LastRecord, "sent to a record that exists");
    FUZZ_CHECK(message.endsWith(FF), "sent message ends in its terminator");
    // The client's framer drops a connection that sends more unterminated bytes.
    FUZZ_CHECK(message.size() <= framing::MaxPending, "sent message fits the client's framer");
    const QByteArray entry = message.chopped(1);
    FUZZ_CHECK(!entry.contains(FF), "no terminator inside a sent message");
    FUZZ_CHECK(entry.startsWith("CMD_"), "sent message starts with a command word");
}

void checkState(const TServer &s)
{
    for (int slot = 1; slot <= TServer::LastSlot; ++slot) {
        const TServer::TPlayer &p = s.player(slot);
        FUZZ_CHECK(p.name.size() <= TServer::MaxNameBytes, "stored name within its limit");
        FUZZ_CHECK(p.acro.size() <= TServer::MaxTextBytes, "stored answer within its limit");
        FUZZ_CHECK(p.framer.pendingSize() <= framing::MaxPending, "framer bounded");
    }
    FUZZ_CHECK(s.currentCategory().size() <= TServer::MaxTextBytes, "category within its limit");
}

void checkCut(const QByteArray &text, int limit)
{
    const QByteArray cut = cutText(text, limit);
    FUZZ_CHECK(cut.size() <= limit && text.startsWith(cut), "cut is a prefix within the limit");
    if (text.size() <= limit) FUZZ_CHECK(cut == text, "short text kept whole");
    if (validUtf8(text)) FUZZ_CHECK(validUtf8(cut), "cut splits no character");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzsupport::startQt<QCoreApplication>(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input in(data, size);
    qint64 now = 1000;
    {
        TServer server;
        server.setSeed(in.byte());
        server.setClock([&now] { return now; });
        TServerProbe(server).sendHook() = [](int slot, const QByteArray &message) {
            checkSent(slot, message);
        };
        const int seated = 2 + in.byte() % 11;
        static const QByteArray names[] = {"Ann", "Bob", "Cy",  "Di", "Ed",  "Flo",
                                           "Gus", "Hal", "Ida", "Jo", "Kim", "Lu"};
        for (int slot = 1; slot <= seated; ++slot)
            TServerProbe(server).addTestPlayer(slot, names[slot - 1]);

        // Each step: one byte says what happens, then its text up to the next newline.
        for (int steps = 0; !in.atEnd() && steps < 200; ++steps) {
            const quint8 op = in.byte();
            const int slot = 1 + (op >> 3) % TServer::LastRecord;
            switch (op & 7) {
            case 0:
            case 1:
            case 2: { // bytes from the connection in that slot
                const QByteArray bytes = in.text();
                TServerProbe(server).injectBytes(slot, bytes);
                checkCut(bytes, 1 + (op >> 3) * 8);
                break;
            }
            case 3: // one whole message, terminated
                TServerProbe(server).injectBytes(slot, in.text() + FF);
                break;
            case 4: // the stage clock ticks, a second apart
                for (int n = 0; n <= (op >> 3); ++n) {
                    now += 1000;
                    server.Timer1Timer();
                }
                break;
            case 5:
                TServerProbe(server).addTestConnection();
                break;
            case 6:
                now += qint64(op >> 3) * 37;
                break;
            case 7: // a stage runs out
                for (int n = 0; n < 400 && server.stageClockRunning(); ++n) {
                    now += 1000;
                    server.Timer1Timer();
                    TServerProbe(server).drainQueue();
                }
                break;
            }
            TServerProbe(server).drainQueue();
            checkState(server);
        }
    }
    fuzzsupport::settle();
    return 0;
}
