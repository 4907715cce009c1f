// The Invite window: where friends can join the room this program hosts. It
// lists the links a browser or phone opens, shows a QR code of the first one
// for a phone's camera, copies a link, and says how desktop players join.
#pragma once

#include <QStringList>

#include "windows/sidewindow.h"

class QLabel;
class QListWidget;
class QPushButton;

class QrView;

class Tinvite : public SideWindow
{
    Q_OBJECT
public:
    explicit Tinvite(QWidget *parent = nullptr);

    // The browser links (empty when the room serves no browsers) and the
    // addresses desktop players type ("ADDRESS:PORT" or "[v6]:PORT").
    void setRoom(const QStringList &webLinks, const QStringList &gameAddresses);
    QStringList webLinks() const { return links; }
    // The desktop program's links, "quibbleton://HOST:PORT (where)", shown
    // under the browser links; Copy Desktop Link copies the first one.
    void setDesktopLinks(const QStringList &lines);
    QString desktopLink() const;
    // The link the QR code and the Copy button stand for.
    QString currentLink() const;

    static constexpr char NoWebText[] =
        "Browsers cannot join this room: serving browsers is switched off in the game options.";

private:
    void showCurrent();

    QStringList links;
    QLabel *labelIntro = nullptr;
    QListWidget *listLinks = nullptr;
    QrView *qrView = nullptr;
    QPushButton *buttonCopy = nullptr;
    QLabel *labelDesktop = nullptr;
    QLabel *labelDesktopLinks = nullptr;
    QPushButton *buttonCopyDesktop = nullptr;
    QStringList desktop;
};
