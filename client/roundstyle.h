// Small style operations the board and the round screens share: text colour,
// weight and size, backgrounds, and the integer each control carries.
#pragma once

#include "resources/palette.h"

class QObject;
class QWidget;

namespace roundstyle {
void setTextColour(QWidget *widget, const QColor &colour);
QColor textColour(const QWidget *widget);
void setBold(QWidget *widget, bool bold);
bool isBold(const QWidget *widget);
void setPointSize(QWidget *widget, int points);
// An opaque background in the given colour.
void setBackground(QWidget *widget, const QColor &colour);
void setTransparent(QWidget *widget);
bool isTransparent(const QWidget *widget);
// The integer each control carries for its handlers ("Tag").
int tag(const QObject *object);
void setTag(QObject *object, int value);
} // namespace roundstyle
