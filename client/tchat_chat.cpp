// The chat: coloured lines, the entry box, phrase buttons, chatter sounds and
// the chat options.
#include "client/tchat.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QToolButton>

#include "client/chatdisplay.h"
#include "client/colortext.h"
#include "client/playerboard.h"
#include "client/soundplayer.h"
#include "net/commands.h"
#include "windows/plaintext.h"
#include "windows/tphrases.h"

namespace {
const char ChatterSound[] = ": <Chatter Sound> ";
const char MeCommand[] = "/me";
// What the host adds before a phrase's text: " says: ".
const int PhrasePrefixBytes = 7;

// A line's text cut so that the field the host relays (the text, "|" and the
// colour text, after `before` bytes the host puts in front) fits the host's
// limit: longer would be cut by the host and lose its colour, and a pasted
// line beyond the host's message size would end the connection.
QByteArray fitLine(const QString &text, const QByteArray &colour, int before = 0)
{
    return cmd::cutText(text.toUtf8(), cmd::MaxTextBytes - before - 1 - int(colour.size()));
}
} // namespace

void Tchat::addlinetochat(const QString &line, TColor colour)
{
    QString text = line.left(MaxChatLineLength);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    pendingChat.append({text, colour});
    // Lines older than the history would only be inserted to be dropped.
    if (pendingChat.size() > MaxChatLines)
        pendingChat.erase(pendingChat.begin(), pendingChat.end() - MaxChatLines);
    // Lines that come while the host's messages are being handled go in
    // together, once the waiting messages are handled (or at the next turn of
    // the event loop); any other line at once.
    if (!batchingChat) {
        flushChat();
        return;
    }
    if (!chatFlushTimer->isActive()) chatFlushTimer->start(0);
}

void Tchat::flushChat()
{
    if (chatFlushTimer) chatFlushTimer->stop();
    if (pendingChat.isEmpty()) return;
    QScrollBar *bar = mainchat->verticalScrollBar();
    const int firstVisible = bar->value();

    QTextCursor end(mainchat->document());
    end.movePosition(QTextCursor::End);
    end.beginEditBlock();
    QTextCharFormat format;
    for (const PendingLine &pending : std::as_const(pendingChat)) {
        const QString &text = pending.text;
        if (chatStarted) end.insertBlock(QTextBlockFormat(), QTextCharFormat());
        chatStarted = true;
        format.setForeground(colortext::toQColor(pending.colour));
        const int colon = int(text.indexOf(u':'));
        if (colon >= 0) {
            format.setFontWeight(QFont::Bold);
            end.insertText(text.left(colon + 1), format);
        }
        format.setFontWeight(QFont::Normal);
        end.insertText(text.mid(colon + 1), format);
    }
    pendingChat.clear();
    // The history holds MaxChatLines lines (the display drops older ones) and
    // at most MaxChatCharacters characters.
    QTextDocument *doc = mainchat->document();
    if (doc->characterCount() > MaxChatCharacters) {
        QTextBlock block = doc->begin();
        int dropped = 0;
        while (block.isValid() && block != doc->lastBlock() &&
               doc->characterCount() - dropped > MaxChatCharacters) {
            dropped += block.length();
            block = block.next();
        }
        QTextCursor top(doc);
        top.setPosition(block.position(), QTextCursor::KeepAnchor);
        top.removeSelectedText();
    }
    end.endEditBlock();

    // The player's own caret and selection are never moved by a new line.
    if (scrollIsOff)
        bar->setValue(firstVisible);
    else
        bar->setValue(bar->maximum());
}

void Tchat::playsounds(const QString &name)
{
    if (PlaySounds1->isChecked() && soundPlayer) soundPlayer->play(name);
}

void Tchat::on(const cmd::toClient::ChatLine &message)
{
    chatrecieved(message.text);
}

void Tchat::on(const cmd::toClient::ActionLine &message)
{
    chatrecieved(message.text);
}

void Tchat::chatrecieved(const QByteArray &line)
{
    const QString text = QString::fromUtf8(line);
    const int bar = int(text.indexOf(u'|'));
    if (bar < 0) {
        addlinetochat(text, colortext::clSilver);
        return;
    }
    const TColor colour = onlyone->isChecked()
                              ? textColor
                              : colortext::fromTextOr(text.mid(bar + 1), colortext::clSilver);
    addlinetochat(text.left(bar), colour);
}

void Tchat::on(const cmd::toClient::Sound &message)
{
    const QByteArray &slotText = message.slot.text;
    const QString name = QString::fromUtf8(message.sound);
    if (PlayChatterSounds1->isChecked()) {
        if (soundPlayer) soundPlayer->play(name);
        return;
    }
    // The notice names the player by the board's caption; spies have none.
    int slot = 0;
    if (!cmd::toNumber(slotText, slot) || slot < 1 || slot > BoardSlots ||
        QByteArray::number(slot) != slotText)
        return;
    for (int n = 0; n <= SoundItems; ++n) {
        if (wave[n]->objectName().compare(name, Qt::CaseInsensitive) != 0) continue;
        addlinetochat(FlatPanel2->caption(slot) + QLatin1String(ChatterSound) + wave[n]->toolTip(),
                      colortext::clBlue);
        return;
    }
}

void Tchat::sendit()
{
    if (!st.loggedIn) return;
    const QString text = mychat->text();
    if (!text.isEmpty()) {
        const QByteArray colour = colortext::toText(textColor).toUtf8();
        if (!text.startsWith(u'/')) {
            sendToHost(cmd::client::chat(st.ownSlot, fitLine(text, colour), colour));
        } else if (text.startsWith(QLatin1String(MeCommand))) {
            // "/me" and the character after it, normally a blank.
            int cut = 4;
            if (text.size() > 3 && text[3].isHighSurrogate()) ++cut;
            const QByteArray actionColour = colortext::toText(actionColor).toUtf8();
            sendToHost(cmd::client::action(st.ownSlot, fitLine(text.mid(cut), actionColour),
                                           actionColour));
        }
        // Any other "/" command is dropped.
    }
    mychat->clear();
}

bool Tchat::phraseReady() const
{
    return phraseClock.elapsed() >= phrasePauseMs;
}

void Tchat::b_phrase1Click(int button)
{
    if (button < 1 || button >= PhraseButtons) return;
    const QString phrase = phrases[button];
    if (!phraseReady() || !st.loggedIn) return;
    const QByteArray colour = colortext::toText(actionColor).toUtf8();
    sendToHost(cmd::client::phrase(st.ownSlot, fitLine(phrase, colour, PhrasePrefixBytes), colour));
    phraseClock.restart();
}

void Tchat::setPhrase(int button, const QString &phrase)
{
    if (button < 1 || button > PhraseButtons) return;
    phrases[button] = phrase;
    plaintext::setToolTip(b_phrase[button], phrase);
}

void Tchat::b_phrase10Click()
{
    QToolButton *button = b_phrase[PhraseButtons];
    popup_sounds->popup(button->mapToGlobal(button->rect().bottomRight()));
}

void Tchat::wave12Click(QAction *item)
{
    const int tag = item ? item->data().toInt() : 0;
    if (tag == 0 || !st.loggedIn) return;
    sendToHost(cmd::client::playasound(st.ownSlot, tag));
}

void Tchat::Copy1Click()
{
    const QString selected = mainchat->textCursor().selection().toPlainText();
    QApplication::clipboard()->setText(selected);
}

void Tchat::setTextSize(int points)
{
    textSize = points;
    QFont chatFont = mainchat->font();
    chatFont.setPointSize(points);
    mainchat->setFont(chatFont);
    for (QAction *item : textSizes->actions())
        if (item->data().toInt() == points) item->setChecked(true);
}

void Tchat::N14Click(QAction *item)
{
    if (!item) return;
    setTextSize(item->data().toInt());
    saveOption(settings::KeyTextsize, QString::number(textSize));
}

void Tchat::applyTextColour(TColor colour)
{
    textColor = colour;
    QPalette entryPalette = mychat->palette();
    entryPalette.setColor(QPalette::Text, colortext::toQColor(colour));
    mychat->setPalette(entryPalette);
}

void Tchat::TextColor1Click()
{
    TColor chosen = textColor;
    if (!pickColour || !pickColour(textColor, chosen)) return;
    applyTextColour(chosen);
    saveOption(settings::KeyTextcolor, colortext::toText(textColor));
}

void Tchat::ActionColor1Click()
{
    TColor chosen = actionColor;
    if (pickColour && pickColour(actionColor, chosen)) actionColor = chosen;
    saveOption(settings::KeyActioncolor, colortext::toText(actionColor));
}

void Tchat::onlyoneClick()
{
    saveOption(settings::KeyOnlyone, settings::flagText(onlyone->isChecked()));
}

void Tchat::PlaySounds1Click()
{
    saveOption(settings::KeyPlaysounds, settings::flagText(PlaySounds1->isChecked()));
}

void Tchat::PlayChatterSounds1Click()
{
    saveOption(settings::KeyChatterSounds, settings::flagText(PlayChatterSounds1->isChecked()));
}

void Tchat::setScrollOff(bool on)
{
    scrollIsOff = on;
    Scrollchatoff1->setChecked(on);
    Scrollchatoff2->setChecked(on);
}

void Tchat::Scrollchatoff2Click()
{
    // Both items show one mark; the triggered one has already flipped its own.
    setScrollOff(!scrollIsOff);
}

void Tchat::PhraseList1Click()
{
    if (!windows.phrases) return;
    QStringList list;
    for (int n = 1; n <= PhraseButtons; ++n)
        list.append(phrases[n]);
    windows.phrases->setPhrases(list);
    windows.phrases->show();
    windows.phrases->raise();
}
