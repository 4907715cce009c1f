// The player board and the spy list: arrivals, departures, answer marks and
// the hosting player's removal of a player or spy.
#include "client/tchat.h"

#include <QAction>
#include <QMenu>

#include "client/colortext.h"
#include "client/playerboard.h"
#include "host/tserver.h"
#include "net/commands.h"
#include "windows/tspylist.h"

namespace {
const char YouAreConnected[] = "You are Connected.";
const char IsConnected[] = " is Connected.";
const char YouAreSpying[] = "You are spying.";
const char IsSpying[] = " is spying.";
const char Disconnected[] = " disconnected.";
const char HasLeft[] = " has left.";
const char BackInTheRoom[] = "Back in the room.";
const char AdultNotice[] = "This is an ADULT room.\n"
                           "Language not suitable for players under the age of 18!";
const char FamilyNotice[] = "This is a Family Oriented Game.\n"
                            "Langauge used must be suitable for all players regardless of age!";
const char NotRatedNotice[] = "This game is not rated. Content might not be suitable for all ages";
const TColor DepartureColour = 0x78989C;

} // namespace

void Tchat::on(const cmd::toClient::NewPlayer &message)
{
    newplayerinfo(message.slot.get(), QString::fromUtf8(message.name));
}

void Tchat::on(const cmd::toClient::ExistingPlayer &message)
{
    newplayerinfo(message.slot.get(), QString::fromUtf8(message.name));
}

void Tchat::newplayerinfo(int slot, const QString &name)
{
    if (slot < 1 || slot > LastSlot) return; // the host has no such slot

    // A player who is away arrives again under its away name, and once more
    // under its own when it is back: the host's notices tell of both, and the
    // board keeps its score.
    const QString shownBefore = slot <= BoardSlots
                                    ? FlatPanel2->caption(slot)
                                    : (spyPresent[slot] ? spyNames[slot] : QString());
    const QString suffix = QString::fromLatin1(TServer::AwaySuffix);
    const bool sameOrAway =
        !name.isEmpty() && slot != st.ownSlot &&
        (shownBefore == name || shownBefore == name + suffix || name == shownBefore + suffix);

    const bool back = slot == st.ownSlot && rejoinActive;
    if (back) {
        endReconnect(BackInTheRoom);
    } else if (slot == st.ownSlot) {
        addlinetochat(QString::fromLatin1(YouAreConnected), colortext::clYellow);
        loadinifile();
        if (st.isHost) startComputerPlayers();
        QString notice;
        st.filterOn = false;
        if (st.roomRating == QLatin1String(facts::RatingAdult)) {
            notice = QString::fromLatin1(AdultNotice);
        } else if (st.roomRating == QLatin1String(facts::RatingFamily)) {
            notice = QString::fromLatin1(FamilyNotice);
            st.filterOn = true;
        } else {
            notice = QString::fromLatin1(NotRatedNotice);
        }
        showNotice(notice);
    } else if (!name.isEmpty() && !sameOrAway) {
        addlinetochat(name + QLatin1String(IsConnected), colortext::clYellow);
        playsounds(QStringLiteral("entered"));
    }

    if (slot > BoardSlots) {
        // A slot holds one spy: a second arrival for it replaces the row.
        if (windows.spylist) {
            if (spyPresent[slot]) windows.spylist->removeSpy(slot, spyNames[slot]);
            windows.spylist->addSpy(slot, name);
        }
        spyPresent[slot] = true;
        spyNames[slot] = name;
        if (slot == st.ownSlot) {
            if (!back) addlinetochat(QString::fromLatin1(YouAreSpying), colortext::clYellow);
        } else if (!sameOrAway) {
            addlinetochat(name + QLatin1String(IsSpying), colortext::clYellow);
        }
    } else {
        const QString score = FlatPanel2->score(slot);
        FlatPanel2->showPlayer(slot, name);
        if (sameOrAway) FlatPanel2->setScore(slot, score);
    }
}

void Tchat::showNotice(const QString &notice)
{
    if (showpop->isChecked()) {
        if (showMessage) showMessage(notice);
        return;
    }
    for (const QString &line : notice.split(u'\n'))
        addlinetochat(line, colortext::clYellow);
}

void Tchat::on(const cmd::toClient::PlayerGone &message)
{
    const int slot = message.slot.get();
    const QString name = QString::fromUtf8(message.name);
    if (slot == st.ownSlot) {
        st.loggedIn = false;
        close();
    }
    if (slot >= 1 && slot <= BoardSlots) {
        const QString shown = FlatPanel2->caption(slot);
        if (shown != QLatin1String(PlayerBoard::WaitingCaption))
            addlinetochat(shown + QLatin1String(Disconnected), DepartureColour);
        FlatPanel2->clearPlayer(slot);
    }
    if (slot > BoardSlots && slot <= LastSlot && spyPresent[slot] && spyNames[slot] == name) {
        addlinetochat(name + QLatin1String(HasLeft), DepartureColour);
        if (windows.spylist) windows.spylist->removeSpy(slot, name);
        spyPresent[slot] = false;
        spyNames[slot].clear();
    }
}

void Tchat::on(const cmd::toClient::Entered &message)
{
    // A slot that names no mark on the board is ignored.
    const int slot = message.slot.value;
    if (!message.slot.ok || slot < 1 || slot > BoardSlots) return;
    FlatPanel2->setEnteredMark(slot, true);
}

void Tchat::label_playername2ContextPopup(int slot, const QPoint &globalPos)
{
    if (slot < 2 || slot > BoardSlots) return;
    RemoveFromGame1->setEnabled(st.isHost);
    ClearRemoved1->setEnabled(st.isHost);
    RemoveFromGame1->setData(slot);
    PopupMenu1->popup(globalPos);
}

void Tchat::RemoveFromGame1Click()
{
    kicking(RemoveFromGame1->data().toInt());
}

void Tchat::kicking(int slot)
{
    if (!st.isHost || !st.loggedIn) return;
    sendToHost(cmd::client::kickhim(st.ownSlot, slot));
}

void Tchat::showpopClick()
{
    saveOption(settings::KeyShowpop, settings::flagText(showpop->isChecked()));
}
