// The game area: the top bar and the six stage panels of a round, with the
// routines the dispatcher hands round messages to. Each routine takes the
// message remainder; a number field that does not convert throws
// cmd::ParseError, which the dispatcher reports.
#pragma once

#include <QWidget>

#include "client/clientcontext.h"

class Tgamearea : public QWidget
{
    Q_OBJECT
public:
    explicit Tgamearea(ClientContext *context, QWidget *parent = nullptr);

    void startthegame(const QByteArray &data);
    void teamgame(const QByteArray &data);
    void stats(const QByteArray &data);
    void histeam(const QByteArray &data);
    void getnextplayer(const QByteArray &data);
    void postcats(const QByteArray &data);
    void catchoosen(const QByteArray &data);
    void posttheletters(const QByteArray &data);
    void postacros(const QByteArray &data);
    void dovote();
    void postvotes(const QByteArray &data);
    void noanswer();
    void postscores(const QByteArray &data);
    void novotes();
    void inbonus(const QByteArray &data);
    void winner(const QByteArray &data);

private:
    ClientContext *context;
};
