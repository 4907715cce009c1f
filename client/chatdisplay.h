// The chat display `mainchat`: read-only coloured lines on black, with web
// addresses that show a pointing hand and open on a left click. Only http and
// https addresses open; the display loads no resource but the program's own.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <functional>

#include "client/urlfinder.h"

class ChatDisplay : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit ChatDisplay(QWidget *parent = nullptr);

    // The address under a point of the viewport, if any.
    FoundAddress addressAt(const QPoint &viewportPos) const;
    // The web address under a point: an address that opens as http or https.
    FoundAddress webAddressAt(const QPoint &viewportPos) const;
    // The character under a point of the viewport; the text's length when none.
    int characterAt(const QPoint &viewportPos) const;

    // Opens an address with the desktop's "open"; tests put a recorder here.
    std::function<void(const QString &address)> openAddress;

    QVariant loadResource(int type, const QUrl &name) override;

protected:
    void mouseMoveEvent(QMouseEvent *event) override;  // mainchatMouseMove
    void mousePressEvent(QMouseEvent *event) override; // mainchatMouseDown
};

// The chat entry `mychat`: a one-line box that shows a placeholder until it
// first gets the focus or a key, and sends its line on Enter.
class ChatEntry : public QLineEdit
{
    Q_OBJECT
public:
    static constexpr char Placeholder[] = "<Enter Chat Here>";
    explicit ChatEntry(QWidget *parent = nullptr);

signals:
    void enterPressed();  // mychatKeyPress with the Enter character
    void enterReleased(); // mychatKeyUp of the Enter key

protected:
    void focusInEvent(QFocusEvent *event) override;  // mychatEnter
    void keyPressEvent(QKeyEvent *event) override;   // mychatKeyDown, mychatKeyPress
    void keyReleaseEvent(QKeyEvent *event) override; // mychatKeyUp
};
