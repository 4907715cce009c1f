#include "client/playerboard.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include "client/roundstyle.h"
#include "resources/resourcenames.h"
#include "windows/plaintext.h"

namespace {
const int EnteredLeft = 18;
const int NameLeft = 28;
const int NameWidth = 115;
const int ScoreLeft = 152;
const int BonusLeft = 181;
const int RowHeight = 17;

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new PlainLabel(text, parent);
    label->setObjectName(name);
    return label;
}
} // namespace

PlayerBoard::PlayerBoard(QWidget *parent) : QFrame(parent)
{
    setObjectName("FlatPanel2");
    // The board's width is its place in the main window's layout.
    const int boardWidth = 207;

    QFont rowFont = font();
    rowFont.setPointSize(9);
    const QPixmap mark(QString::fromLatin1(res::entered));
    for (int n = 1; n <= Slots; ++n) {
        const QString number = QString::number(n);
        Row &r = rows[n];
        r.name = makeLabel(this, "label_playername" + number, QString::fromLatin1(WaitingCaption));
        r.name->setFont(rowFont);
        roundstyle::setTag(r.name, n);
        r.name->resize(NameWidth, RowHeight);
        if (n == 1) {
            r.name->setContextMenuPolicy(Qt::PreventContextMenu);
        } else {
            r.name->setContextMenuPolicy(Qt::CustomContextMenu);
            QLabel *name = r.name;
            connect(name, &QWidget::customContextMenuRequested, this, [this, n, name](QPoint pos) {
                emit nameMenuRequested(n, name->mapToGlobal(pos));
            });
        }

        r.score = makeLabel(this, "label_score" + number, QStringLiteral("0"));
        r.score->setFont(rowFont);
        r.score->resize(BonusLeft - ScoreLeft - 2, RowHeight);

        r.bonus = makeLabel(this, "label_bonus" + number, QString());
        QFont bonusFont = rowFont;
        bonusFont.setPointSize(8);
        bonusFont.setBold(true);
        r.bonus->setFont(bonusFont);
        r.bonus->resize(boardWidth - BonusLeft - 2, RowHeight);
        roundstyle::setTextColour(r.bonus, palette::BonusMark);

        r.entered = makeLabel(this, "entered_" + number, QString());
        r.entered->setPixmap(mark);
        r.entered->setScaledContents(true);
        r.entered->resize(12, 17);
        r.entered->hide();

        setRowColour(n, palette::Yellow);
    }
    placeRows({});
}

const PlayerBoard::Row *PlayerBoard::row(int slot) const
{
    return slot >= 1 && slot <= Slots ? &rows[slot] : nullptr;
}

QString PlayerBoard::caption(int slot) const
{
    const Row *r = row(slot);
    return r ? r->name->text() : QString();
}

QString PlayerBoard::name(int slot) const
{
    const QString shown = caption(slot);
    return shown == QLatin1String(WaitingCaption) ? QString() : shown;
}

void PlayerBoard::showPlayer(int slot, const QString &name)
{
    if (const Row *r = row(slot)) {
        r->name->setText(name);
        r->name->show();
        r->score->setText(QStringLiteral("0"));
        r->score->show();
    }
}

void PlayerBoard::clearPlayer(int slot)
{
    if (const Row *r = row(slot)) r->name->setText(QString::fromLatin1(WaitingCaption));
}

QString PlayerBoard::score(int slot) const
{
    const Row *r = row(slot);
    return r ? r->score->text() : QString();
}

void PlayerBoard::setScore(int slot, const QString &total)
{
    if (const Row *r = row(slot)) r->score->setText(total);
}

void PlayerBoard::setBonusMark(int slot, const QString &points)
{
    if (const Row *r = row(slot)) r->bonus->setText(points);
}

void PlayerBoard::setEnteredMark(int slot, bool shown)
{
    if (const Row *r = row(slot)) r->entered->setVisible(shown);
}

void PlayerBoard::setRowColour(int slot, const QColor &colour)
{
    if (const Row *r = row(slot)) {
        roundstyle::setTextColour(r->name, colour);
        roundstyle::setTextColour(r->score, colour);
    }
}

void PlayerBoard::setRowBold(int slot, bool bold)
{
    if (const Row *r = row(slot)) {
        roundstyle::setBold(r->name, bold);
        roundstyle::setBold(r->score, bold);
    }
}

void PlayerBoard::placeRows(const QVector<int> &order)
{
    for (int k = 1; k <= Slots; ++k) {
        const Row *r = row(order.value(k - 1, k));
        if (!r) continue;
        const int top = roworder::rowTop(k);
        r->entered->move(EnteredLeft, top);
        r->name->move(NameLeft, top);
        r->score->move(ScoreLeft, top);
        r->bonus->move(BonusLeft, top);
    }
}

// A flat panel: a dark, slightly see-through face with a thin rim, so the
// tiled background shows around it.
void PlayerBoard::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(palette::PanelRim, 1));
    p.setBrush(palette::PanelFace);
    p.drawRoundedRect(r, 4, 4);
}
