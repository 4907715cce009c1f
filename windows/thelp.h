// The help window: six pages of text about the game.
#pragma once

#include "windows/sidewindow.h"

class QTabWidget;

class Thelp : public SideWindow
{
    Q_OBJECT
public:
    explicit Thelp(QWidget *parent = nullptr);

    // Page titles, in order.
    static const QStringList &pageTitles();
    // Shows the page with that title (the first page when there is none).
    void showPage(const QString &title);

private:
    QTabWidget *pages = nullptr;
};
