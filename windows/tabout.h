// The about window: what the game is, its version and a link to its maker.
#pragma once

#include "windows/sidewindow.h"

class QLabel;

class Tabout : public SideWindow
{
    Q_OBJECT
public:
    explicit Tabout(QWidget *parent = nullptr);

    // The caption of the label `version`: the game's version.
    QString version() const;
    static const char *makerAddress();

public slots:
    void button_okClick();

private:
    QLabel *labelVersion = nullptr;
};
