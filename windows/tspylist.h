// The spy list: everybody connected above slot 12, who watches and chats without
// a place on the board. The hosting player can ask the host to remove a spy.
#pragma once

#include "windows/sidewindow.h"

class QAction;
class QListWidget;
class QMenu;

class Tspylist : public SideWindow
{
    Q_OBJECT
public:
    explicit Tspylist(QWidget *parent = nullptr);

    // The row text of a spy: "13: Eve".
    static QString spyText(int slot, const QString &name);
    void addSpy(int slot, const QString &name);
    // Deletes the row with exactly that text; false when there is none.
    bool removeSpy(int slot, const QString &name);
    QStringList spies() const;

    // "Remove From Game" works only for the hosting player.
    void setKickEnabled(bool enabled);
    bool kickEnabled() const;

    // The row under the pointer at its last move over the list, -1 when none.
    int pointedRow() const { return pointed; }

public slots:
    void popup_kickhimClick();
    void Button1Click();

signals:
    // The player asked to remove the spy in this slot; the main window's kicking
    // sends the request when it may.
    void kickRequested(int slot);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void listbox_spysMouseMove(const QPoint &pos);

    QListWidget *listboxSpys = nullptr;
    QMenu *popupKick = nullptr;
    QAction *popupKickhim = nullptr;
    int pointed = -1;
};
