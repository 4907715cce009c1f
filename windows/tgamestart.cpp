#include "windows/tgamestart.h"

#include "net/gamefacts.h"
#include "resources/palette.h"
#include "shell/profile.h"
#include "shell/programfolder.h"
#include "windows/plaintext.h"
#include "windows/updownbox.h"
#include "windows/webchoice.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {
const char SettingsFileName[] = "zunolobby.ini";
const char SettingsSection[] = "Quibbleton";

const char KeyPlaytoscore[] = "Playtoscore";
const char KeyCreationtime[] = "Creationtime";
const char KeyLetters[] = "Letters";
const char KeyMax[] = "Max";
const char KeyAuto[] = "Auto";
const char KeySpeed[] = "Speed";
const char KeyEndgame[] = "Endgame";
const char KeyNocouch[] = "Nocouch";
const char KeyPlaybonus[] = "Playbonus";

const char TextTrue[] = "true";
const char TextFalse[] = "false";

const char WindowTitleText[] = "Quibbleton - Game Start";
const char SettingsNotSaved[] =
    "The game options could not be saved in %1. The game starts with them all the same.";

QString settingsFile()
{
    return ::settingsFile(QLatin1String(SettingsFileName));
}

QString flag(bool on)
{
    return QLatin1String(on ? TextTrue : TextFalse);
}
} // namespace

Tgamestart::Tgamestart(QWidget *parent) : SideWindow(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("gamestart"));
    setWindowTitle(QLatin1String(WindowTitleText));

    // A white panel in a navy frame over the tiled background.
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("panel_options"));
    panel->setFrameShape(QFrame::Box);
    panel->setLineWidth(2);
    panel->setAutoFillBackground(true);
    QPalette panelPalette = panel->palette();
    panelPalette.setColor(QPalette::Window, Qt::white);
    panelPalette.setColor(QPalette::WindowText, palette::Navy);
    panelPalette.setColor(QPalette::Base, Qt::white);
    panelPalette.setColor(QPalette::Text, Qt::black);
    panelPalette.setColor(QPalette::ButtonText, palette::Navy);
    panelPalette.setColor(QPalette::Light, palette::Navy);
    panelPalette.setColor(QPalette::Dark, palette::Navy);
    panel->setPalette(panelPalette);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 10, 10, 10);
    outer->addWidget(panel);

    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(14, 10, 14, 12);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(6);
    int row = 0;

    auto *heading = new PlainLabel(QStringLiteral("Game Options"), panel);
    heading->setObjectName(QStringLiteral("label_heading"));
    styleLabel(heading, palette::Navy, font().pointSize() + 4);
    heading->setAlignment(Qt::AlignCenter);
    grid->addWidget(heading, row++, 0, 1, 2);

    auto numberRow = [&](const QString &name, const QString &caption, UpDownBox *box) {
        auto *label = new PlainLabel(caption, panel);
        label->setObjectName(name);
        styleLabel(label, palette::Navy);
        label->setBuddy(box);
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row++, 1);
        return label;
    };
    auto checkRow = [&](const QString &name, const QString &caption, bool on) {
        auto *box = new QCheckBox(caption, panel);
        box->setObjectName(name);
        box->setChecked(on);
        QFont f = box->font();
        f.setBold(true);
        box->setFont(f);
        grid->addWidget(box, row++, 0, 1, 2);
        return box;
    };

    auto rangeBox = [&](const char *name, const char *edit, const facts::OptionRange &range) {
        return new UpDownBox(QLatin1String(name), QLatin1String(edit), range.min, range.max,
                             range.step, range.initial, panel);
    };
    upDown1 = rangeBox("UpDown1", "edit_playtoscore", facts::PlayToRange);
    upDown2 = rangeBox("UpDown2", "edit_creationtime", facts::CreationSecondsRange);
    upDown4 = rangeBox("UpDown4", "edit_max", facts::MaxLettersRange);
    upDown3 = rangeBox("UpDown3", "edit_bonus", facts::BonusLettersRange);

    numberRow(QStringLiteral("label_playtoscore"), QStringLiteral("Play to Score:"), upDown1);
    numberRow(QStringLiteral("label_creationtime"), QStringLiteral("Creation Time:"), upDown2);
    numberRow(QStringLiteral("label_max"), QStringLiteral("Max Letters:"), upDown4);
    checkboxSpeed =
        checkRow(QStringLiteral("checkbox_speed"), QStringLiteral("Speed Bonus"), false);
    checkboxCouch =
        checkRow(QStringLiteral("checkbox_couch"), QStringLiteral("No Couch Topics"), false);
    checkboxTeam = checkRow(QStringLiteral("checkbox_team"), QStringLiteral("Team Game"), false);
    checkboxAuto = checkRow(QStringLiteral("checkbox_auto"), QStringLiteral("Auto Restart"), false);
    upDown5 = rangeBox("UpDown5", "edit_rejoin", facts::RejoinSecondsRange);
    numberRow(QStringLiteral("label_rejoin"), QStringLiteral("Keep Dropped Players (s):"), upDown5);
    // Browsers: whether the rooms this program hosts serve them, and on which
    // port (0 picks a free one). Kept at once; they count from the next room.
    checkboxWeb =
        checkRow(QStringLiteral("checkbox_web"), QStringLiteral("Let Browsers Join"), true);
    upDownWeb = new UpDownBox(QStringLiteral("UpDownWeb"), QStringLiteral("edit_webport"), 0, 65535,
                              1, DefaultWebPort, panel);
    numberRow(QStringLiteral("label_webport"), QStringLiteral("Browser Port (0: any):"), upDownWeb);
    connect(checkboxWeb, &QCheckBox::toggled, this, [this] {
        upDownWeb->setEnabled(checkboxWeb->isChecked());
        storeWebChoice();
    });
    connect(upDownWeb, &QSpinBox::valueChanged, this, [this] { storeWebChoice(); });

    auto *separator = new QFrame(panel);
    separator->setObjectName(QStringLiteral("separator"));
    separator->setFrameShape(QFrame::HLine);
    grid->addWidget(separator, row++, 0, 1, 2);

    checkboxPlaybonus =
        checkRow(QStringLiteral("checkbox_playbonus"), QStringLiteral("Play Bonus Round"), true);
    labelBonus =
        numberRow(QStringLiteral("label_bonus"), QStringLiteral("Letters In Bonus:"), upDown3);

    auto *label4 = new PlainLabel(QStringLiteral("Winner Determined By:"), panel);
    label4->setObjectName(QStringLiteral("Label4"));
    styleLabel(label4, palette::Navy);
    grid->addWidget(label4, row++, 0, 1, 2);

    checkboxScore = new QRadioButton(QStringLiteral("Total Score"), panel);
    checkboxScore->setObjectName(QStringLiteral("checkbox_score"));
    checkboxBonus = new QRadioButton(QStringLiteral("Winning Bonus Round"), panel);
    checkboxBonus->setObjectName(QStringLiteral("checkbox_bonus"));
    auto *group1 = new QButtonGroup(this);
    group1->addButton(checkboxScore);
    group1->addButton(checkboxBonus);
    checkboxBonus->setChecked(true);
    grid->addWidget(checkboxScore, row++, 0, 1, 2);
    grid->addWidget(checkboxBonus, row++, 0, 1, 2);

    buttonStart = new QPushButton(QStringLiteral("Start Game"), panel);
    buttonStart->setObjectName(QStringLiteral("button_start"));
    buttonStart->setDefault(true);
    grid->addWidget(buttonStart, row++, 0, 1, 2, Qt::AlignHCenter);

    connect(buttonStart, &QPushButton::clicked, this, &Tgamestart::button_startClick);
    // Follows every change of the box, also the one the settings file makes.
    connect(checkboxPlaybonus, &QCheckBox::toggled, this, &Tgamestart::checkbox_playbonusClick);
    checkbox_playbonusClick();

    setFixedSize(sizeHint());
}

void Tgamestart::showEvent(QShowEvent *event)
{
    if (QWidget *owner = parentWidget(); owner && !event->spontaneous()) {
        QRect frame = frameGeometry();
        frame.moveCenter(owner->window()->frameGeometry().center());
        move(frame.topLeft());
    }
    SideWindow::showEvent(event);
}

void Tgamestart::setStarterName(const QString &name)
{
    starter = name;
}

cmd::GameOptions Tgamestart::options() const
{
    cmd::GameOptions o;
    o.starterName = starter.toUtf8();
    o.playTo = upDown1->value();
    o.creationSeconds = upDown2->value();
    o.playBonus = checkboxPlaybonus->isChecked();
    o.bonusLetters = upDown3->value();
    o.teamGame = checkboxTeam->isChecked();
    // Without a bonus round there is nothing but the bonus flag to decide by, so it
    // stays "t" whichever button is chosen.
    o.winningBonus = checkboxBonus->isChecked() || !o.playBonus;
    o.speedBonus = checkboxSpeed->isChecked();
    o.maxLetters = upDown4->value();
    o.autoRestart = checkboxAuto->isChecked();
    o.noCouchTopics = checkboxCouch->isChecked();
    return o;
}

void Tgamestart::checkbox_playbonusClick()
{
    const bool on = checkboxPlaybonus->isChecked();
    labelBonus->setEnabled(on);
    upDown3->edit()->setEnabled(on);
    checkboxScore->setEnabled(on);
    checkboxBonus->setEnabled(on);
}

void Tgamestart::button_startClick()
{
    emit startRequested(cmd::client::startgame(options()));
    writeSettings();
    hide();
}

void Tgamestart::readSettings()
{
    const QString file = settingsFile();
    const QString section = QLatin1String(SettingsSection);
    auto text = [&](const char *key, const char *fallback) {
        return profile::readString(file, section, QLatin1String(key), QLatin1String(fallback));
    };
    auto number = [&](const char *key, int fallback, UpDownBox *box) {
        bool ok = false;
        const int value =
            profile::readString(file, section, QLatin1String(key), QString::number(fallback))
                .toInt(&ok, 10);
        if (ok) box->setValue(value); // the box keeps it within its range
    };
    number(KeyPlaytoscore, facts::DefaultPlayTo, upDown1);
    number(KeyCreationtime, facts::DefaultCreationSeconds, upDown2);
    number(KeyLetters, facts::DefaultBonusLetters, upDown3);
    number(KeyMax, facts::DefaultMaxLetters, upDown4);
    {
        bool ok = false;
        const int seconds =
            profile::readString(file, QLatin1String(RejoinSection), QLatin1String(KeyRejoinSeconds),
                                QString::number(facts::DefaultRejoinSeconds))
                .toInt(&ok, 10);
        if (ok) upDown5->setValue(seconds);
        emit rejoinSecondsChanged(rejoinSeconds());
    }
    {
        const webchoice::Choice web = webchoice::read(file);
        loadingWeb = true;
        checkboxWeb->setChecked(web.serve);
        upDownWeb->setValue(web.port == webchoice::NextToGamePort ? DefaultWebPort : web.port);
        upDownWeb->setEnabled(web.serve);
        loadingWeb = false;
    }
    checkboxAuto->setChecked(text(KeyAuto, TextFalse) == QLatin1String(TextTrue));
    checkboxSpeed->setChecked(text(KeySpeed, TextFalse) == QLatin1String(TextTrue));
    checkboxPlaybonus->setChecked(text(KeyPlaybonus, TextTrue) != QLatin1String(TextFalse));
    if (text(KeyEndgame, TextTrue) != QLatin1String(TextFalse))
        checkboxBonus->setChecked(true);
    else
        checkboxScore->setChecked(true);
    checkboxCouch->setChecked(text(KeyNocouch, TextFalse) == QLatin1String(TextTrue));
}

QList<QPair<QString, QString>> Tgamestart::settingsValues() const
{
    return {
        {QLatin1String(KeyPlaytoscore), QString::number(upDown1->value())},
        {QLatin1String(KeyCreationtime), QString::number(upDown2->value())},
        {QLatin1String(KeyLetters), QString::number(upDown3->value())},
        {QLatin1String(KeyMax), QString::number(upDown4->value())},
        {QLatin1String(KeyAuto), flag(checkboxAuto->isChecked())},
        {QLatin1String(KeySpeed), flag(checkboxSpeed->isChecked())},
        {QLatin1String(KeyEndgame), flag(checkboxBonus->isChecked())},
        {QLatin1String(KeyNocouch), flag(checkboxCouch->isChecked())},
        {QLatin1String(KeyPlaybonus), flag(checkboxPlaybonus->isChecked())},
    };
}

webchoice::Choice Tgamestart::webChoice() const
{
    return {checkboxWeb->isChecked(), upDownWeb->value()};
}

void Tgamestart::storeWebChoice()
{
    if (loadingWeb) return;
    if (!webchoice::write(settingsFile(), webChoice()))
        notify(QString::fromLatin1(SettingsNotSaved).arg(settingsFile()));
}

int Tgamestart::rejoinSeconds() const
{
    return upDown5->value();
}

bool Tgamestart::writeSettings()
{
    emit rejoinSecondsChanged(rejoinSeconds());
    const bool rejoinSaved = profile::writeStrings(
        settingsFile(), QLatin1String(RejoinSection),
        {{QLatin1String(KeyRejoinSeconds), QString::number(rejoinSeconds())}});
    if (rejoinSaved &&
        profile::writeStrings(settingsFile(), QLatin1String(SettingsSection), settingsValues()))
        return true;
    notify(QString::fromLatin1(SettingsNotSaved).arg(settingsFile()));
    return false;
}
