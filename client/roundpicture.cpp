#include "client/roundpicture.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPixmapCache>
#include <cmath>

#include "resources/palette.h"
#include "resources/resourcenames.h"

namespace {

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
        QColor ink = palette::Navy;
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

} // namespace

namespace roundpicture {

void paint(QWidget *widget, const QString &path, bool pressed)
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

} // namespace roundpicture

RoundPicture::RoundPicture(QWidget *parent) : QWidget(parent) {}

void RoundPicture::setPicture(const QString &picturePath)
{
    path = picturePath;
    update();
}

void RoundPicture::paintEvent(QPaintEvent *)
{
    if (width() > 0) roundpicture::paint(this, path, false);
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
    roundpicture::paint(this, path, isDown());
}
