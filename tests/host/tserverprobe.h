// The one way tests set up host state that the game would take many rounds to
// reach: a friend of TServer. Everything else goes in as real messages and is
// read through TServer's own read-only views.
#pragma once

#include "host/tserver.h"

class TServerProbe
{
public:
    explicit TServerProbe(TServer &server) : s(server) {}

    // One record of the player table, for scores, teams and answers.
    TServer::TPlayer &record(int slot) { return s.players.at(slot); }
    void setStage(const QByteArray &stage) { s.gamestate = stage; }
    void setStageCount(int count) { s.countdown = count; }
    void setChooser(int slot) { s.nextplayer = slot; }
    void setLetterCount(int letters) { s.numletters = letters; }
    void setBonusPending(bool pending) { s.bonuspending = pending; }
    void setTeamScores(int yellow, int white) { s.teamscore = {0, yellow, white}; }
    void setGameRunning(bool running) { s.gamerunning = running; }

    // The options the last start message left.
    struct Options
    {
        int playTo, createTime, bonusLetters, maxLetters;
        bool bonus, team, winByBonus, speed, autoRestart;
        QByteArray startMessage;
    };
    Options options() const
    {
        return {s.playto,     s.createtime, s.bonusletters, s.maxletters,  s.bonusenabled,
                s.isteamgame, s.winbybonus, s.speedbonus,   s.autorestart, s.startmsg};
    }

private:
    TServer &s;
};
