// A host without sockets: players are created directly, messages go in through
// the framing as if they came from a player's connection, and everything the
// host sends is recorded per slot (terminator removed).
#pragma once

#include <QtTest>

#include "host/tserver.h"
#include "net/commands.h"
#include "tests/host/tserverprobe.h"
#include "tests/support/stages.h"

namespace hosttest {

struct Sent
{
    int slot;
    QByteArray message;
};

class Harness
{
public:
    Harness()
    {
        server.setSeed(12345);
        server.setClock([this] { return now; });
        TServerProbe(server).sendHook() = [this](int slot, const QByteArray &message) {
            QByteArray text = message;
            if (text.endsWith('\xFF')) text.chop(1);
            sent.append({slot, text});
        };
    }

    // Occupied and logged-in players in slots 1..names.size().
    void seat(const QList<QByteArray> &names)
    {
        for (int i = 0; i < names.size(); ++i)
            TServerProbe(server).addTestPlayer(i + 1, names[i]);
    }

    // A message from the connection that holds `slot`, dispatched at once.
    void from(int slot, const QByteArray &wireMessage)
    {
        TServerProbe(server).injectBytes(slot, wireMessage);
        TServerProbe(server).drainQueue();
    }

    void tick(int n = 1)
    {
        for (int i = 0; i < n; ++i)
            server.Timer1Timer();
    }

    int runStage() { return testsupport::runStage(server); }

    QList<QByteArray> to(int slot) const
    {
        QList<QByteArray> out;
        for (const Sent &s : sent)
            if (s.slot == slot) out.append(s.message);
        return out;
    }

    // Messages to `slot` other than the clock's CMD_updatetime.
    QList<QByteArray> events(int slot) const
    {
        QList<QByteArray> out;
        for (const QByteArray &m : to(slot))
            if (!m.startsWith(cmd::CMD_updatetime)) out.append(m);
        return out;
    }

    // Messages to `slot` that start with `prefix`.
    QList<QByteArray> to(int slot, const QByteArray &prefix) const
    {
        QList<QByteArray> out;
        for (const QByteArray &m : to(slot))
            if (m.startsWith(prefix)) out.append(m);
        return out;
    }

    // The slots a message went to, in sending order.
    QList<int> recipients(const QByteArray &message) const
    {
        QList<int> out;
        for (const Sent &s : sent)
            if (s.message == message) out.append(s.slot);
        return out;
    }

    QByteArray last(int slot, const QByteArray &prefix) const
    {
        const QList<QByteArray> found = to(slot, prefix);
        return found.isEmpty() ? QByteArray() : found.last();
    }

    void clear() { sent.clear(); }

    // A non-team game with the given option fields after the starter's name.
    static QByteArray startFields(int playTo = 30, bool bonus = false, bool team = false,
                                  bool winByBonus = false, bool speed = false, int maxLetters = 7,
                                  bool autoRestart = false, int createTime = 60)
    {
        cmd::GameOptions o;
        o.starterName = "Ann";
        o.playTo = playTo;
        o.creationSeconds = createTime;
        o.playBonus = bonus;
        o.bonusLetters = 10;
        o.teamGame = team;
        o.winningBonus = winByBonus;
        o.speedBonus = speed;
        o.maxLetters = maxLetters;
        o.autoRestart = autoRestart;
        o.noCouchTopics = false;
        return cmd::client::startgame(o);
    }

    TServer server;
    TServerProbe probe{server};
    QList<Sent> sent;
    qint64 now = 1000;
};

inline QList<int> range(int first, int last)
{
    QList<int> out;
    for (int i = first; i <= last; ++i)
        out.append(i);
    return out;
}

} // namespace hosttest
