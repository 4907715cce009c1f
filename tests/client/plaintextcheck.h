// Walks every widget of every window the way a player would see it: what each
// label, tooltip, list item and document shows, and whether markup in it would
// take effect. The check itself never loads a resource.
#pragma once

#include <QAbstractItemView>
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include "windows/plaintext.h"

namespace plaincheck {

// A document that loads nothing, so rendering hostile markup here is harmless.
class InertDocument : public QTextDocument
{
protected:
    QVariant loadResource(int, const QUrl &) override { return QVariant(); }
};

// True when the document holds a picture or a link.
inline bool hasImageOrLink(const QTextDocument &doc)
{
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (f.isImageFormat() || f.isAnchor() || !f.anchorHref().isEmpty()) return true;
        }
    return false;
}

inline bool rendersRich(const QString &text, Qt::TextFormat format)
{
    return format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(text));
}

// What a caption in `format` shows.
inline QString rendered(const QString &text, Qt::TextFormat format)
{
    if (!rendersRich(text, format)) return text;
    InertDocument doc;
    doc.setHtml(text);
    return doc.toPlainText();
}

inline QString name(const QObject *o)
{
    return QString::fromLatin1(o->metaObject()->className()) + QLatin1Char(' ') + o->objectName();
}

inline QList<QWidget *> allWidgets()
{
    QList<QWidget *> all;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        all << top;
        all << top->findChildren<QWidget *>();
    }
    return all;
}

// Every place where markup would take effect, except the program's own rich
// texts named in `own` (by object name).
inline QStringList markupShown(const QStringList &own)
{
    QStringList found;
    for (QWidget *w : allWidgets()) {
        if (own.contains(w->objectName())) continue;
        if (auto *label = qobject_cast<QLabel *>(w); label && !label->text().isEmpty())
            if (rendersRich(label->text(), label->textFormat()))
                found << name(w) + QStringLiteral(" renders rich text: ") + label->text().left(80);
        const QString tip = w->toolTip();
        // A rich tip must be exactly the escaped form of what it shows.
        if (rendersRich(tip, Qt::AutoText) &&
            plaintext::toolTip(rendered(tip, Qt::AutoText)) != tip)
            found << name(w) + QStringLiteral(" tooltip renders markup: ") + tip.left(80);
        if (auto *view = qobject_cast<QAbstractItemView *>(w); view && view->itemDelegate())
            if (!QByteArray(view->itemDelegate()->metaObject()->className()).startsWith('Q'))
                found << name(w) + QStringLiteral(" draws its items itself");
        const QTextDocument *doc = nullptr;
        if (auto *edit = qobject_cast<QTextEdit *>(w)) doc = edit->document();
        if (auto *edit = qobject_cast<QPlainTextEdit *>(w)) doc = edit->document();
        if (doc && hasImageOrLink(*doc))
            found << name(w) + QStringLiteral(" holds a picture or link");
    }
    return found;
}

// Every text the windows show, as they show it: captions, tooltips, items,
// entry boxes and documents (one entry per line).
inline QStringList shownTexts()
{
    QStringList shown;
    for (QWidget *w : allWidgets()) {
        if (auto *label = qobject_cast<QLabel *>(w))
            shown << rendered(label->text(), label->textFormat());
        if (!w->toolTip().isEmpty()) shown << rendered(w->toolTip(), Qt::AutoText);
        if (auto *edit = qobject_cast<QLineEdit *>(w)) shown << edit->text();
        if (auto *edit = qobject_cast<QPlainTextEdit *>(w))
            shown << edit->toPlainText().split(QLatin1Char('\n'));
        if (auto *view = qobject_cast<QAbstractItemView *>(w); view && view->model()) {
            const QAbstractItemModel *m = view->model();
            for (int r = 0; r < m->rowCount(); ++r)
                for (int c = 0; c < m->columnCount(); ++c)
                    shown << m->data(m->index(r, c)).toString();
        }
    }
    return shown;
}

} // namespace plaincheck
