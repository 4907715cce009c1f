#include "windows/tspylist.h"

#include "resources/palette.h"
#include "windows/plaintext.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const char WindowTitleText[] = "Quibbleton-Spys";
const char HeadingText[] = "Spy List";
const char KickText[] = "Remove From Game";
const char Separator[] = ": ";

} // namespace

Tspylist::Tspylist(QWidget *parent) : SideWindow(parent, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("spylist"));
    setWindowTitle(QLatin1String(WindowTitleText));

    auto *heading = new PlainLabel(QLatin1String(HeadingText), this);
    heading->setObjectName(QStringLiteral("label_heading"));
    styleLabel(heading, palette::Yellow, font().pointSize() + 3);
    heading->setAlignment(Qt::AlignCenter);

    listboxSpys = new QListWidget(this);
    listboxSpys->setObjectName(QStringLiteral("listbox_spys"));
    listboxSpys->setProperty("Tag", -1);
    listboxSpys->setMouseTracking(true);
    listboxSpys->viewport()->setMouseTracking(true);
    listboxSpys->viewport()->installEventFilter(this);

    popupKick = new QMenu(this);
    popupKick->setObjectName(QStringLiteral("popup_kick"));
    popupKickhim = popupKick->addAction(QLatin1String(KickText));
    popupKickhim->setObjectName(QStringLiteral("popup_kickhim"));
    popupKickhim->setEnabled(false);
    connect(popupKickhim, &QAction::triggered, this, &Tspylist::popup_kickhimClick);

    auto *ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    connect(ok, &QPushButton::clicked, this, &Tspylist::Button1Click);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(heading);
    layout->addWidget(listboxSpys, 1);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    resize(200, 210);
}

QString Tspylist::spyText(int slot, const QString &name)
{
    return QString::number(slot) + QLatin1String(Separator) + name;
}

void Tspylist::addSpy(int slot, const QString &name)
{
    listboxSpys->addItem(spyText(slot, name));
}

bool Tspylist::removeSpy(int slot, const QString &name)
{
    const QString text = spyText(slot, name);
    for (int i = 0; i < listboxSpys->count(); ++i) {
        if (listboxSpys->item(i)->text() != text) continue;
        delete listboxSpys->takeItem(i);
        // The rows below moved up: the row under the pointer is no longer known.
        pointed = -1;
        listboxSpys->setProperty("Tag", pointed);
        return true;
    }
    return false;
}

QStringList Tspylist::spies() const
{
    QStringList list;
    for (int i = 0; i < listboxSpys->count(); ++i)
        list.append(listboxSpys->item(i)->text());
    return list;
}

void Tspylist::setKickEnabled(bool enabled)
{
    popupKickhim->setEnabled(enabled);
}

bool Tspylist::kickEnabled() const
{
    return popupKickhim->isEnabled();
}

void Tspylist::listbox_spysMouseMove(const QPoint &pos)
{
    pointed = listboxSpys->indexAt(pos).row();
    listboxSpys->setProperty("Tag", pointed);
}

void Tspylist::popup_kickhimClick()
{
    if (!kickEnabled() || pointed < 0 || pointed >= listboxSpys->count()) return;
    const QString text = listboxSpys->item(pointed)->text();
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 0) return;
    bool ok = false;
    const int slot = text.left(colon).toInt(&ok, 10);
    if (ok) emit kickRequested(slot);
}

void Tspylist::Button1Click()
{
    close();
}

bool Tspylist::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != listboxSpys->viewport()) return false;
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
        listbox_spysMouseMove(static_cast<QMouseEvent *>(event)->position().toPoint());
        return false;
    case QEvent::ContextMenu: {
        auto *menuEvent = static_cast<QContextMenuEvent *>(event);
        if (menuEvent->reason() == QContextMenuEvent::Mouse)
            listbox_spysMouseMove(menuEvent->pos());
        popupKick->popup(menuEvent->globalPos());
        return true;
    }
    default:
        return false;
    }
}
