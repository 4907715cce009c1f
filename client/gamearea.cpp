#include "client/gamearea.h"

Tgamearea::Tgamearea(ClientContext *context, QWidget *parent) : QWidget(parent), context(context)
{
    setObjectName("panel_back");
}

void Tgamearea::startthegame(const QByteArray &) {}
void Tgamearea::teamgame(const QByteArray &) {}
void Tgamearea::stats(const QByteArray &) {}
void Tgamearea::histeam(const QByteArray &) {}
void Tgamearea::getnextplayer(const QByteArray &) {}
void Tgamearea::postcats(const QByteArray &) {}
void Tgamearea::catchoosen(const QByteArray &) {}
void Tgamearea::posttheletters(const QByteArray &) {}
void Tgamearea::postacros(const QByteArray &) {}
void Tgamearea::dovote() {}
void Tgamearea::postvotes(const QByteArray &) {}
void Tgamearea::noanswer() {}
void Tgamearea::postscores(const QByteArray &) {}
void Tgamearea::novotes() {}
void Tgamearea::inbonus(const QByteArray &) {}
void Tgamearea::winner(const QByteArray &) {}
