#include "windows/plaintext.h"

#include <QDesktopServices>
#include <QTextDocument>
#include <QUrl>

PlainLabel::PlainLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

PlainLabel::PlainLabel(const QString &text, QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setText(text);
}

namespace plaintext {

QString toolTip(const QString &text)
{
    // A tip is rendered as rich text exactly when Qt guesses markup; escaped,
    // the guess still says rich, but every character shows as it was.
    if (!Qt::mightBeRichText(text)) return text;
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}

void setToolTip(QWidget *widget, const QString &text)
{
    if (widget) widget->setToolTip(toolTip(text));
}

QMessageBox *messageBox(QMessageBox::Icon icon, const QString &title, const QString &text,
                        QWidget *parent)
{
    auto *box = new QMessageBox(icon, title, QString(), QMessageBox::Ok, parent);
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    return box;
}

bool isOwnResource(const QUrl &url)
{
    if (url.scheme() == QLatin1String("qrc")) return true;
    return url.scheme().isEmpty() && url.path().startsWith(QLatin1String(":/"));
}

bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

} // namespace plaintext

SafeTextBrowser::SafeTextBrowser(QWidget *parent) : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    openAddress = [](const QUrl &address) { QDesktopServices::openUrl(address); };
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl &link) {
        if (plaintext::isWebAddress(link) && openAddress) openAddress(link);
    });
}

QVariant SafeTextBrowser::loadResource(int type, const QUrl &name)
{
    if (!plaintext::isOwnResource(name)) return QVariant();
    return QTextBrowser::loadResource(type, name);
}
