#include "windows/tplaywithothers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "net/commands.h"
#include "net/gamefacts.h"
#include "net/roomfinder.h"
#include "resources/palette.h"
#include "shell/launchargs.h"
#include "shell/profile.h"
#include "shell/settings.h"
#include "windows/plaintext.h"

namespace {
const char TitleText[] = "Play with Others";
const char NameCaption[] = "Your name:";
const char RoomsCaption[] = "Rooms on your network";
const char JoinCaption[] = "Join";
const char HostCaption[] = "Host a Room";
const char RatingCaption[] = "Rating:";
const char AddressCaption[] = "Address (host, host:port or [v6]:port):";
const char JoinAddressCaption[] = "Join by Address";
const char CloseCaption[] = "Close";
const char EmptyRoom[] = "(empty room)";
const char Running[] = "running";
const char Waiting[] = "waiting";
const char OtherVersion[] = "version ";
const char JoiningText[] = "Joining %1 ...";
const char HostingText[] = "Hosting a room ...";

const char NobodyThereText[] = "Nobody is hosting a room at %1.";
const char RefusedText[] = "%1 refused the connection: no room is open there.";
const char FullText[] = "That room is full.";
const char DifferentVersionText[] = "That room runs version %1 of the game; you have %2.";
const char CannotHostText[] = "Could not host a room: %1";
const char BadAddressText[] = "\"%1\" is not an address. Type host, host:port or [v6]:port.";
const char NoNameText[] = "Type your name first.";
const char NoRoomText[] = "Choose a room in the list first.";

const char KeyName[] = "Name";
const char KeyRating[] = "Rating";
const char KeyAddress[] = "Address";

enum Column
{
    ColHost,
    ColRating,
    ColPlayers,
    ColSpies,
    ColGame,
    ColAddress,
    Columns
};
const char *const ColumnTitles[Columns] = {"Host", "Rating", "Players", "Spies", "Game", "Address"};

// Ratings in the order of the rating box: family, adult, not rated.
const char *const RatingCodes[] = {facts::RatingFamily, facts::RatingAdult, ""};
const char *const RatingNames[] = {"family", "adult", "not rated"};

QString ratingName(const QString &code)
{
    for (int i = 0; i < 3; ++i)
        if (code == QLatin1String(RatingCodes[i])) return QString::fromLatin1(RatingNames[i]);
    return QString::fromLatin1(RatingNames[2]);
}

QString addressText(const QHostAddress &address, quint16 port)
{
    QString host = address.toString();
    if (address.protocol() == QAbstractSocket::IPv6Protocol) host = "[" + host + "]";
    return port == DefaultGamePort ? host : host + ":" + QString::number(port);
}

QLabel *caption(const char *text, QWidget *parent)
{
    auto *label = new PlainLabel(QString::fromLatin1(text), parent);
    SideWindow::styleLabel(label, palette::White);
    return label;
}
} // namespace

Tplaywithothers::Tplaywithothers(QWidget *parent) : SideWindow(parent, Qt::Window)
{
    setObjectName(QStringLiteral("playwithothers"));
    setWindowTitle(QString::fromLatin1(TitleText));
    roomFinder = new RoomFinder(this);
    connect(roomFinder, &RoomFinder::roomsChanged, this, &Tplaywithothers::fillList);

    auto *heading = new PlainLabel(QString::fromLatin1(TitleText), this);
    heading->setObjectName(QStringLiteral("label_heading"));
    styleLabel(heading, palette::Yellow, font().pointSize() + 4);
    heading->setAlignment(Qt::AlignCenter);

    edit_name = new QLineEdit(this);
    edit_name->setObjectName(QStringLiteral("edit_name"));
    edit_name->setMaxLength(MaxNameLength);

    auto *roomsLabel = caption(RoomsCaption, this);
    list_rooms = new QTreeWidget(this);
    list_rooms->setObjectName(QStringLiteral("list_rooms"));
    list_rooms->setColumnCount(Columns);
    QStringList titles;
    for (const char *t : ColumnTitles)
        titles << QString::fromLatin1(t);
    list_rooms->setHeaderLabels(titles);
    list_rooms->setRootIsDecorated(false);
    list_rooms->setSelectionMode(QAbstractItemView::SingleSelection);
    list_rooms->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_rooms->header()->setSectionResizeMode(ColHost, QHeaderView::Stretch);
    list_rooms->header()->setStretchLastSection(false);
    connect(list_rooms, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *, int) { button_joinClick(); });

    button_join = new QPushButton(QString::fromLatin1(JoinCaption), this);
    button_join->setObjectName(QStringLiteral("button_join"));
    connect(button_join, &QPushButton::clicked, this, &Tplaywithothers::button_joinClick);

    combo_rating = new QComboBox(this);
    combo_rating->setObjectName(QStringLiteral("combo_rating"));
    for (int i = 0; i < 3; ++i)
        combo_rating->addItem(QString::fromLatin1(RatingNames[i]),
                              QString::fromLatin1(RatingCodes[i]));
    button_host = new QPushButton(QString::fromLatin1(HostCaption), this);
    button_host->setObjectName(QStringLiteral("button_host"));
    connect(button_host, &QPushButton::clicked, this, &Tplaywithothers::button_hostClick);

    check_mapport = new QCheckBox(QString::fromLatin1(MapPortCaption), this);
    check_mapport->setObjectName(QStringLiteral("check_mapport"));
    check_mapport->setToolTip(QStringLiteral(
        "Ask the home router (UPnP, NAT-PMP) to let friends elsewhere reach this room"));
    check_mapport->setChecked(false);

    edit_address = new QLineEdit(this);
    edit_address->setObjectName(QStringLiteral("edit_address"));
    edit_address->setMaxLength(300);
    button_joinaddress = new QPushButton(QString::fromLatin1(JoinAddressCaption), this);
    button_joinaddress->setObjectName(QStringLiteral("button_joinaddress"));
    connect(button_joinaddress, &QPushButton::clicked, this,
            &Tplaywithothers::button_joinaddressClick);
    connect(edit_address, &QLineEdit::returnPressed, this,
            &Tplaywithothers::button_joinaddressClick);

    // Names and addresses typed by people: never read as markup.
    label_message = new PlainLabel(this);
    label_message->setObjectName(QStringLiteral("label_message"));
    label_message->setWordWrap(true);
    styleLabel(label_message, palette::Yellow);

    button_close = new QPushButton(QString::fromLatin1(CloseCaption), this);
    button_close->setObjectName(QStringLiteral("button_close"));
    connect(button_close, &QPushButton::clicked, this, &QWidget::hide);

    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(caption(NameCaption, this));
    nameRow->addWidget(edit_name, 1);

    auto *joinRow = new QHBoxLayout;
    joinRow->addStretch(1);
    joinRow->addWidget(button_join);

    auto *hostRow = new QHBoxLayout;
    hostRow->addWidget(caption(RatingCaption, this));
    hostRow->addWidget(combo_rating);
    hostRow->addWidget(check_mapport);
    hostRow->addStretch(1);
    hostRow->addWidget(button_host);

    auto *addressRow = new QHBoxLayout;
    addressRow->addWidget(edit_address, 1);
    addressRow->addWidget(button_joinaddress);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(heading);
    layout->addLayout(nameRow);
    layout->addWidget(roomsLabel);
    layout->addWidget(list_rooms, 1);
    layout->addLayout(joinRow);
    layout->addLayout(hostRow);
    layout->addWidget(caption(AddressCaption, this));
    layout->addLayout(addressRow);
    layout->addWidget(label_message);
    layout->addWidget(button_close, 0, Qt::AlignHCenter);
    resize(620, 460);
}

void Tplaywithothers::showEvent(QShowEvent *event)
{
    SideWindow::showEvent(event);
    if (!loaded) {
        loaded = true;
        const QString file = settings::filePath();
        const QString section = QString::fromLatin1(SettingsSection);
        QString name = profile::readString(file, section, QString::fromLatin1(KeyName), QString());
        if (name.trimmed().isEmpty()) name = suggestedName;
        edit_name->setText(name.left(MaxNameLength));
        const QString rating = profile::readString(file, section, QString::fromLatin1(KeyRating),
                                                   QLatin1String(facts::RatingFamily));
        const int index = combo_rating->findData(discovery::normalRating(rating));
        combo_rating->setCurrentIndex(index < 0 ? 0 : index);
        edit_address->setText(
            profile::readString(file, section, QString::fromLatin1(KeyAddress), QString())
                .left(300));
    }
    roomFinder->start(refreshMs);
}

void Tplaywithothers::hideEvent(QHideEvent *event)
{
    SideWindow::hideEvent(event);
    roomFinder->stop();
}

void Tplaywithothers::fillList()
{
    QString selected;
    if (QTreeWidgetItem *item = list_rooms->currentItem()) selected = item->text(ColAddress);
    list_rooms->clear();
    const QString ours = QString::fromLatin1(cmd::GameVersion);
    for (const RoomFinder::Room &room : roomFinder->rooms()) {
        const discovery::RoomFacts &f = room.facts;
        auto *item = new QTreeWidgetItem(list_rooms);
        QString host = f.hostName.isEmpty() ? QString::fromLatin1(EmptyRoom) : f.hostName;
        if (f.version != ours) host += " (" + QString::fromLatin1(OtherVersion) + f.version + ")";
        item->setText(ColHost, host);
        item->setText(ColRating, ratingName(f.rating));
        item->setText(ColPlayers,
                      QStringLiteral("%1/%2").arg(f.players).arg(discovery::MaxPlayers));
        item->setText(ColSpies, QStringLiteral("%1/%2").arg(f.spies).arg(discovery::MaxSpies));
        item->setText(ColGame, QString::fromLatin1(f.gameRunning ? Running : Waiting));
        item->setText(ColAddress, addressText(room.address, f.port));
        item->setData(ColHost, Qt::UserRole, room.address.toString());
        item->setData(ColHost, Qt::UserRole + 1, f.port);
        if (item->text(ColAddress) == selected) list_rooms->setCurrentItem(item);
    }
}

bool Tplaywithothers::takeName(QString &name)
{
    name = edit_name->text().trimmed();
    if (name.isEmpty()) {
        showFailure(NoName);
        return false;
    }
    remember(QString::fromLatin1(KeyName), name);
    return true;
}

void Tplaywithothers::remember(const QString &key, const QString &value)
{
    // The room window's keys are a convenience: a file that cannot be written
    // costs the player a retype, nothing else.
    profile::writeString(settings::filePath(), QString::fromLatin1(SettingsSection), key, value);
}

void Tplaywithothers::button_joinClick()
{
    QTreeWidgetItem *item = list_rooms->currentItem();
    if (!item) {
        showFailure(NoRoomChosen);
        return;
    }
    const QHostAddress address(item->data(ColHost, Qt::UserRole).toString());
    const quint16 port = quint16(item->data(ColHost, Qt::UserRole + 1).toUInt());
    const RoomFinder::Room *room = roomFinder->find(address, port);
    if (!room) {
        // It dropped off between the refresh of the list and the click.
        const QString shown = item->text(ColAddress);
        fillList(); // deletes the item
        showFailure(NobodyThere, shown);
        return;
    }
    QString name;
    if (!takeName(name)) return;
    join(name, address.toString(), port, room->facts.rating, addressText(address, port));
}

void Tplaywithothers::button_joinaddressClick()
{
    const QString typed = edit_address->text().trimmed();
    QString host;
    quint16 port = DefaultGamePort;
    if (!splitHostPort(typed, DefaultGamePort, host, port)) {
        showFailure(BadAddress, typed);
        return;
    }
    QString name;
    if (!takeName(name)) return;
    remember(QString::fromLatin1(KeyAddress), typed);
    // A listed room at that address tells its rating and version; a room
    // elsewhere is joined unrated, and a version difference shows in the chat.
    QString rating;
    const QHostAddress address(host);
    if (!address.isNull()) {
        if (const RoomFinder::Room *room = roomFinder->find(address, port))
            rating = room->facts.rating;
    }
    join(name, host, port, rating, typed);
}

void Tplaywithothers::join(const QString &name, const QString &host, quint16 port,
                           const QString &rating, const QString &shown)
{
    if (const RoomFinder::Room *room = roomFinder->find(QHostAddress(host), port)) {
        if (room->facts.version != QString::fromLatin1(cmd::GameVersion)) {
            showFailure(DifferentVersion, room->facts.version);
            return;
        }
    }
    setBusy(true, QString::fromLatin1(JoiningText).arg(shown));
    emit joinRequested(name, host, port, rating);
}

void Tplaywithothers::joinInvite(const QString &address)
{
    show();
    raise();
    activateWindow();
    edit_address->setText(address);
    const QString remembered =
        profile::readString(settings::filePath(), QString::fromLatin1(SettingsSection),
                            QString::fromLatin1(KeyName), QString());
    if (remembered.trimmed().isEmpty()) {
        label_message->setText(QString::fromLatin1(AskNameText));
        edit_name->setFocus();
        return;
    }
    button_joinaddressClick();
}

bool Tplaywithothers::mapPortWanted() const
{
    return check_mapport->isChecked();
}

void Tplaywithothers::button_hostClick()
{
    QString name;
    if (!takeName(name)) return;
    const QString rating = combo_rating->currentData().toString();
    remember(QString::fromLatin1(KeyRating),
             rating.isEmpty() ? QLatin1String(facts::RatingNone) : rating);
    setBusy(true, QString::fromLatin1(HostingText));
    emit hostRequested(name, rating);
}

void Tplaywithothers::setBusy(bool busy, const QString &text)
{
    for (QPushButton *b : {button_join, button_host, button_joinaddress})
        b->setEnabled(!busy);
    label_message->setText(text);
}

QString Tplaywithothers::failureText(Failure failure, const QString &detail)
{
    switch (failure) {
    case NobodyThere:
        return QString::fromLatin1(NobodyThereText).arg(detail);
    case Refused:
        return QString::fromLatin1(RefusedText).arg(detail);
    case Full:
        return QString::fromLatin1(FullText);
    case DifferentVersion:
        return QString::fromLatin1(DifferentVersionText)
            .arg(detail, QString::fromLatin1(cmd::GameVersion));
    case CannotHost:
        return QString::fromLatin1(CannotHostText).arg(detail);
    case BadAddress:
        return QString::fromLatin1(BadAddressText).arg(detail);
    case NoName:
        return QString::fromLatin1(NoNameText);
    case NoRoomChosen:
        return QString::fromLatin1(NoRoomText);
    }
    return QString();
}

void Tplaywithothers::showFailure(Failure failure, const QString &detail)
{
    setBusy(false, failureText(failure, detail));
    show();
}

void Tplaywithothers::tryFinished(bool joined)
{
    if (!joined) return;
    setBusy(false, QString());
    hide();
}

QString Tplaywithothers::message() const
{
    return label_message->text();
}
