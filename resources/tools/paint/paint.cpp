// Paints every picture of the game into a folder: each PNG at 1x and at 2x ("name@2x.png"),
// drawn as vectors so both sizes are crisp, and the lobby picture as a JPEG.
//
// Usage: paint OUTDIR          (run with QT_QPA_PLATFORM=offscreen)
//        paint --icons OUTDIR  the desktop icon: hicolor PNGs 16 to 256 and the SVG

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QTextStream>

#include <cmath>
#include <functional>

namespace {

// The game's palette: a night-blue ground, gold for Yellow and for buttons, silver-white for
// White, red and navy as in the round screens.
const QColor nightTop(0x1b, 0x24, 0x5e);
const QColor nightDeep(0x07, 0x09, 0x1a);
const QColor gold(0xff, 0xd2, 0x3f);
const QColor goldDark(0xe0, 0x8e, 0x00);
const QColor goldLight(0xff, 0xf0, 0x9a);
const QColor silver(0xb8, 0xc0, 0xd4);
const QColor navy(0x0b, 0x14, 0x50);
const QColor tileCream(0xfb, 0xf3, 0xdc);
const QColor tileEdge(0xc9, 0xb2, 0x7a);
const QColor okGreen(0x34, 0xc7, 0x59);

using Drawer = std::function<void(QPainter &, QSizeF)>;

QFont font(const QString &family, qreal pixels, int weight = QFont::Bold, bool italic = false)
{
    QFont f(family);
    f.setPixelSize(1); // replaced below; keeps Qt from warning about a point size of -1
    f.setPixelSize(qMax(1, qRound(pixels)));
    f.setWeight(QFont::Weight(weight));
    f.setItalic(italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// Text as a path, so that fractional sizes scale exactly between 1x and 2x.
QPainterPath textPath(const QString &text, const QFont &f, QPointF centre)
{
    QPainterPath path;
    path.addText(0, 0, f, text);
    const QRectF box = path.boundingRect();
    path.translate(centre - box.center());
    return path;
}

QPainterPath roundedRect(const QRectF &r, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

void glossyPill(QPainter &p, const QRectF &r, qreal radius, const QColor &top, const QColor &mid,
                const QColor &bottom, const QColor &edge)
{
    // A soft drop shadow first, so the button lifts off the bar behind it.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawPath(roundedRect(r.translated(0, 1.0), radius));

    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(0.5, mid);
    g.setColorAt(1, bottom);
    p.setBrush(g);
    p.setPen(QPen(edge, 1.0));
    p.drawPath(roundedRect(r, radius));

    // Gloss on the upper half.
    QRectF shine(r.left() + 2, r.top() + 1.5, r.width() - 4, r.height() * 0.45);
    QLinearGradient s(shine.topLeft(), shine.bottomLeft());
    s.setColorAt(0, QColor(255, 255, 255, 150));
    s.setColorAt(1, QColor(255, 255, 255, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(s);
    p.drawPath(roundedRect(shine, qMin(radius, shine.height() / 2)));
}

void smallButtonBase(QPainter &p, QSizeF size)
{
    QRectF r(0.5, 0.5, size.width() - 1, size.height() - 1);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(0x4a, 0x5a, 0xb8));
    g.setColorAt(0.5, QColor(0x26, 0x31, 0x80));
    g.setColorAt(1, QColor(0x14, 0x1a, 0x4a));
    p.setBrush(g);
    p.setPen(QPen(QColor(0x9a, 0xa8, 0xf0), 1.0));
    p.drawPath(roundedRect(r, 4));
    p.setPen(QPen(QColor(255, 255, 255, 70), 1.0));
    p.drawLine(QPointF(3, 1.5), QPointF(size.width() - 3, 1.5));
}

// A cream letter tile with its letter, used by the logo, the icon and the lobby.
void letterTile(QPainter &p, QPointF centre, qreal side, QChar letter, qreal angle,
                const QColor &face = tileCream, const QColor &ink = navy)
{
    p.save();
    p.translate(centre);
    p.rotate(angle);
    QRectF r(-side / 2, -side / 2, side, side);
    const qreal radius = side * 0.16;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawPath(roundedRect(r.translated(side * 0.05, side * 0.08), radius));
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, face.lighter(106));
    g.setColorAt(1, face.darker(112));
    p.setBrush(g);
    p.setPen(QPen(tileEdge, qMax(0.6, side * 0.04)));
    p.drawPath(roundedRect(r, radius));
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(textPath(QString(letter), font("DejaVu Sans", side * 0.68), QPointF(0, 0)));
    p.restore();
}

// Head and shoulders of a person, standing on baseline at x.
QPainterPath person(qreal x, qreal baseline, qreal h)
{
    QPainterPath path;
    const qreal head = h * 0.36;
    path.addEllipse(QPointF(x, baseline - h + head / 2), head / 2, head / 2);
    const qreal w = h * 0.72;
    const qreal top = baseline - h + head * 1.08;
    QPainterPath body;
    body.moveTo(x - w / 2, baseline);
    body.lineTo(x - w / 2, top + h * 0.22);
    body.cubicTo(x - w / 2, top, x - w * 0.2, top, x, top);
    body.cubicTo(x + w * 0.2, top, x + w / 2, top, x + w / 2, top + h * 0.22);
    body.lineTo(x + w / 2, baseline);
    body.closeSubpath();
    return path.united(body);
}

void checkMark(QPainter &p, QPointF a, QPointF b, QPointF c, qreal width, const QColor &colour,
               const QColor &outline)
{
    QPainterPath path(a);
    path.lineTo(b);
    path.lineTo(c);
    p.setBrush(Qt::NoBrush);
    if (outline.isValid()) {
        p.setPen(QPen(outline, width + 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(path);
    }
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

// ---- the pictures -----------------------------------------------------------------------

// A seamless quilted tile: every line and dot is drawn again one tile over in each direction,
// so what leaves one edge comes back at the other.
void drawBackground(QPainter &p, QSizeF s)
{
    p.fillRect(QRectF(QPointF(0, 0), s), QColor(0x0b, 0x0e, 0x22));
    const qreal w = s.width(), h = s.height();
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            p.save();
            p.translate(dx * w, dy * h);
            QPolygonF diamond{QPointF(0, h / 2), QPointF(w / 2, 0), QPointF(w, h / 2),
                              QPointF(w / 2, h)};
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(QColor(0x1a, 0x21, 0x48), 1.0));
            p.drawPolygon(diamond);
            p.setPen(QPen(QColor(0x12, 0x17, 0x34), 1.0));
            p.drawLine(QPointF(w / 4, h / 4 + h / 2), QPointF(w / 4 + w / 2, h / 4));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0x26, 0x2f, 0x63));
            p.drawEllipse(QPointF(w / 2, h / 2), 1.4, 1.4);
            p.setBrush(QColor(0x1d, 0x25, 0x52));
            for (QPointF c : {QPointF(0, 0), QPointF(w, 0), QPointF(0, h), QPointF(w, h)})
                p.drawEllipse(c, 1.1, 1.1);
            p.restore();
        }
    }
}

void drawGameArea(QPainter &p, QSizeF s)
{
    const QRectF r(QPointF(0, 0), s);
    QLinearGradient base(r.topLeft(), r.bottomLeft());
    base.setColorAt(0, QColor(0x10, 0x16, 0x3c));
    base.setColorAt(1, QColor(0x06, 0x08, 0x18));
    p.fillRect(r, base);

    QRadialGradient glow(QPointF(s.width() / 2, s.height() * 0.42), s.width() * 0.55);
    glow.setColorAt(0, QColor(0x2a, 0x38, 0x8a, 120));
    glow.setColorAt(1, QColor(0x2a, 0x38, 0x8a, 0));
    p.fillRect(r, glow);

    // Faint letters drifting behind the play, few enough that text stays easy to read.
    QRandomGenerator rng(7772);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPRSTUWY");
    for (int i = 0; i < 26; ++i) {
        const QPointF c(rng.bounded(s.width()), rng.bounded(s.height()));
        const qreal size = 26 + rng.bounded(40.0);
        p.save();
        p.translate(c);
        p.rotate(rng.bounded(40.0) - 20);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x8a, 0x9c, 0xff, 8 + int(rng.bounded(7))));
        p.drawPath(roundedRect(QRectF(-size / 2, -size / 2, size, size), size * 0.16));
        p.setBrush(QColor(0xc8, 0xd2, 0xff, 10 + int(rng.bounded(8))));
        p.drawPath(textPath(QString(letters.at(int(rng.bounded(letters.size())))),
                            font("DejaVu Sans", size * 0.66), QPointF(0, 0)));
        p.restore();
    }

    QRadialGradient vignette(QPointF(s.width() / 2, s.height() / 2), s.width() * 0.62);
    vignette.setColorAt(0.6, QColor(0, 0, 0, 0));
    vignette.setColorAt(1, QColor(0, 0, 0, 140));
    p.fillRect(r, vignette);
}

void drawTeam(QPainter &p, QSizeF s, bool yellow, bool chosen)
{
    const QColor team = yellow ? gold : QColor(0xf6, 0xf8, 0xff);
    const QColor teamLight = yellow ? goldLight : QColor(255, 255, 255);
    const QColor teamDark = yellow ? goldDark : silver.darker(115);
    const QRectF card(4, 4, s.width() - 8, s.height() - 8);
    const qreal radius = 12;

    if (chosen) {
        // A glow around the chosen team's card.
        for (int i = 4; i >= 1; --i) {
            QColor c = team;
            c.setAlpha(28 + (4 - i) * 18);
            p.setPen(QPen(c, i * 1.6));
            p.setBrush(Qt::NoBrush);
            p.drawPath(roundedRect(card, radius));
        }
    }

    QLinearGradient g(card.topLeft(), card.bottomLeft());
    if (chosen) {
        g.setColorAt(0, yellow ? QColor(0x4a, 0x3a, 0x08) : QColor(0x3a, 0x44, 0x70));
        g.setColorAt(1, yellow ? QColor(0x1c, 0x14, 0x02) : QColor(0x12, 0x17, 0x34));
    } else {
        g.setColorAt(0, QColor(0x1e, 0x24, 0x48));
        g.setColorAt(1, QColor(0x0b, 0x0e, 0x22));
    }
    p.setBrush(g);
    p.setPen(QPen(chosen ? team : QColor(0x55, 0x5e, 0x8c), chosen ? 2.2 : 1.2));
    p.drawPath(roundedRect(card, radius));

    // Three team mates, the middle one in front.
    const qreal baseline = card.bottom() - 20;
    // A team not chosen is shown dimmed: its colours are mixed halfway into the card's.
    auto dim = [chosen](const QColor &c) {
        if (chosen) return c;
        const QColor card(0x16, 0x1b, 0x38);
        return QColor((c.red() + card.red()) / 2, (c.green() + card.green()) / 2,
                      (c.blue() + card.blue()) / 2);
    };
    QLinearGradient body(QPointF(0, baseline - 50), QPointF(0, baseline));
    body.setColorAt(0, dim(teamLight));
    body.setColorAt(1, dim(teamDark));
    QLinearGradient back(QPointF(0, baseline - 44), QPointF(0, baseline));
    back.setColorAt(0, dim(team.darker(125)));
    back.setColorAt(1, dim(teamDark.darker(150)));
    p.save();
    p.setClipPath(roundedRect(card.adjusted(1, 1, -1, -1), radius));
    p.setPen(QPen(QColor(0, 0, 0, 120), 1.0));
    p.setBrush(back);
    p.drawPath(person(s.width() / 2 - 24, baseline, 38));
    p.drawPath(person(s.width() / 2 + 24, baseline, 38));
    p.setBrush(body);
    p.setPen(QPen(QColor(0, 0, 0, 150), 1.2));
    p.drawPath(person(s.width() / 2, baseline + 1, 50));
    p.restore();

    // Caption band at the bottom of the card.
    const QRectF band(card.left() + 1, baseline + 1, card.width() - 2,
                      card.bottom() - baseline - 2);
    p.save();
    p.setClipPath(roundedRect(card.adjusted(1, 1, -1, -1), radius - 1));
    p.fillRect(band, chosen ? QColor(0, 0, 0, 90) : QColor(0, 0, 0, 60));
    p.restore();
    p.setPen(Qt::NoPen);
    p.setBrush(chosen ? team : QColor(0xa8, 0xb0, 0xd0));
    p.drawPath(textPath(chosen ? QStringLiteral("Your team!") : QStringLiteral("Click to join"),
                        font("DejaVu Sans", 10.5), band.center()));

    if (chosen) {
        const QPointF c(card.right() - 12, card.top() + 12);
        p.setPen(QPen(QColor(0, 0, 0, 120), 1.0));
        QRadialGradient badge(c - QPointF(2, 2), 10);
        badge.setColorAt(0, okGreen.lighter(135));
        badge.setColorAt(1, okGreen.darker(120));
        p.setBrush(badge);
        p.drawEllipse(c, 9, 9);
        checkMark(p, c + QPointF(-4.2, 0.2), c + QPointF(-1.2, 3.4), c + QPointF(4.4, -3.4), 2.2,
                  Qt::white, QColor());
    }
}

void drawStart(QPainter &p, QSizeF s)
{
    const QRectF r(1, 1, s.width() - 2, s.height() - 3);
    glossyPill(p, r, r.height() / 2, goldLight, gold, goldDark, QColor(0x7a, 0x4d, 0x00));
    const QPainterPath text = textPath(QStringLiteral("Start Game"), font("DejaVu Sans", 12.5),
                                       r.center() + QPointF(0, 0.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 110));
    p.drawPath(text.translated(0, 0.8));
    p.setBrush(navy);
    p.drawPath(text);
}

void drawTimerBar(QPainter &p, QSizeF s)
{
    const QRectF r(QPointF(0, 0), s);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(0xff, 0xf6, 0xb0));
    g.setColorAt(0.35, QColor(0xff, 0xd0, 0x20));
    g.setColorAt(0.75, QColor(0xf0, 0x92, 0x00));
    g.setColorAt(1, QColor(0xa8, 0x52, 0x00));
    p.fillRect(r, g);
}

void drawEntered(QPainter &p, QSizeF s)
{
    Q_UNUSED(s);
    checkMark(p, QPointF(2.2, 9.2), QPointF(5.0, 12.6), QPointF(10.2, 4.4), 2.4,
              okGreen.lighter(115), QColor(0x06, 0x30, 0x12));
}

void drawPhrase(QPainter &p, QSizeF s)
{
    smallButtonBase(p, s);
    QPainterPath bubble;
    bubble.addEllipse(QRectF(5, 3.5, 15, 9.5));
    QPainterPath tail;
    tail.moveTo(8, 11);
    tail.lineTo(6.5, 15.5);
    tail.lineTo(11.5, 12.2);
    tail.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(bubble.united(tail));
    p.setBrush(navy);
    for (qreal x : {9.0, 12.5, 16.0})
        p.drawEllipse(QPointF(x, 8.3), 1.1, 1.1);
}

void drawSoundButton(QPainter &p, QSizeF s)
{
    smallButtonBase(p, s);
    QPainterPath speaker;
    speaker.moveTo(5, 7.5);
    speaker.lineTo(8, 7.5);
    speaker.lineTo(12, 4);
    speaker.lineTo(12, 15);
    speaker.lineTo(8, 11.5);
    speaker.lineTo(5, 11.5);
    speaker.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(speaker);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(gold, 1.3, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(10, 6.5, 6, 6), -50 * 16, 100 * 16);
    p.drawArc(QRectF(9.5, 3.5, 10, 12), -50 * 16, 100 * 16);
}

void drawLog(QPainter &p, QSizeF s)
{
    smallButtonBase(p, s);
    // A page with a folded corner and a few lines of writing.
    QPainterPath page;
    page.moveTo(5, 2.5);
    page.lineTo(11.5, 2.5);
    page.lineTo(14.5, 5.5);
    page.lineTo(14.5, 13.5);
    page.lineTo(5, 13.5);
    page.closeSubpath();
    p.setPen(QPen(QColor(0, 0, 0, 90), 0.8));
    p.setBrush(QColor(0xfc, 0xfa, 0xf0));
    p.drawPath(page);
    p.setPen(QPen(QColor(0x5a, 0x6a, 0xc8), 0.9));
    for (qreal y : {6.5, 8.7, 10.9})
        p.drawLine(QPointF(6.5, y), QPointF(12.8, y));
    // The plus says "add to the log".
    const QPointF c(14.8, 11.8);
    p.setPen(Qt::NoPen);
    p.setBrush(okGreen.darker(110));
    p.drawEllipse(c, 3.6, 3.6);
    p.setPen(QPen(Qt::white, 1.2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(c - QPointF(2, 0), c + QPointF(2, 0));
    p.drawLine(c - QPointF(0, 2), c + QPointF(0, 2));
}

void drawSave(QPainter &p, QSizeF s)
{
    const QRectF r(1, 1, s.width() - 2, s.height() - 3);
    glossyPill(p, r, 7, goldLight, gold, goldDark, QColor(0x7a, 0x4d, 0x00));
    // A small disk before the word.
    const QRectF disk(9, 4.2, 10, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(navy);
    QPainterPath body;
    body.moveTo(disk.topLeft());
    body.lineTo(disk.right() - 2, disk.top());
    body.lineTo(disk.right(), disk.top() + 2);
    body.lineTo(disk.bottomRight());
    body.lineTo(disk.bottomLeft());
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(QColor(0xe8, 0xec, 0xff));
    p.drawRect(QRectF(disk.left() + 2, disk.top() + 5.5, 6, 4.5));
    p.setBrush(QColor(0x9a, 0xa8, 0xe0));
    p.drawRect(QRectF(disk.left() + 2.5, disk.top(), 4.5, 3));
    const QPainterPath text = textPath(QStringLiteral("Save"), font("DejaVu Sans", 11.5),
                                       QPointF(38, r.center().y() + 0.5));
    p.setBrush(QColor(255, 255, 255, 110));
    p.drawPath(text.translated(0, 0.8));
    p.setBrush(navy);
    p.drawPath(text);
}

// A white-gloved hand pointing right, at the chosen answer.
void drawHand(QPainter &p, QSizeF s)
{
    Q_UNUSED(s);
    QPainterPath finger = roundedRect(QRectF(4.0, 4.6, 7.5, 3.2), 1.6);
    QPainterPath fist = roundedRect(QRectF(0.5, 4.6, 7.0, 9.6), 2.4);
    QPainterPath thumb = roundedRect(QRectF(2.6, 2.6, 4.4, 3.0), 1.5);
    QPainterPath cuff = roundedRect(QRectF(0.5, 5.4, 1.8, 8.0), 0.8);
    const QPainterPath hand = fist.united(finger).united(thumb);
    p.setPen(QPen(QColor(0x08, 0x08, 0x18), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QLinearGradient g(QPointF(0, 3), QPointF(0, 14));
    g.setColorAt(0, Qt::white);
    g.setColorAt(1, QColor(0xdc, 0xe2, 0xf2));
    p.setBrush(g);
    p.drawPath(hand);
    p.setPen(Qt::NoPen);
    p.setBrush(gold);
    p.drawPath(cuff);
    // Curled fingers under the pointing one.
    p.setPen(QPen(QColor(0x48, 0x50, 0x70), 0.8, Qt::SolidLine, Qt::RoundCap));
    for (qreal y : {8.6, 10.6, 12.5})
        p.drawLine(QPointF(3.8, y), QPointF(7.2, y));
}

void drawWinner(QPainter &p, QSizeF s)
{
    Q_UNUSED(s);
    QLinearGradient g(QPointF(2, 0), QPointF(14, 0));
    g.setColorAt(0, goldLight);
    g.setColorAt(0.45, gold);
    g.setColorAt(1, goldDark);
    const QPen edge(QColor(0x5a, 0x38, 0x00), 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    // Handles behind the cup.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x5a, 0x38, 0x00), 2.6));
    p.drawArc(QRectF(1.2, 2.6, 5, 5.5), 90 * 16, 180 * 16);
    p.drawArc(QRectF(9.8, 2.6, 5, 5.5), -90 * 16, 180 * 16);
    p.setPen(QPen(gold, 1.2));
    p.drawArc(QRectF(1.2, 2.6, 5, 5.5), 90 * 16, 180 * 16);
    p.drawArc(QRectF(9.8, 2.6, 5, 5.5), -90 * 16, 180 * 16);

    QPainterPath cup;
    cup.moveTo(3.5, 1.5);
    cup.lineTo(12.5, 1.5);
    cup.cubicTo(12.5, 7.5, 10.5, 9.5, 8, 9.8);
    cup.cubicTo(5.5, 9.5, 3.5, 7.5, 3.5, 1.5);
    cup.closeSubpath();
    QPainterPath foot;
    foot.addRect(QRectF(7, 9.5, 2, 2.5));
    foot.addRoundedRect(QRectF(4.5, 12, 7, 2.8), 0.8, 0.8);
    p.setPen(edge);
    p.setBrush(g);
    p.drawPath(cup.united(foot));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawEllipse(QRectF(5, 2.6, 1.8, 4));
}

void drawSpeed(QPainter &p, QSizeF s)
{
    Q_UNUSED(s);
    QPolygonF bolt{QPointF(9.8, 0.8),  QPointF(3.0, 9.0), QPointF(7.4, 9.0), QPointF(5.6, 15.2),
                   QPointF(13.0, 6.4), QPointF(8.6, 6.4), QPointF(11.2, 0.8)};
    QLinearGradient g(QPointF(0, 0), QPointF(0, 16));
    g.setColorAt(0, QColor(0xff, 0xfa, 0xc0));
    g.setColorAt(0.5, gold);
    g.setColorAt(1, QColor(0xff, 0x7a, 0x00));
    p.setPen(QPen(QColor(0x6a, 0x30, 0x00), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPolygon(bolt);
}

void sparkle(QPainter &p, QPointF c, qreal r, const QColor &colour)
{
    QPainterPath star;
    star.moveTo(c.x(), c.y() - r);
    star.quadTo(c, QPointF(c.x() + r, c.y()));
    star.quadTo(c, QPointF(c.x(), c.y() + r));
    star.quadTo(c, QPointF(c.x() - r, c.y()));
    star.quadTo(c, QPointF(c.x(), c.y() - r));
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(star);
}

void drawAbout(QPainter &p, QSizeF s)
{
    const QRectF r(QPointF(0, 0), s);
    QRadialGradient bg(QPointF(s.width() / 2, s.height() * 0.4), s.width() * 0.75);
    bg.setColorAt(0, QColor(0x2c, 0x3c, 0x9a));
    bg.setColorAt(0.6, nightTop);
    bg.setColorAt(1, nightDeep);
    p.fillRect(r, bg);

    // Rays behind the name.
    p.save();
    p.translate(s.width() / 2, s.height() * 0.45);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 16; ++i) {
        p.setBrush(QColor(255, 255, 255, i % 2 ? 6 : 12));
        QPainterPath ray;
        ray.moveTo(0, 0);
        ray.arcTo(QRectF(-160, -160, 320, 320), i * 22.5, 11.25);
        ray.closeSubpath();
        p.drawPath(ray);
    }
    p.restore();

    const QString name = QStringLiteral("QUIBBLETON");
    const qreal side = 18.0, step = 18.6;
    const qreal left = (s.width() - step * (name.size() - 1)) / 2;
    for (int i = 0; i < name.size(); ++i) {
        const qreal bounce = (i % 2 ? 3.0 : -3.0);
        const qreal angle = (i % 3 == 0 ? -6 : (i % 3 == 1 ? 5 : -2));
        letterTile(p, QPointF(left + i * step, 62 + bounce), side, name.at(i), angle,
                   i == 0 ? gold : tileCream);
    }

    p.setPen(Qt::NoPen);
    p.setBrush(goldLight);
    p.drawPath(textPath(QStringLiteral("the acro party game"),
                        font("DejaVu Serif", 13, QFont::Bold, true), QPointF(s.width() / 2, 98)));
    p.setBrush(QColor(0xc8, 0xd0, 0xf0));
    p.drawPath(textPath(QStringLiteral("make it up  \u2022  vote  \u2022  win"),
                        font("DejaVu Sans", 9.5, QFont::Normal), QPointF(s.width() / 2, 120)));

    sparkle(p, QPointF(22, 24), 6, QColor(255, 255, 255, 200));
    sparkle(p, QPointF(176, 30), 4.5, QColor(255, 240, 160, 200));
    sparkle(p, QPointF(160, 134), 3.5, QColor(255, 255, 255, 150));
    sparkle(p, QPointF(34, 132), 4, QColor(255, 240, 160, 150));
}

void drawIcon(QPainter &p, QSizeF s)
{
    const QRectF r(2, 2, s.width() - 4, s.height() - 4);
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, QColor(0x34, 0x46, 0xb0));
    g.setColorAt(1, nightDeep);
    p.setPen(QPen(gold, 2.0));
    p.setBrush(g);
    p.drawPath(roundedRect(r, 13));

    letterTile(p, QPointF(45, 20), 18, QChar('A'), 12);
    letterTile(p, QPointF(27, 34), 34, QChar('Q'), -8, gold);
    // A chat bubble corner, since the game is played while chatting.
    QPainterPath bubble = roundedRect(QRectF(38, 38, 20, 14), 5);
    QPainterPath tail;
    tail.moveTo(44, 50);
    tail.lineTo(41, 56);
    tail.lineTo(49, 51);
    tail.closeSubpath();
    p.setPen(QPen(navy, 1.0));
    p.setBrush(Qt::white);
    p.drawPath(bubble.united(tail));
    p.setPen(Qt::NoPen);
    p.setBrush(navy);
    for (qreal x : {43.0, 48.0, 53.0})
        p.drawEllipse(QPointF(x, 45), 1.6, 1.6);
}

// The same icon as SVG, for the scalable size of the desktop's icon theme. It follows
// drawIcon shape for shape; the letters stay text in the same font.
QString iconSvg()
{
    const auto hex = [](const QColor &c) { return c.name(QColor::HexRgb); };
    QString svg;
    QTextStream out(&svg);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"64\" "
           "viewBox=\"0 0 64 64\">\n"
        << "  <defs>\n"
        << "    <linearGradient id=\"ground\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"1\">"
        << "<stop offset=\"0\" stop-color=\"#3446b0\"/><stop offset=\"1\" stop-color=\""
        << hex(nightDeep) << "\"/></linearGradient>\n";
    const auto tileGradient = [&](const char *id, const QColor &face) {
        out << "    <linearGradient id=\"" << id << "\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"1\">"
            << "<stop offset=\"0\" stop-color=\"" << hex(face.lighter(106)) << "\"/>"
            << "<stop offset=\"1\" stop-color=\"" << hex(face.darker(112)) << "\"/>"
            << "</linearGradient>\n";
    };
    tileGradient("cream", tileCream);
    tileGradient("gold", gold);
    out << "  </defs>\n"
        << "  <rect x=\"2\" y=\"2\" width=\"60\" height=\"60\" rx=\"13\" fill=\"url(#ground)\" "
           "stroke=\""
        << hex(gold) << "\" stroke-width=\"2\"/>\n";
    const auto tile = [&](qreal cx, qreal cy, qreal side, char letter, qreal angle,
                          const char *gradient) {
        const qreal h = side / 2, radius = side * 0.16;
        out << "  <g transform=\"translate(" << cx << " " << cy << ") rotate(" << angle << ")\">\n"
            << "    <rect x=\"" << -h + side * 0.05 << "\" y=\"" << -h + side * 0.08
            << "\" width=\"" << side << "\" height=\"" << side << "\" rx=\"" << radius
            << "\" fill=\"#000000\" fill-opacity=\"0.43\"/>\n"
            << "    <rect x=\"" << -h << "\" y=\"" << -h << "\" width=\"" << side << "\" height=\""
            << side << "\" rx=\"" << radius << "\" fill=\"url(#" << gradient << ")\" stroke=\""
            << hex(tileEdge) << "\" stroke-width=\"" << qMax(0.6, side * 0.04) << "\"/>\n"
            << "    <text x=\"0\" y=\"" << side * 0.25
            << "\" text-anchor=\"middle\" font-family=\"DejaVu Sans, sans-serif\" "
               "font-weight=\"bold\" font-size=\""
            << side * 0.68 << "\" fill=\"" << hex(navy) << "\">" << letter << "</text>\n"
            << "  </g>\n";
    };
    tile(45, 20, 18, 'A', 12, "cream");
    tile(27, 34, 34, 'Q', -8, "gold");
    // The bubble and its tail as one outline, like the united paths of drawIcon.
    out << "  <path d=\"M43 38H53A5 5 0 0 1 58 43V47A5 5 0 0 1 53 52H47.4L41 56L43 52A5 5 0 0 1 "
           "38 47V43A5 5 0 0 1 43 38Z\" fill=\"#ffffff\" stroke=\""
        << hex(navy) << "\" stroke-width=\"1\"/>\n";
    for (int x : {43, 48, 53})
        out << "  <circle cx=\"" << x << "\" cy=\"45\" r=\"1.6\" fill=\"" << hex(navy) << "\"/>\n";
    out << "</svg>\n";
    return svg;
}

void chatBubble(QPainter &p, const QRectF &r, const QString &text, const QColor &face,
                bool tailLeft)
{
    QPainterPath bubble = roundedRect(r, 9);
    QPainterPath tail;
    const qreal tx = tailLeft ? r.left() + 14 : r.right() - 14;
    tail.moveTo(tx - 5, r.bottom() - 1);
    tail.lineTo(tx + (tailLeft ? -6 : 6), r.bottom() + 10);
    tail.lineTo(tx + 6, r.bottom() - 1);
    tail.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawPath(bubble.united(tail).translated(2, 3));
    p.setPen(QPen(face.darker(160), 1.4));
    p.setBrush(face);
    p.drawPath(bubble.united(tail));
    p.setPen(Qt::NoPen);
    p.setBrush(navy);
    p.drawPath(textPath(text, font("DejaVu Sans", r.height() * 0.48), r.center()));
}

// The lobby: a "LOBBY" sign in letter tiles, a crowd chatting below; the band under the sign
// is left calm because the download window writes "IS CLOSED" over it in red.
void drawLobby(QPainter &p, QSizeF s)
{
    const QRectF r(QPointF(0, 0), s);
    QLinearGradient wall(r.topLeft(), r.bottomLeft());
    wall.setColorAt(0, QColor(0x3c, 0x2a, 0x78));
    wall.setColorAt(0.55, QColor(0x6a, 0x4e, 0xa8));
    wall.setColorAt(0.56, QColor(0x2a, 0x1e, 0x5a));
    wall.setColorAt(1, QColor(0x10, 0x0c, 0x2a));
    p.fillRect(r, wall);

    // Soft ceiling lights.
    for (qreal x : {70.0, 200.0, 330.0}) {
        QRadialGradient light(QPointF(x, 0), 120);
        light.setColorAt(0, QColor(255, 230, 170, 110));
        light.setColorAt(1, QColor(255, 230, 170, 0));
        p.fillRect(r, light);
    }
    // Floor boards fading into the distance.
    p.setPen(QPen(QColor(255, 255, 255, 16), 1.0));
    for (int i = -10; i <= 10; ++i)
        p.drawLine(QPointF(200 + i * 14, 190), QPointF(200 + i * 60, s.height()));

    // The sign.
    const QRectF board(64, 16, 272, 70);
    p.setPen(QPen(QColor(0x4a, 0x2c, 0x10), 3));
    QLinearGradient wood(board.topLeft(), board.bottomLeft());
    wood.setColorAt(0, QColor(0xa8, 0x6a, 0x32));
    wood.setColorAt(1, QColor(0x6e, 0x40, 0x1c));
    p.setBrush(wood);
    p.drawPath(roundedRect(board, 10));
    const QString word = QStringLiteral("LOBBY");
    for (int i = 0; i < word.size(); ++i)
        letterTile(p, QPointF(board.left() + 40 + i * 48, board.center().y() + (i % 2 ? 2 : -2)),
                   44, word.at(i), (i % 2 ? 4 : -4), i == 0 ? gold : tileCream);

    // Chat bubbles over the crowd.
    chatBubble(p, QRectF(22, 168, 64, 30), QStringLiteral("Hi all!"), Qt::white, true);
    chatBubble(p, QRectF(128, 150, 58, 30), QStringLiteral("GG!"), goldLight, true);
    chatBubble(p, QRectF(222, 160, 60, 30), QStringLiteral("WTG!"), QColor(0xd8, 0xf4, 0xff),
               false);
    chatBubble(p, QRectF(312, 172, 70, 30), QStringLiteral("lol :)"), Qt::white, false);

    // The crowd, in the colours of players' chat text.
    const QColor shirts[] = {QColor(0xff, 0xd2, 0x3f), QColor(0xf4, 0xf6, 0xff),
                             QColor(0xff, 0x5a, 0x5a), QColor(0x5a, 0xd0, 0x7a),
                             QColor(0x6a, 0xb4, 0xff), QColor(0xff, 0x9a, 0x3a),
                             QColor(0xd2, 0x8a, 0xff)};
    struct Figure
    {
        qreal x, base, h;
        int colour;
    };
    const Figure back[] = {{40, 300, 70, 4},  {110, 292, 66, 6}, {180, 296, 70, 1},
                           {255, 290, 66, 3}, {330, 298, 70, 5}, {385, 300, 60, 0}};
    const Figure front[] = {
        {60, 345, 92, 0}, {150, 350, 100, 2}, {245, 348, 96, 1}, {340, 350, 94, 3}};
    auto drawFigures = [&](const auto &figures, int shade) {
        for (const Figure &f : figures) {
            QLinearGradient body(QPointF(0, f.base - f.h), QPointF(0, f.base));
            body.setColorAt(0, shirts[f.colour].darker(shade));
            body.setColorAt(1, shirts[f.colour].darker(shade + 120));
            p.setPen(QPen(QColor(0, 0, 0, 140), 1.5));
            p.setBrush(body);
            p.drawPath(person(f.x, f.base, f.h));
        }
    };
    drawFigures(back, 190);
    drawFigures(front, 100);

    QRadialGradient vignette(r.center(), s.width() * 0.7);
    vignette.setColorAt(0.65, QColor(0, 0, 0, 0));
    vignette.setColorAt(1, QColor(0, 0, 0, 120));
    p.fillRect(r, vignette);
}

bool render(const QString &dir, const QString &name, QSize size, qreal scale, const Drawer &draw,
            const char *format = "PNG", int quality = -1)
{
    QImage img(size * scale, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                         QPainter::SmoothPixmapTransform);
        p.scale(scale, scale);
        draw(p, QSizeF(size));
    }
    if (qstrcmp(format, "JPEG") == 0) img = img.convertToFormat(QImage::Format_RGB32);
    const QString file = dir + QLatin1Char('/') + name;
    if (!img.save(file, format, quality)) {
        QTextStream(stderr) << "cannot write " << file << '\n';
        return false;
    }
    return true;
}

} // namespace

// The desktop icon in the sizes of the hicolor theme, in its folder layout.
int paintIcons(const QString &dir)
{
    bool ok = true;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = dir + QStringLiteral("/hicolor/%1x%1/apps").arg(size);
        QDir().mkpath(folder);
        ok &= render(folder, QStringLiteral("quibbleton.png"), {64, 64}, size / 64.0, drawIcon);
    }
    const QString scalable = dir + QStringLiteral("/hicolor/scalable/apps");
    QDir().mkpath(scalable);
    QFile svg(scalable + QStringLiteral("/quibbleton.svg"));
    ok &= svg.open(QIODevice::WriteOnly) && svg.write(iconSvg().toUtf8()) > 0;
    return ok ? 0 : 1;
}

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--icons") == 0)
        return paintIcons(QString::fromLocal8Bit(argv[2]));
    if (argc != 2) {
        QTextStream(stderr) << "usage: paint OUTDIR | paint --icons OUTDIR\n";
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);

    struct Picture
    {
        const char *name;
        QSize size;
        Drawer draw;
    };
    const Picture pictures[] = {
        {"background", {64, 64}, drawBackground},
        {"gamearea", {782, 283}, drawGameArea},
        {"team0", {110, 102}, [](QPainter &p, QSizeF s) { drawTeam(p, s, true, false); }},
        {"team1", {110, 102}, [](QPainter &p, QSizeF s) { drawTeam(p, s, true, true); }},
        {"team2", {110, 102}, [](QPainter &p, QSizeF s) { drawTeam(p, s, false, false); }},
        {"team3", {110, 102}, [](QPainter &p, QSizeF s) { drawTeam(p, s, false, true); }},
        {"start", {90, 30}, drawStart},
        {"timerbar", {120, 8}, drawTimerBar},
        {"entered", {12, 17}, drawEntered},
        {"phrase", {25, 19}, drawPhrase},
        {"soundbutton", {25, 19}, drawSoundButton},
        {"log", {20, 16}, drawLog},
        {"save", {60, 20}, drawSave},
        {"hand", {12, 17}, drawHand},
        {"winner", {16, 16}, drawWinner},
        {"speed", {16, 16}, drawSpeed},
        {"about", {200, 150}, drawAbout},
        {"icon", {64, 64}, drawIcon},
    };
    bool ok = true;
    for (const Picture &pic : pictures) {
        const QString base = QString::fromLatin1(pic.name);
        ok &= render(dir, base + QStringLiteral(".png"), pic.size, 1, pic.draw);
        ok &= render(dir, base + QStringLiteral("@2x.png"), pic.size, 2, pic.draw);
    }
    ok &= render(dir, QStringLiteral("lobby.jpg"), {400, 339}, 1, drawLobby, "JPEG", 88);
    return ok ? 0 : 1;
}
