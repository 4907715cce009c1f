#include "client/gamearea.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>

#include "client/playerboard.h"
#include "client/roundpicture.h"
#include "client/roundstyle.h"
#include "resources/resourcenames.h"
#include "windows/plaintext.h"

namespace {

const QSize AreaSize(782, 283);
const int TopBarHeight = 45;
const QString WaitText = QStringLiteral("Round in Progress.... Please Wait. ");
const QString TimeCaption = QStringLiteral("Time");
const QString NoTime = QStringLiteral("0:00");

} // namespace

Tgamearea::Tgamearea(ClientContext *context, QWidget *parent)
    : QWidget(parent), context(context), random(QRandomGenerator::global()->generate())
{
    setObjectName("panel_back");
    resize(AreaSize);
    setMinimumSize(AreaSize);

    Timer2 = new QTimer(this);
    Timer2->setObjectName("Timer2");
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, &Tgamearea::Timer2Timer);

    buildTopBar();
    buildCategoryPanel();
    buildCreatingPanel();
    buildVotingPanel();
    buildTeamPanel();
    buildAnnouncementPanels();

    const QRect stage(0, TopBarHeight, AreaSize.width(), AreaSize.height() - TopBarHeight);
    for (QWidget *panel :
         {panel_catagory, panel_creating, panel_voting, panel_team, panel_inbonus, panel_over}) {
        panel->setGeometry(stage);
        panel->hide();
    }

    label_wait = new PlainLabel(WaitText, this);
    label_wait->setObjectName("label_wait");
    label_wait->setGeometry(0, TopBarHeight + 90, AreaSize.width(), 40);
    label_wait->setAlignment(Qt::AlignCenter);
    roundstyle::setTextColour(label_wait, palette::Red);
    roundstyle::setBold(label_wait, true);
    roundstyle::setPointSize(label_wait, 16);
    label_wait->hide();

    clearall();
}

void Tgamearea::buildTopBar()
{
    panel_top = new QWidget(this);
    panel_top->setObjectName("panel_top");
    panel_top->setGeometry(0, 0, AreaSize.width(), TopBarHeight);
    // A light bar, so the black caption and the navy link read well.
    panel_top->setStyleSheet(
        "#panel_top { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f4f6fb, "
        "stop:0.55 #d9deea, stop:1 #b7bfd3); border-bottom: 1px solid #5a6484; }");
    panel_top->setAttribute(Qt::WA_StyledBackground, true);

    auto *time = new PlainLabel(TimeCaption, panel_top);
    time->setGeometry(10, 4, 60, 16);
    roundstyle::setTextColour(time, palette::Black);
    roundstyle::setBold(time, true);

    label_timer = new PlainLabel(NoTime, panel_top);
    label_timer->setObjectName("label_timer");
    label_timer->setGeometry(10, 21, 44, 20);
    roundstyle::setTextColour(label_timer, palette::Navy);
    roundstyle::setBold(label_timer, true);
    roundstyle::setPointSize(label_timer, 12);

    image_timer = new RoundPicture(panel_top);
    image_timer->setObjectName("image_timer");
    image_timer->setPicture(res::timerbar);
    image_timer->setGeometry(58, 27, 0, 10);

    button_start = new RoundPictureButton(panel_top);
    button_start->setObjectName("button_start");
    button_start->setPicture(res::start);
    button_start->setToolTip(QStringLiteral("Start Game"));
    button_start->setGeometry(196, 7, 90, 30);
    button_start->hide();
    connect(button_start, &QAbstractButton::clicked, this, [this] { button_startClick(); });

    label_catagory = new PlainLabel(panel_top);
    label_catagory->setObjectName("label_catagory");
    label_catagory->setGeometry(300, 2, 470, 24);
    label_catagory->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    roundstyle::setTextColour(label_catagory, palette::Black);
    roundstyle::setBold(label_catagory, true);
    roundstyle::setPointSize(label_catagory, 13);

    Label2 = new PlainLabel(QStringLiteral("Save Category to My list"), panel_top);
    Label2->setObjectName("Label2");
    Label2->setGeometry(470, 26, 300, 16);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label2->setCursor(Qt::PointingHandCursor);
    roundstyle::setTextColour(Label2, palette::Navy);
    QFont link = Label2->font();
    link.setBold(true);
    link.setUnderline(true);
    Label2->setFont(link);
    Label2->installEventFilter(this);
}

void Tgamearea::paintEvent(QPaintEvent *)
{
    roundpicture::paint(this, res::gamearea, false);
}

bool Tgamearea::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && mouse->button() == Qt::LeftButton &&
            widget->rect().contains(mouse->position().toPoint())) {
            if (watched == Label2) {
                Label2Click();
                return true;
            }
            for (int n = 1; n <= Lines; ++n) {
                if (watched == rows[n].acro) {
                    label_acro1Click(watched);
                    return true;
                }
            }
        }
    } else if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (watched == edit_answer) return edit_answerKeyPress(key);
        if (watched == combo_cat || watched == combo_cat->lineEdit() ||
            (combo_cat->completer() && watched == combo_cat->completer()->popup()))
            return combo_catKeyPress(combo_cat, key->key());
        if (watched == combo_cat1) return combo_catKeyPress(combo_cat1, key->key());
    }
    return QWidget::eventFilter(watched, event);
}

QString Tgamearea::boardName(int slot) const
{
    return context->board().caption(slot);
}

void Tgamearea::focusChat()
{
    if (isActiveWindow()) context->focusChatEntry();
}

void Tgamearea::setpanels(QWidget *panel)
{
    if (panel) panel->show();
    panel_noanswers->hide();
    label_wait->hide();
    for (QWidget *stage :
         {panel_catagory, panel_voting, panel_creating, panel_over, panel_team, panel_inbonus}) {
        if (stage != panel) stage->hide();
    }
}

void Tgamearea::clearall()
{
    Timer2->stop();
    label_timer->setText(NoTime);
    image_timer->resize(0, image_timer->height());
    image_winner->hide();
    image_speed->hide();
    PlayerBoard &board = context->board();
    for (int n = 1; n <= PlayerBoard::Slots; ++n) {
        board.setScore(n, QStringLiteral("0"));
        board.setRowColour(n, palette::Yellow);
        board.setBonusMark(n, QString());
        board.setEnteredMark(n, false);
    }
    clearacros();
}

void Tgamearea::clearacros()
{
    image_winner->hide();
    image_speed->hide();
    for (int n = 1; n <= Lines; ++n) {
        Row &row = rows[n];
        row.acro->clear();
        roundstyle::setTextColour(row.acro, palette::Gray);
        roundstyle::setBold(row.acro, false);
        roundstyle::setBackground(row.acro, palette::Black);
        roundstyle::setTransparent(row.acro);
        for (QLabel *label : {row.votes, row.name}) {
            label->clear();
            roundstyle::setTextColour(label, palette::Gray);
            roundstyle::setBold(label, false);
        }
        context->board().setBonusMark(n, QString());
        context->board().setEnteredMark(n, false);
        row.log->hide();
    }
}
