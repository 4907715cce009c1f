// The one way tests set up host state that the game would take many rounds to
// reach, and the seams that need no sockets: a friend of TServer. Everything
// else goes in as real messages and is read through TServer's own read-only
// views.
#pragma once

#include <functional>

#include "host/tserver.h"

class TServerProbe
{
public:
    explicit TServerProbe(TServer &server) : s(server) {}

    // One record of the player table, for scores, teams and answers.
    TServer::TPlayer &record(int slot) { return s.players.at(slot); }
    void setStage(TServer::Stage stage) { s.gamestate = stage; }
    void setStageCount(int count) { s.countdown = count; }
    void setChooser(int slot) { s.nextplayer = slot; }
    void setLetterCount(int letters) { s.numletters = letters; }
    void setBonusPending(bool pending) { s.bonuspending = pending; }
    void setTeamScores(int yellow, int white) { s.teamscore = {0, yellow, white}; }
    void setGameRunning(bool running) { s.gamerunning = running; }

    // Every message to a slot passes through this hook.
    std::function<void(int slot, const QByteArray &message)> &sendHook() { return s.sendHook; }

    // addTestConnection admits a connection the way an accept does and
    // returns its slot (16 when refused); addTestPlayer also logs it in under
    // `name` without any message. With `from`: a connection from that address
    // or browser.
    int addTestConnection() { return s.addTestConnection(); }
    int addTestConnection(const TServer::Peer &from) { return s.addTestConnection(from); }
    int addTestPlayer(int slot, const QByteArray &name) { return s.addTestPlayer(slot, name); }
    int addTestPlayer(int slot, const QByteArray &name, const TServer::Peer &from)
    {
        return s.addTestPlayer(slot, name, from);
    }
    // The slot's connection ends the way `kind` says, as its socket would
    // report it: the peer closed it, or it failed (reset, time-out).
    using TestEnd = TServer::TestEnd;
    void endTestConnection(int slot, TestEnd kind) { s.endTestConnection(slot, kind); }
    // Queues a message as if it arrived on the connection holding `slot`.
    void injectMessage(int slot, const QByteArray &entry) { s.injectMessage(slot, entry); }
    void injectFromConnection(quint64 connection, const QByteArray &entry)
    {
        s.injectFromConnection(connection, entry);
    }
    // Feeds raw bytes as if read from the slot's connection (framing included).
    void injectBytes(int slot, const QByteArray &bytes) { s.injectBytes(slot, bytes); }
    // Runs the pump until the queue is empty, shares aside.
    void drainQueue() { s.drainQueue(); }
    int queuedMessages() const { return s.queuedMessages(); }

    // The options the last start message left.
    struct Options
    {
        int playTo, createTime, bonusLetters, maxLetters;
        bool bonus, team, winByBonus, speed, autoRestart;
        QByteArray startMessage; // the start message as kept, built again
    };
    Options options() const
    {
        return {s.playto,     s.createtime, s.bonusletters, s.maxletters,  s.bonusenabled,
                s.isteamgame, s.winbybonus, s.speedbonus,   s.autorestart, s.startmsg.build()};
    }

private:
    TServer &s;
};
