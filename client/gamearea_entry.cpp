// Acro entry: the letters, the answer box with its check, and the countdown that
// every stage shows in the top bar.
#include "client/gamearea.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include "game/checkacro.h"
#include "net/commands.h"
#include "windows/plaintext.h"

namespace {

const QString CreatingStatus = QStringLiteral("Creating Acros");
const QString NoMatch = QStringLiteral("Acro does not match the letters");
const QString Filtered = QStringLiteral("Acro filtered for inappropriate langauge.");
const QString Accepted = QStringLiteral("Answer Accepted");
const QString Tilde = QStringLiteral("~");
const QString Plus = QStringLiteral("+");
const int TakesPart = 0;

QLabel *entryLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry,
                   const QColor &colour, bool bold, int points = 0)
{
    auto *label = new PlainLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignCenter);
    roundstyle::setTextColour(label, colour);
    roundstyle::setBold(label, bold);
    if (points > 0) roundstyle::setPointSize(label, points);
    return label;
}

} // namespace

void Tgamearea::buildCreatingPanel()
{
    panel_creating = new QWidget(this);
    panel_creating->setObjectName("panel_creating");

    label_catagory1 = entryLabel(panel_creating, "label_catagory1", QString(), QRect(0, 4, 782, 20),
                                 palette::Yellow, false, 11);
    label_letters = entryLabel(panel_creating, "label_letters", QStringLiteral("Letters"),
                               QRect(0, 24, 782, 46), palette::Yellow, true, 30);
    QFont spaced = label_letters->font();
    spaced.setLetterSpacing(QFont::AbsoluteSpacing, 6);
    label_letters->setFont(spaced);
    label_warning = entryLabel(panel_creating, "label_warning", NoMatch, QRect(0, 72, 782, 18),
                               palette::Red, true);
    label_warning->hide();
    label_filter = entryLabel(panel_creating, "label_filter", Filtered, QRect(0, 90, 782, 18),
                              palette::Red, true);
    label_filter->hide();

    edit_answer = new QLineEdit(panel_creating);
    edit_answer->setObjectName("edit_answer");
    edit_answer->setGeometry(71, 110, 640, 34);
    edit_answer->setFrame(false);
    edit_answer->setMaxLength(32767);
    QFont large = edit_answer->font();
    large.setPixelSize(24);
    edit_answer->setFont(large);
    edit_answer->setTextMargins(6, 0, 6, 0);
    roundstyle::setTextColour(edit_answer, palette::Blue);
    roundstyle::setTag(edit_answer, TakesPart);
    edit_answer->installEventFilter(this);
    // A pasted "~" would travel as "+" and be shown to the others unlike the
    // player's own box; keep the box free of it however the text arrives.
    connect(edit_answer, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (!text.contains(Tilde)) return;
        const int cursor = edit_answer->cursorPosition();
        QString plain = text;
        edit_answer->setText(plain.replace(Tilde, Plus));
        edit_answer->setCursorPosition(cursor);
    });

    label_accepted = entryLabel(panel_creating, "label_accepted", Accepted, QRect(0, 148, 782, 20),
                                palette::White, true, 11);
    label_accepted->hide();
    label_bonus = entryLabel(panel_creating, "label_bonus", QStringLiteral("10 Letter Bonus Round"),
                             QRect(0, 170, 782, 20), palette::Yellow, true, 11);
    label_bonus->hide();
    label_playersnames = entryLabel(panel_creating, "label_playersnames", QString(),
                                    QRect(0, 190, 782, 18), palette::Yellow, true);
    label_playtoscore1 =
        entryLabel(panel_creating, "label_playtoscore1", QStringLiteral("Play to Score: 30"),
                   QRect(20, 212, 300, 20), palette::Yellow, true);
    label_playtoscore1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label_creationtime1 =
        entryLabel(panel_creating, "label_creationtime1", QStringLiteral("Time to Create Acro: 60"),
                   QRect(462, 212, 300, 20), palette::Yellow, true);
    label_creationtime1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void Tgamearea::posttheletters(const cmd::toClient::Letters &message)
{
    ClientState &state = context->state();
    setStatus(CreatingStatus);
    roundstyle::setTextColour(edit_answer, palette::Blue);
    edit_answer->clear();
    const bool answering =
        state.ownSlot <= facts::PlayerSlots && roundstyle::tag(edit_answer) == TakesPart;
    edit_answer->setVisible(answering);
    label_accepted->hide();

    state.letterCount = message.letterCount.get();
    label_letters->setText(
        QString::fromUtf8(cmd::joinedLetters(message.letters, state.letterCount)));

    label_filter->hide();
    label_warning->hide();
    setpanels(panel_creating);
    startCountdown(creationTime());
    if (state.ownSlot <= facts::PlayerSlots && answering && isActiveWindow())
        edit_answer->setFocus();
    const int sound = int(random.bounded(4));
    context->playsounds(QStringLiteral("acro") + QString::number(sound));
}

bool Tgamearea::edit_answerKeyPress(QKeyEvent *event)
{
    label_warning->hide();
    roundstyle::setTextColour(edit_answer, palette::Blue);
    if (event->text() == Tilde) {
        edit_answer->insert(Plus);
        return true;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        checkacro(edit_answer->text());
        return true;
    }
    return false;
}

void Tgamearea::checkacro(const QString &text)
{
    const ClientState &state = context->state();
    if (state.ownSlot > facts::PlayerSlots) return;
    label_filter->hide();
    // An answer longer than the host keeps is cut first, so what is checked,
    // shown and sent is one text.
    const QString answer = QString::fromUtf8(cmd::cutText(text.toUtf8(), cmd::MaxTextBytes));
    const AcroCheck check =
        checkAcroText(answer, label_letters->text(), state.letterCount, state.filterOn);
    if (!check.checked) return;
    if (check.filtered) label_filter->show();
    edit_answer->setText(check.cleaned);

    if (!check.accepted) {
        roundstyle::setTextColour(edit_answer, palette::Red);
        label_warning->show();
        context->playsounds(QStringLiteral("wrong"));
        return;
    }
    roundstyle::setTextColour(edit_answer, palette::Blue);
    if (state.loggedIn)
        context->sendToHost(cmd::client::acro(
            state.ownSlot, cmd::cutText(check.cleaned.toUtf8(), cmd::MaxTextBytes)));
    roundstyle::setTextColour(edit_answer, palette::Black);
    label_accepted->show();
    context->playsounds(QStringLiteral("submit"));
    focusChat();
}

void Tgamearea::startCountdown(int seconds)
{
    context->state().secondsLeft = seconds;
    showTime();
    if (!Timer2->isActive()) Timer2->start();
}

void Tgamearea::showTime()
{
    const int left = std::max(0, context->state().secondsLeft);
    image_timer->resize(left, image_timer->height());
    const int minutes = left / 60;
    const int seconds = left % 60;
    label_timer->setText(QString::number(minutes) +
                         (seconds < 10 ? QStringLiteral(":0") : QStringLiteral(":")) +
                         QString::number(seconds));
}

void Tgamearea::Timer2Timer()
{
    int &left = context->state().secondsLeft;
    left = std::max(0, left - 1);
    if (left == 20 || left == 15 || (left >= 1 && left <= 10))
        context->playsounds(QStringLiteral("time"));
    showTime();
}
