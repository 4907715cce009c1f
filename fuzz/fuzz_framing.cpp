// The framer and the receive queue: two connections' byte streams cut into
// reads of arbitrary sizes. Whatever the pieces, each connection's messages
// come out whole and in order, and the queue's bookkeeping returns to zero.
#include "fuzz/fuzzsupport.h"
#include "net/framing.h"

#include <random>

using fuzzsupport::Input;

namespace {

struct Connection
{
    quint64 id = 0;
    Framer framer;
    QByteArray stream; // everything fed to it
    bool refused = false;
};

void checkSplit(const QByteArray &entry)
{
    const SplitEntry split = splitEntry(entry);
    if (!split.valid) return;
    FUZZ_CHECK(!split.command.isEmpty() && !split.command.contains('+'), "command word");
    FUZZ_CHECK(split.command + '+' + split.remainder == entry, "split keeps every byte");
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
    const quint8 options = in.byte();
    std::minstd_rand cuts(in.byte() + 1);
    QByteArray bytes = in.rest();
    // Large streams reach the limit on unterminated data (now and then: they are slow).
    if ((options & 15) == 1 && !bytes.isEmpty())
        bytes = bytes.repeated(1 + (framing::MaxPending + 16) / int(bytes.size()));

    ReceiveQueue queue;
    if (options & 16) queue.setBacklogLimit(64 + 8 * (options >> 5));
    QList<ReceivedEntry> dispatched;
    queue.setPump(1000, [&](const ReceivedEntry &entry) { dispatched.append(entry); });

    Connection conns[2];
    conns[0].id = 7;
    conns[1].id = 9;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype piece = qsizetype(cuts() % 700) + 1;
        Connection &c = conns[cuts() % 2];
        const QByteArray chunk = bytes.mid(at, piece);
        at += chunk.size();
        c.stream += chunk;
        if (!c.framer.feed(chunk, queue, c.id)) c.refused = true;
        FUZZ_CHECK(c.framer.pendingSize() <= framing::MaxPending, "pending bounded");
    }

    // While nothing was refused, a connection's entries are its stream cut at
    // every terminator, and what follows the last one waits.
    QList<QByteArray> queued[2];
    while (!queue.isEmpty()) {
        const ReceivedEntry first = queue.takeFirst();
        queued[first.connection == conns[1].id].append(first.text);
        checkSplit(first.text);
    }
    for (int i = 0; i < 2; ++i) {
        FUZZ_CHECK(queue.backlog(conns[i].id) == 0, "backlog back to zero");
        if (conns[i].refused) continue;
        QList<QByteArray> expected = conns[i].stream.split(framing::Terminator);
        const QByteArray tail = expected.takeLast();
        FUZZ_CHECK(queued[i] == expected, "messages whole and in order");
        FUZZ_CHECK(conns[i].framer.pendingSize() == tail.size(), "unterminated tail kept");
    }

    // The pump hands over exactly the dispatchable entries, one per tick, and
    // removing a connection leaves the other's entries in order.
    for (int i = 0; i < 2; ++i)
        for (const QByteArray &text : queued[i])
            queue.append(text, conns[i].id);
    queue.removeConnection(conns[0].id);
    while (!queue.isEmpty())
        queue.tick();
    QList<QByteArray> expected;
    for (const QByteArray &text : queued[1])
        if (splitEntry(text).valid) expected.append(text);
    QList<QByteArray> got;
    for (const ReceivedEntry &entry : dispatched) {
        FUZZ_CHECK(entry.connection == conns[1].id, "removed connection dispatched");
        got.append(entry.text);
    }
    FUZZ_CHECK(got == expected, "pump dispatches the valid entries in order");
    FUZZ_CHECK(!queue.pumpActive(), "pump sleeps when empty");
    return 0;
}
