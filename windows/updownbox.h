// A number box whose value changes only with its up-down arrows: the spin box is
// the up-down control and its read-only text is the edit box beside it, each with
// its own object name (UpDown1 and edit_playtoscore).
#pragma once

#include <QSpinBox>

class QLineEdit;

class UpDownBox : public QSpinBox
{
    Q_OBJECT
public:
    UpDownBox(const QString &upDownName, const QString &editName, int minimum, int maximum,
              int step, int initial, QWidget *parent = nullptr);
    QLineEdit *edit() const;
};
