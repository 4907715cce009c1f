// Pictures of the round screens: drawn from the resources at the screen's pixel
// density and stretched to the widget; a picture the resources do not hold is
// painted as a stand-in, so no control is ever blank.
#pragma once

#include <QAbstractButton>
#include <QString>
#include <QWidget>

namespace roundpicture {
// Paints the picture over the whole widget, one pixel lower and to the right
// when pressed. Call from the widget's paint event.
void paint(QWidget *widget, const QString &path, bool pressed);
} // namespace roundpicture

class RoundPicture : public QWidget
{
    Q_OBJECT
public:
    explicit RoundPicture(QWidget *parent = nullptr);
    void setPicture(const QString &path);
    QString picture() const { return path; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString path;
};

// A clickable picture (the start, save, log and team buttons).
class RoundPictureButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit RoundPictureButton(QWidget *parent = nullptr);
    void setPicture(const QString &path);
    QString picture() const { return path; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString path;
};
