#include "client/roundstyle.h"

#include <QFont>
#include <QPalette>
#include <QVariant>
#include <QWidget>

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
