// What every side window shares: a top-level window of its own over the tiled
// background picture, hidden (never destroyed) by its frame, and one way to tell
// the player about a file that could not be read or written.
#pragma once

#include <QBrush>
#include <QWidget>
#include <functional>

class QLabel;

class SideWindow : public QWidget
{
    Q_OBJECT
public:
    using Notifier = std::function<void(const QString &text)>;

    explicit SideWindow(QWidget *parent = nullptr, Qt::WindowFlags flags = Qt::Window);

    // Replaces the message box that tells the player about a file problem (tests
    // collect the texts instead). The default opens a non-modal box and returns.
    void setNotifier(Notifier notifier);
    // The same for every side window without a notifier of its own, including the
    // messages of its construction. Tests set it; the program never does.
    static void setDefaultNotifier(Notifier notifier);

    // The tiled background picture, or a plain dark brush when it is missing.
    static QBrush backgroundBrush();
    // Bold label in the given colour, the look of every heading and caption.
    static void styleLabel(QLabel *label, const QColor &colour, int pointSize = 0);

protected:
    void notify(const QString &text);

private:
    Notifier notifier;
};
