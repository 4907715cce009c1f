// Tplaywithothers: the "Play with Others" window. It lists the rooms on the
// local network while it is open, and lets the player host a room, join a
// listed one or join one by its address. It only asks: the main window does
// the hosting and joining and tells it how a try ended, and on a failure the
// window stays open for the next try.
#pragma once

#include <QString>

#include "windows/sidewindow.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class RoomFinder;

class Tplaywithothers : public SideWindow
{
    Q_OBJECT
public:
    enum Failure
    {
        NobodyThere,
        Refused,
        Full,
        DifferentVersion,
        CannotHost,
        BadAddress,
        NoName,
        NoRoomChosen,
    };
    // Longer names are cut here; the host cuts at 256 bytes anyway.
    static constexpr int MaxNameLength = 64;

    explicit Tplaywithothers(QWidget *parent = nullptr);

    RoomFinder *finder() const { return roomFinder; }
    // How often the list is asked again while the window is open; 0: only
    // when the finder's query() is called.
    void setRefreshInterval(int ms) { refreshMs = ms; }
    // The name offered when none is remembered yet.
    void setSuggestedName(const QString &name) { suggestedName = name; }

    // "Open the port on my router" among the hosting choices: off at every
    // start, as nothing is opened on the router unless the player asks.
    bool mapPortWanted() const;
    static constexpr char MapPortCaption[] = "Open the port on my router";

    // An invite link's room ("host:port"): shown in the window and joined at
    // once when a name is remembered; otherwise the window asks for one first.
    void joinInvite(const QString &address);
    static constexpr char AskNameText[] = "Type your name, then press Join by Address.";

    // How the main window's try ended.
    void showFailure(Failure failure, const QString &detail = QString());
    void tryFinished(bool joined);
    QString message() const;
    // The text of a failure as the player reads it.
    static QString failureText(Failure failure, const QString &detail);

    // The buttons' work, callable from tests as from the buttons.
    void button_joinClick();
    void button_hostClick();
    void button_joinaddressClick();

    // Section of our own in the shared settings file; the game's section is
    // not touched.
    static constexpr char SettingsSection[] = "QuibbletonRooms";

signals:
    void hostRequested(const QString &name, const QString &rating);
    void joinRequested(const QString &name, const QString &host, quint16 port,
                       const QString &rating);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void fillList();
    bool takeName(QString &name);
    void remember(const QString &key, const QString &value);
    void setBusy(bool busy, const QString &text);
    void join(const QString &name, const QString &host, quint16 port, const QString &rating,
              const QString &shown);

    RoomFinder *roomFinder = nullptr;
    QLineEdit *edit_name = nullptr;
    QTreeWidget *list_rooms = nullptr;
    QPushButton *button_join = nullptr;
    QComboBox *combo_rating = nullptr;
    QPushButton *button_host = nullptr;
    QCheckBox *check_mapport = nullptr;
    QLineEdit *edit_address = nullptr;
    QPushButton *button_joinaddress = nullptr;
    QLabel *label_message = nullptr;
    QPushButton *button_close = nullptr;
    int refreshMs = 3000;
    QString suggestedName;
    bool loaded = false;
};
