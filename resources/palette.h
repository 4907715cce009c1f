// The game's colours in one place: the chat colour type, and the screen colours
// the board, the round screens, the main window's panels and the side windows
// share. It sits with the pictures, below every layer that draws.
#pragma once

#include <QColor>
#include <QtGlobal>

// A colour laid out 0x00BBGGRR, as chat lines and the settings file carry it.
using TColor = quint32;

namespace palette {
inline const QColor Yellow{255, 255, 0}; // player rows, the yellow team, the status line
inline const QColor White{255, 255, 255};
inline const QColor Red{255, 0, 0};
inline const QColor Blue{0, 0, 255};
inline const QColor Black{0, 0, 0};
inline const QColor Gray{128, 128, 128};
inline const QColor Navy{0, 0, 128};
inline const QColor DarkBlue{0, 0, 159}; // the highlighted vote
inline const QColor Silver{192, 192, 192};
inline const QColor BonusMark{90, 160, 255}; // a row's "+points" after a round
inline const QColor PanelRim{120, 120, 170};
inline const QColor PanelFace{0, 0, 20, 190}; // see-through, so the tiles show
} // namespace palette
