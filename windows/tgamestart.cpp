#include "windows/tgamestart.h"

#include "net/gamefacts.h"
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
const char settingsFileName[] = "zunolobby.ini";
const char settingsSection[] = "Quibbleton";

const char keyPlaytoscore[] = "Playtoscore";
const char keyCreationtime[] = "Creationtime";
const char keyLetters[] = "Letters";
const char keyMax[] = "Max";
const char keyAuto[] = "Auto";
const char keySpeed[] = "Speed";
const char keyEndgame[] = "Endgame";
const char keyNocouch[] = "Nocouch";
const char keyPlaybonus[] = "Playbonus";

const char textTrue[] = "true";
const char textFalse[] = "false";

const char windowTitleText[] = "Quibbleton - Game Start";
const char settingsNotSaved[] =
    "The game options could not be saved in %1. The game starts with them all the same.";

const QColor navy(0x00, 0x00, 0x80);

QString settingsFile()
{
    return ::settingsFile(QLatin1String(settingsFileName));
}

QString flag(bool on)
{
    return QLatin1String(on ? textTrue : textFalse);
}
} // namespace

Tgamestart::Tgamestart(QWidget *parent) : SideWindow(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("gamestart"));
    setWindowTitle(QLatin1String(windowTitleText));

    // A white panel in a navy frame over the tiled background.
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("panel_options"));
    panel->setFrameShape(QFrame::Box);
    panel->setLineWidth(2);
    panel->setAutoFillBackground(true);
    QPalette panelPalette = panel->palette();
    panelPalette.setColor(QPalette::Window, Qt::white);
    panelPalette.setColor(QPalette::WindowText, navy);
    panelPalette.setColor(QPalette::Base, Qt::white);
    panelPalette.setColor(QPalette::Text, Qt::black);
    panelPalette.setColor(QPalette::ButtonText, navy);
    panelPalette.setColor(QPalette::Light, navy);
    panelPalette.setColor(QPalette::Dark, navy);
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
    styleLabel(heading, navy, font().pointSize() + 4);
    heading->setAlignment(Qt::AlignCenter);
    grid->addWidget(heading, row++, 0, 1, 2);

    auto numberRow = [&](const QString &name, const QString &caption, UpDownBox *box) {
        auto *label = new PlainLabel(caption, panel);
        label->setObjectName(name);
        styleLabel(label, navy);
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
    styleLabel(label4, navy);
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
    const QString section = QLatin1String(settingsSection);
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
    number(keyPlaytoscore, facts::DefaultPlayTo, upDown1);
    number(keyCreationtime, facts::DefaultCreationSeconds, upDown2);
    number(keyLetters, facts::DefaultBonusLetters, upDown3);
    number(keyMax, facts::DefaultMaxLetters, upDown4);
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
    checkboxAuto->setChecked(text(keyAuto, textFalse) == QLatin1String(textTrue));
    checkboxSpeed->setChecked(text(keySpeed, textFalse) == QLatin1String(textTrue));
    checkboxPlaybonus->setChecked(text(keyPlaybonus, textTrue) != QLatin1String(textFalse));
    if (text(keyEndgame, textTrue) != QLatin1String(textFalse))
        checkboxBonus->setChecked(true);
    else
        checkboxScore->setChecked(true);
    checkboxCouch->setChecked(text(keyNocouch, textFalse) == QLatin1String(textTrue));
}

QList<QPair<QString, QString>> Tgamestart::settingsValues() const
{
    return {
        {QLatin1String(keyPlaytoscore), QString::number(upDown1->value())},
        {QLatin1String(keyCreationtime), QString::number(upDown2->value())},
        {QLatin1String(keyLetters), QString::number(upDown3->value())},
        {QLatin1String(keyMax), QString::number(upDown4->value())},
        {QLatin1String(keyAuto), flag(checkboxAuto->isChecked())},
        {QLatin1String(keySpeed), flag(checkboxSpeed->isChecked())},
        {QLatin1String(keyEndgame), flag(checkboxBonus->isChecked())},
        {QLatin1String(keyNocouch), flag(checkboxCouch->isChecked())},
        {QLatin1String(keyPlaybonus), flag(checkboxPlaybonus->isChecked())},
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
        notify(QString::fromLatin1(settingsNotSaved).arg(settingsFile()));
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
        profile::writeStrings(settingsFile(), QLatin1String(settingsSection), settingsValues()))
        return true;
    notify(QString::fromLatin1(settingsNotSaved).arg(settingsFile()));
    return false;
}
