// Text from outside the program (player names, chat, answers, categories,
// letters, anything read from a file) is only ever shown as typed. Qt reads
// markup into a label, tooltip or message box left in its automatic text
// format, and markup can make it load files; so every place that shows outside
// text goes through the types and helpers here.
#pragma once

#include <QLabel>
#include <QMessageBox>
#include <QTextBrowser>
#include <functional>

class QUrl;

// A label that shows its text exactly as given, never as markup. Every label of
// the game's windows is one, so a new caption cannot forget it.
class PlainLabel : public QLabel
{
public:
    explicit PlainLabel(QWidget *parent = nullptr);
    explicit PlainLabel(const QString &text, QWidget *parent = nullptr);
};

namespace plaintext {

// Tooltips have no text format of their own: a text that Qt would read as
// markup is escaped, so the tip shows it character for character. Any other
// text is returned unchanged.
QString toolTip(const QString &text);
void setToolTip(QWidget *widget, const QString &text);

// A message box that shows its text as plain text. The caller shows it.
QMessageBox *messageBox(QMessageBox::Icon icon, const QString &title, const QString &text,
                        QWidget *parent);

// The only resources a document of the program may load: its own (qrc:/ or :/).
bool isOwnResource(const QUrl &url);
// The only addresses the program hands to the desktop to open: http and https.
bool isWebAddress(const QUrl &url);

} // namespace plaintext

// A browser for the program's own pages: it loads no resource but the
// program's own and follows no link; a click on a web address asks openAddress.
class SafeTextBrowser : public QTextBrowser
{
public:
    explicit SafeTextBrowser(QWidget *parent = nullptr);
    QVariant loadResource(int type, const QUrl &name) override;

    // Opens a web address with the desktop; tests put a recorder here.
    std::function<void(const QUrl &address)> openAddress;
};
