// The player board beside the chat: one row per slot 1 to 12 with the player's
// name, the total, the last round's points and the answered mark. The main
// window and the round screens change it only through these calls. The row
// labels keep their design names (label_playername7, label_score7,
// label_bonus7, entered_7); the board itself is "FlatPanel2".
#pragma once

#include <QFrame>
#include <QString>
#include <QVector>

#include "client/roworder.h"

class QLabel;

class PlayerBoard : public QFrame
{
    Q_OBJECT
public:
    static constexpr int Slots = roworder::Rows;
    // The caption of a row that waits for a player.
    static constexpr char WaitingCaption[] = "<Waiting>";

    explicit PlayerBoard(QWidget *parent = nullptr);

    // What a row shows: the player's name or the waiting caption. Slots outside
    // 1 to 12 have no row: reading gives an empty text, changing does nothing.
    QString caption(int slot) const;
    // The player's name; empty while the slot waits for a player.
    QString name(int slot) const;
    // A player arrived: the name shown with a total of 0.
    void showPlayer(int slot, const QString &name);
    // The player left; the row's total stays until the next game.
    void clearPlayer(int slot);

    QString score(int slot) const;
    void setScore(int slot, const QString &total);
    // The points of the last round ("+5"); an empty text clears the mark.
    void setBonusMark(int slot, const QString &points);
    void setEnteredMark(int slot, bool shown);
    // The name and the total in one colour and weight.
    void setRowColour(int slot, const QColor &colour);
    void setRowBold(int slot, bool bold);
    // Row k (1 to 12) shows slot order[k - 1]; a missing entry shows slot k, an
    // entry naming no slot leaves its row alone.
    void placeRows(const QVector<int> &order);

signals:
    // The name of a slot 2 to 12 was right-clicked (the hosting player's own
    // row has no menu).
    void nameMenuRequested(int slot, const QPoint &globalPos);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Row
    {
        QLabel *name = nullptr;
        QLabel *score = nullptr;
        QLabel *bonus = nullptr;
        QLabel *entered = nullptr;
    };
    const Row *row(int slot) const;

    Row rows[Slots + 1];
};
