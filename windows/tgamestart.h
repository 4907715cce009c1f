// The game options dialog: the hosting player picks the options of the next game
// and starts it. The dialog owns no connection: it hands the finished start
// message to the main window, which sends it.
#pragma once

#include "net/commands.h"
#include "windows/sidewindow.h"
#include "windows/webchoice.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class UpDownBox;

class Tgamestart : public SideWindow
{
    Q_OBJECT
public:
    explicit Tgamestart(QWidget *parent = nullptr);

    // The name the start message carries first (the player's own name).
    void setStarterName(const QString &name);
    QString starterName() const { return starter; }

    // The eleven fields the next "Start Game" sends, as the controls show them.
    cmd::GameOptions options() const;

    // The dialog's keys of the settings file, read the way the main window reads
    // the file at login: a number that is empty or not decimal leaves its control
    // as it is; flags compare exactly with "true"/"false".
    void readSettings();
    // Writes the dialog's keys ("Team Game" is not stored). False when the file
    // could not be written; the player has then been told.
    bool writeSettings();
    // The dialog's keys and their values as writeSettings writes them.
    QList<QPair<QString, QString>> settingsValues() const;

    // How long a room of ours keeps the place of a player whose connection
    // dropped (0: not at all). Kept in the settings file's section of our own.
    int rejoinSeconds() const;
    // Whether the rooms this program hosts serve browsers, and on which port;
    // stored in our own section as soon as the player changes them.
    webchoice::Choice webChoice() const;
    static constexpr int DefaultWebPort = 7773;
    static constexpr char RejoinSection[] = "QuibbletonExtras";
    static constexpr char KeyRejoinSeconds[] = "RejoinSeconds";

public slots:
    void button_startClick();
    void checkbox_playbonusClick();

protected:
    // Opens centred on the main window.
    void showEvent(QShowEvent *event) override;

signals:
    // The rejoin time changed (the player's choice or the settings file).
    void rejoinSecondsChanged(int seconds);
    // A complete "CMD_startgame" message, 0xFF included, for the main window to send.
    void startRequested(const QByteArray &message);

private:
    QString starter;
    UpDownBox *upDown1 = nullptr;   // play to score
    UpDownBox *upDown2 = nullptr;   // creation time
    UpDownBox *upDown4 = nullptr;   // max letters
    UpDownBox *upDown3 = nullptr;   // letters in bonus
    UpDownBox *upDown5 = nullptr;   // rejoin time
    UpDownBox *upDownWeb = nullptr; // browser port
    QCheckBox *checkboxWeb = nullptr;
    bool loadingWeb = false;
    void storeWebChoice();
    QCheckBox *checkboxSpeed = nullptr;
    QCheckBox *checkboxCouch = nullptr;
    QCheckBox *checkboxTeam = nullptr;
    QCheckBox *checkboxAuto = nullptr;
    QCheckBox *checkboxPlaybonus = nullptr;
    QLabel *labelBonus = nullptr;
    QRadioButton *checkboxScore = nullptr;
    QRadioButton *checkboxBonus = nullptr;
    QPushButton *buttonStart = nullptr;
};
