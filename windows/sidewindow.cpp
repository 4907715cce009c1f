#include "windows/sidewindow.h"

#include "resources/resourcenames.h"
#include "windows/plaintext.h"

#include <QLabel>
#include <QMessageBox>
#include <QPixmap>

namespace {
// Shown where the background picture is missing: the picture's own dark tone.
const QColor fallbackBackground(0x10, 0x18, 0x38);
} // namespace

SideWindow::SideWindow(QWidget *parent, Qt::WindowFlags flags) : QWidget(parent, flags)
{
    QPalette pal = palette();
    pal.setBrush(QPalette::Window, backgroundBrush());
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
}

namespace {
SideWindow::Notifier &defaultNotifier()
{
    static SideWindow::Notifier notifier;
    return notifier;
}
} // namespace

void SideWindow::setNotifier(Notifier n)
{
    notifier = std::move(n);
}

void SideWindow::setDefaultNotifier(Notifier n)
{
    defaultNotifier() = std::move(n);
}

void SideWindow::notify(const QString &text)
{
    if (notifier) {
        notifier(text);
        return;
    }
    if (defaultNotifier()) {
        defaultNotifier()(text);
        return;
    }
    // Non-modal: the game's timers and sockets keep running while it is up.
    QMessageBox *box = plaintext::messageBox(QMessageBox::Warning, windowTitle(), text, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

QBrush SideWindow::backgroundBrush()
{
    static const bool resourcesReady = (res::init(), true);
    Q_UNUSED(resourcesReady);
    const QPixmap tile(QString::fromLatin1(res::background));
    if (tile.isNull()) return QBrush(fallbackBackground);
    return QBrush(tile);
}

void SideWindow::styleLabel(QLabel *label, const QColor &colour, int pointSize)
{
    QFont font = label->font();
    font.setBold(true);
    if (pointSize > 0) font.setPointSize(pointSize);
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}
