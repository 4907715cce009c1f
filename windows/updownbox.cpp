#include "windows/updownbox.h"

#include <QLineEdit>

UpDownBox::UpDownBox(const QString &upDownName, const QString &editName, int minimum, int maximum,
                     int step, int initial, QWidget *parent)
    : QSpinBox(parent)
{
    setObjectName(upDownName);
    setRange(minimum, maximum);
    setSingleStep(step);
    setValue(initial);
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setAlignment(Qt::AlignRight);
    // Typing is refused; the arrows (and the arrow keys) still step.
    lineEdit()->setReadOnly(true);
    lineEdit()->setObjectName(editName);
}

QLineEdit *UpDownBox::edit() const
{
    return lineEdit();
}
