// Colour texts: how a colour travels inside chat and action messages and sits
// in the settings file. A colour with a standard name is written by its name
// ("clWhite"), any other as "$" and eight upper-case hex digits of its
// 0x00BBGGRR value ("$004080FF"). Reading also takes the names of the system
// colours ("clBtnFace"), letter case ignored, and numbers (decimal, "$" or
// "0x" with hex digits).
#pragma once

#include <QColor>
#include <QString>

#include "resources/palette.h"

namespace colortext {

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clWhite = 0xFFFFFF;
// System colours carry this bit; the low byte is the system colour's index.
inline constexpr TColor SystemBit = 0x80000000;

QString toText(TColor colour);
// False when the text is not a colour; `colour` is then left alone.
bool fromText(const QString &text, TColor &colour);
// `fallback` when the text is not a colour.
TColor fromTextOr(const QString &text, TColor fallback);

// The colour to paint with: system colours resolve through the application's
// palette, other values by their low 24 bits.
QColor toQColor(TColor colour);
TColor fromQColor(const QColor &colour);

} // namespace colortext
