#include "client/gamearea.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QTimer>

#include "resources/resourcenames.h"
#include "windows/plaintext.h"

namespace {

const QSize AreaSize(782, 283);
const int TopBarHeight = 45;
const QString WaitText = QStringLiteral("Round in Progress.... Please Wait. ");
const QString TimeCaption = QStringLiteral("Time");
const QString NoTime = QStringLiteral("0:00");
const QString TagProperty = QStringLiteral("Tag");

// The picture at the widget's pixel density; the "@2x" twin on dense screens.
QPixmap cachedPicture(const QString &path, qreal ratio)
{
    if (path.isEmpty()) return QPixmap();
    const bool dense = ratio > 1.0;
    const QString key =
        QStringLiteral("round:") + path + (dense ? QStringLiteral("@2x") : QString());
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap)) return pixmap;
    if (dense) {
        QString twice = path;
        const int dot = twice.lastIndexOf(QLatin1Char('.'));
        if (dot > 0) twice.insert(dot, QStringLiteral("@2x"));
        if (pixmap.load(twice)) pixmap.setDevicePixelRatio(2.0);
    }
    if (pixmap.isNull()) pixmap.load(path);
    if (!pixmap.isNull()) QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QPainterPath starPath(const QRectF &r)
{
    QPainterPath star;
    const QPointF c = r.center();
    const double outer = std::min(r.width(), r.height()) / 2.0;
    for (int i = 0; i < 10; ++i) {
        const double angle = -M_PI / 2 + i * M_PI / 5;
        const double radius = (i % 2) ? outer * 0.45 : outer;
        const QPointF point(c.x() + radius * std::cos(angle), c.y() + radius * std::sin(angle));
        if (i == 0)
            star.moveTo(point);
        else
            star.lineTo(point);
    }
    star.closeSubpath();
    return star;
}

// Stand-ins for a picture the resources do not hold, so no control is ever blank.
void paintStandIn(QPainter &p, const QRectF &r, const QString &path)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF inner = r.adjusted(0.5, 0.5, -0.5, -0.5);
    if (path == QLatin1String(res::gamearea)) {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, QColor(24, 40, 110));
        g.setColorAt(1, QColor(8, 14, 50));
        p.fillRect(r, g);
    } else if (path == QLatin1String(res::timerbar)) {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, QColor(140, 230, 120));
        g.setColorAt(1, QColor(30, 140, 40));
        p.fillRect(r, g);
    } else if (path == QLatin1String(res::hand)) {
        QPainterPath arrow;
        arrow.moveTo(inner.left(), inner.top() + inner.height() * 0.2);
        arrow.lineTo(inner.right(), inner.center().y());
        arrow.lineTo(inner.left(), inner.bottom() - inner.height() * 0.2);
        arrow.closeSubpath();
        p.fillPath(arrow, QColor(255, 220, 60));
        p.setPen(QPen(Qt::black, 1));
        p.drawPath(arrow);
    } else if (path == QLatin1String(res::winner)) {
        p.fillPath(starPath(inner), QColor(255, 200, 0));
        p.setPen(QPen(QColor(140, 90, 0), 1));
        p.drawPath(starPath(inner));
    } else if (path == QLatin1String(res::speed)) {
        QPainterPath bolt;
        const double w = inner.width(), h = inner.height();
        const QPointF o = inner.topLeft();
        bolt.moveTo(o + QPointF(w * 0.6, 0));
        bolt.lineTo(o + QPointF(w * 0.15, h * 0.58));
        bolt.lineTo(o + QPointF(w * 0.48, h * 0.58));
        bolt.lineTo(o + QPointF(w * 0.35, h));
        bolt.lineTo(o + QPointF(w * 0.88, h * 0.4));
        bolt.lineTo(o + QPointF(w * 0.55, h * 0.4));
        bolt.closeSubpath();
        p.fillPath(bolt, QColor(80, 200, 255));
        p.setPen(QPen(QColor(0, 60, 120), 1));
        p.drawPath(bolt);
    } else {
        // Buttons and team cards: a rounded face with a word on it.
        QString word;
        QColor face(230, 230, 230);
        QColor ink = roundstyle::Navy;
        bool chosen = false;
        if (path == QLatin1String(res::start)) {
            word = QStringLiteral("Start Game");
            face = QColor(255, 200, 40);
        } else if (path == QLatin1String(res::save)) {
            word = QStringLiteral("Save");
            face = QColor(255, 200, 40);
        } else if (path == QLatin1String(res::log)) {
            word = QStringLiteral("+");
            face = QColor(250, 240, 200);
        } else if (path == QLatin1String(res::team0) || path == QLatin1String(res::team1)) {
            word = QStringLiteral("Yellow");
            chosen = path == QLatin1String(res::team1);
            face = chosen ? QColor(255, 220, 0) : QColor(150, 130, 20);
            ink = Qt::black;
        } else if (path == QLatin1String(res::team2) || path == QLatin1String(res::team3)) {
            word = QStringLiteral("White");
            chosen = path == QLatin1String(res::team3);
            face = chosen ? QColor(255, 255, 255) : QColor(140, 140, 150);
            ink = Qt::black;
        }
        const double radius = std::min(r.width(), r.height()) / 4.0;
        p.setPen(QPen(chosen ? QColor(40, 160, 40) : QColor(60, 60, 60), chosen ? 3 : 1));
        p.setBrush(face);
        p.drawRoundedRect(inner.adjusted(1, 1, -1, -1), radius, radius);
        if (!word.isEmpty()) {
            QFont font = p.font();
            font.setBold(true);
            int pixels = std::max(8, int(r.height() * (r.height() > 40 ? 0.18 : 0.5)));
            font.setPixelSize(pixels);
            while (pixels > 7 && QFontMetrics(font).horizontalAdvance(word) > r.width() - 8)
                font.setPixelSize(--pixels);
            p.setFont(font);
            p.setPen(ink);
            p.drawText(r, Qt::AlignCenter, word);
        }
    }
}

void paintPicture(QWidget *widget, const QString &path, bool pressed)
{
    QPainter p(widget);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect target = pressed ? widget->rect().translated(1, 1) : widget->rect();
    const QPixmap pixmap = cachedPicture(path, widget->devicePixelRatioF());
    if (!pixmap.isNull())
        p.drawPixmap(target, pixmap);
    else
        paintStandIn(p, target, path);
}

} // namespace

namespace roundstyle {

void setTextColour(QWidget *widget, const QColor &colour)
{
    if (!widget) return;
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

QColor textColour(const QWidget *widget)
{
    return widget ? widget->palette().color(QPalette::WindowText) : QColor();
}

void setBold(QWidget *widget, bool bold)
{
    if (!widget) return;
    QFont font = widget->font();
    font.setBold(bold);
    widget->setFont(font);
}

bool isBold(const QWidget *widget)
{
    return widget && widget->font().bold();
}

void setPointSize(QWidget *widget, int points)
{
    if (!widget) return;
    QFont font = widget->font();
    font.setPointSize(points);
    widget->setFont(font);
}

void setBackground(QWidget *widget, const QColor &colour)
{
    if (!widget) return;
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setTransparent(QWidget *widget)
{
    if (widget) widget->setAutoFillBackground(false);
}

bool isTransparent(const QWidget *widget)
{
    return widget && !widget->autoFillBackground();
}

int tag(const QObject *object)
{
    return object ? object->property("Tag").toInt() : 0;
}

void setTag(QObject *object, int value)
{
    if (object) object->setProperty("Tag", value);
}

} // namespace roundstyle

RoundPicture::RoundPicture(QWidget *parent) : QWidget(parent) {}

void RoundPicture::setPicture(const QString &picturePath)
{
    path = picturePath;
    update();
}

void RoundPicture::paintEvent(QPaintEvent *)
{
    if (width() > 0) paintPicture(this, path, false);
}

RoundPictureButton::RoundPictureButton(QWidget *parent) : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void RoundPictureButton::setPicture(const QString &picturePath)
{
    path = picturePath;
    update();
}

void RoundPictureButton::paintEvent(QPaintEvent *)
{
    paintPicture(this, path, isDown());
}

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
    roundstyle::setTextColour(label_wait, roundstyle::Red);
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
    roundstyle::setTextColour(time, roundstyle::Black);
    roundstyle::setBold(time, true);

    label_timer = new PlainLabel(NoTime, panel_top);
    label_timer->setObjectName("label_timer");
    label_timer->setGeometry(10, 21, 44, 20);
    roundstyle::setTextColour(label_timer, roundstyle::Navy);
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
    roundstyle::setTextColour(label_catagory, roundstyle::Black);
    roundstyle::setBold(label_catagory, true);
    roundstyle::setPointSize(label_catagory, 13);

    Label2 = new PlainLabel(QStringLiteral("Save Category to My list"), panel_top);
    Label2->setObjectName("Label2");
    Label2->setGeometry(470, 26, 300, 16);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label2->setCursor(Qt::PointingHandCursor);
    roundstyle::setTextColour(Label2, roundstyle::Navy);
    QFont link = Label2->font();
    link.setBold(true);
    link.setUnderline(true);
    Label2->setFont(link);
    Label2->installEventFilter(this);
}

void Tgamearea::paintEvent(QPaintEvent *)
{
    paintPicture(this, res::gamearea, false);
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

QWidget *Tgamearea::mainControl(const QString &name) const
{
    QWidget *main = context->mainWidget();
    return main ? main->findChild<QWidget *>(name) : nullptr;
}

QLabel *Tgamearea::boardLabel(const char *prefix, int slot) const
{
    QWidget *main = context->mainWidget();
    if (!main) return nullptr;
    return main->findChild<QLabel *>(QLatin1String(prefix) + QString::number(slot));
}

QString Tgamearea::boardName(int slot) const
{
    if (QLabel *name = boardLabel("label_playername", slot)) return name->text();
    return context->playerName(slot);
}

void Tgamearea::setStatus(const QString &text)
{
    if (auto *status = qobject_cast<QLabel *>(mainControl("label_status"))) status->setText(text);
}

void Tgamearea::focusChat()
{
    QWidget *main = context->mainWidget();
    if (!main || !main->isActiveWindow()) return;
    if (QWidget *chat = mainControl("mychat")) chat->setFocus();
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
    for (int n = 1; n <= 12; ++n) {
        if (QLabel *score = boardLabel("label_score", n)) {
            score->setText(QStringLiteral("0"));
            roundstyle::setTextColour(score, roundstyle::Yellow);
        }
        if (QLabel *bonus = boardLabel("label_bonus", n)) bonus->clear();
        roundstyle::setTextColour(boardLabel("label_playername", n), roundstyle::Yellow);
        if (QWidget *mark = mainControl(QStringLiteral("entered_") + QString::number(n)))
            mark->hide();
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
        roundstyle::setTextColour(row.acro, roundstyle::Gray);
        roundstyle::setBold(row.acro, false);
        roundstyle::setBackground(row.acro, roundstyle::Black);
        roundstyle::setTransparent(row.acro);
        for (QLabel *label : {row.votes, row.name}) {
            label->clear();
            roundstyle::setTextColour(label, roundstyle::Gray);
            roundstyle::setBold(label, false);
        }
        if (QLabel *bonus = boardLabel("label_bonus", n)) bonus->clear();
        if (QWidget *mark = mainControl(QStringLiteral("entered_") + QString::number(n)))
            mark->hide();
        row.log->hide();
    }
}
