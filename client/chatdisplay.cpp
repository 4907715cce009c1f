#include "client/chatdisplay.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTextBlock>
#include <QUrl>

#include "windows/plaintext.h"

ChatDisplay::ChatDisplay(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    // Selectable by mouse only: a read-only display shows no caret.
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    document()->setDocumentMargin(5);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::IBeamCursor);
    openAddress = [](const QString &address) {
        QDesktopServices::openUrl(QUrl::fromUserInput(address));
    };
}

int ChatDisplay::characterAt(const QPoint &viewportPos) const
{
    const QTextCursor caret = cursorForPosition(viewportPos);
    int position = caret.position();
    // The caret nearest the point may sit after the character the point is on.
    if (position > 0 && viewportPos.x() < cursorRect(caret).left()) --position;
    return position;
}

FoundAddress ChatDisplay::addressAt(const QPoint &viewportPos) const
{
    const QString text = document()->toPlainText();
    if (text.isEmpty()) return {};
    return findAddressAt(text, characterAt(viewportPos));
}

FoundAddress ChatDisplay::webAddressAt(const QPoint &viewportPos) const
{
    const FoundAddress found = addressAt(viewportPos);
    if (!found.isValid() || !plaintext::isWebAddress(QUrl::fromUserInput(found.address))) return {};
    return found;
}

QVariant ChatDisplay::loadResource(int type, const QUrl &name)
{
    if (!plaintext::isOwnResource(name)) return QVariant();
    return QPlainTextEdit::loadResource(type, name);
}

void ChatDisplay::mouseMoveEvent(QMouseEvent *event)
{
    const bool over = webAddressAt(event->position().toPoint()).isValid();
    viewport()->setCursor(over ? Qt::PointingHandCursor : Qt::IBeamCursor);
    QPlainTextEdit::mouseMoveEvent(event);
}

void ChatDisplay::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        const FoundAddress found = webAddressAt(event->position().toPoint());
        if (found.isValid()) {
            QTextCursor selection(document());
            selection.setPosition(found.start);
            selection.setPosition(found.start + int(found.address.size()), QTextCursor::KeepAnchor);
            setTextCursor(selection);
            if (openAddress) openAddress(found.address);
            event->accept();
            return;
        }
    }
    QPlainTextEdit::mousePressEvent(event);
}

ChatEntry::ChatEntry(QWidget *parent) : QLineEdit(QString::fromLatin1(Placeholder), parent) {}

void ChatEntry::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    end(false);
    if (text() == QLatin1String(Placeholder)) clear();
}

void ChatEntry::keyPressEvent(QKeyEvent *event)
{
    if (text() == QLatin1String(Placeholder)) clear();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // The box never receives the Enter character.
        event->accept();
        emit enterPressed();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void ChatEntry::keyReleaseEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat())
        emit enterReleased();
    QLineEdit::keyReleaseEvent(event);
}
