// Voting: the answers in this client's own random order, and the vote click.
#include "client/gamearea.h"

#include <QLabel>

#include "net/commands.h"
#include "resources/resourcenames.h"
#include "windows/plaintext.h"

namespace {

const QString VotingStatus = QStringLiteral("Voting Stage");
const QString EnjoyTheGame = QStringLiteral("Enjoy the Game");
const int VotingSeconds = 33;
const int RowHeight = 18;
const int LogLeft = 54;
const int NameLeft = 78;
const int NameWidth = 136;
const int VotesLeft = 246;
const int VotesWidth = 27;
const int AcroLeft = 279;
// The answer's text starts after a column that holds the hand while voting and
// the speed icon with the results, so neither covers the vote count.
const int AcroIndent = 20;
const int PanelWidth = 782;

int acroPointSize(int length)
{
    if (length <= 60) return 12;
    if (length <= 80) return 10;
    return 9;
}

// Entry i (1 to 12) of an order kept 0-based; a damaged order is made whole again.
int &entry(QVector<int> &order, int i)
{
    roworder::mend(order);
    return order[i - 1];
}

} // namespace

void Tgamearea::buildVotingPanel()
{
    panel_voting = new QWidget(this);
    panel_voting->setObjectName("panel_voting");

    for (int n = 1; n <= Lines; ++n) {
        Row &row = rows[n];
        const int top = roworder::rowTop(n);
        row.log = new RoundPictureButton(panel_voting);
        row.log->setObjectName(QStringLiteral("button_log") + QString::number(n));
        row.log->setPicture(res::log);
        row.log->setToolTip(QStringLiteral("Save this acro to your Acro Log"));
        row.log->setGeometry(LogLeft, top, 20, 16);
        roundstyle::setTag(row.log, n);
        row.log->hide();
        connect(row.log, &QAbstractButton::clicked, this,
                [this, n] { button_log1Click(rows[n].log); });

        row.name = new PlainLabel(panel_voting);
        row.name->setObjectName(QStringLiteral("label_name") + QString::number(n));
        row.name->setGeometry(NameLeft, top, NameWidth, RowHeight);
        row.name->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        roundstyle::setTextColour(row.name, palette::White);

        row.votes = new PlainLabel(panel_voting);
        row.votes->setObjectName(QStringLiteral("label_votes") + QString::number(n));
        row.votes->setGeometry(VotesLeft, top, VotesWidth, RowHeight);
        row.votes->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        roundstyle::setBold(row.votes, true);

        row.acro = new PlainLabel(panel_voting);
        row.acro->setObjectName(QStringLiteral("label_acro") + QString::number(n));
        row.acro->setGeometry(AcroLeft, top, 0, RowHeight);
        row.acro->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        // An indent, not a contents margin: polishing a frame resets its margins.
        row.acro->setIndent(AcroIndent);
        row.acro->setCursor(Qt::PointingHandCursor);
        roundstyle::setTag(row.acro, n);
        row.acro->installEventFilter(this);
    }

    image_hand = new RoundPicture(panel_voting);
    image_hand->setObjectName("image_hand");
    image_hand->setPicture(res::hand);
    image_hand->setGeometry(AcroLeft + 5, roworder::rowTop(1) + 2, 12, 17);
    image_hand->hide();
    image_speed = new RoundPicture(panel_voting);
    image_speed->setObjectName("image_speed");
    image_speed->setPicture(res::speed);
    image_speed->setToolTip(QStringLiteral("Speed Bonus"));
    image_speed->setGeometry(AcroLeft + 2, roworder::rowTop(1) + 3, 16, 16);
    image_speed->hide();
    image_winner = new RoundPicture(panel_voting);
    image_winner->setObjectName("image_winner");
    image_winner->setPicture(res::winner);
    image_winner->setToolTip(QStringLiteral("Round Winner"));
    image_winner->setGeometry(VotesLeft - 18, roworder::rowTop(1), 16, 16);
    image_winner->hide();
    setVotingOpen(false);

    label_wonround = new PlainLabel(EnjoyTheGame, panel_voting);
    label_wonround->setObjectName("label_wonround");
    label_wonround->setGeometry(0, 214, PanelWidth, 22);
    label_wonround->setAlignment(Qt::AlignCenter);
    roundstyle::setTextColour(label_wonround, palette::White);
    roundstyle::setBold(label_wonround, true);
    roundstyle::setPointSize(label_wonround, 12);

    panel_noanswers = new QWidget(panel_voting);
    panel_noanswers->setObjectName("panel_noanswers");
    panel_noanswers->setGeometry(221, 78, 340, 64);
    panel_noanswers->setAttribute(Qt::WA_StyledBackground, true);
    panel_noanswers->setStyleSheet(
        "#panel_noanswers { background: rgba(8, 14, 60, 225); border: 2px solid #c8cde0; "
        "border-radius: 10px; }");
    label_nosomething = new PlainLabel(QStringLiteral("No Acros Submitted"), panel_noanswers);
    label_nosomething->setObjectName("label_nosomething");
    label_nosomething->setGeometry(0, 0, 340, 64);
    label_nosomething->setAlignment(Qt::AlignCenter);
    roundstyle::setTextColour(label_nosomething, palette::Yellow);
    roundstyle::setBold(label_nosomething, true);
    roundstyle::setPointSize(label_nosomething, 16);
    panel_noanswers->hide();
}

void Tgamearea::fitAcro(QLabel *acro)
{
    acro->resize(std::min(acro->sizeHint().width() + 4, PanelWidth - AcroLeft), RowHeight);
}

void Tgamearea::setVotingOpen(bool open)
{
    roundstyle::setTag(image_hand, open ? 1 : 0);
}

bool Tgamearea::votingOpen() const
{
    return roundstyle::tag(image_hand) == 1;
}

void Tgamearea::postacros(const cmd::toClient::Answers &message)
{
    ClientState &state = context->state();
    setVotingOpen(true);
    image_hand->hide();

    for (const cmd::AcroItem &item : message.acros) {
        const int slot = item.slot.get();
        const QString answer = QString::fromUtf8(cmd::acroFromWire(item.acro));
        if (slot < 1 || slot > Lines) continue;
        QLabel *acro = rows[slot].acro;
        acro->setText(answer);
        plaintext::setToolTip(acro, answer);
        roundstyle::setTextColour(acro, slot == state.ownSlot ? palette::Red : palette::Yellow);
        roundstyle::setPointSize(acro, acroPointSize(int(answer.size())));
        fitAcro(acro);
        acro->show();
    }

    QVector<int> &order = state.answerOrder;
    for (int i = 0; i < 12; ++i) {
        const int a = int(random.bounded(1, Lines + 1));
        const int b = int(random.bounded(1, Lines + 1));
        std::swap(entry(order, a), entry(order, b));
    }
    // Lines without an answer go to the end; answers keep their shuffled order.
    for (int pass = 0; pass < 11; ++pass) {
        for (int p = 1; p <= 11; ++p) {
            const int slot = entry(order, p);
            const bool empty = slot < 1 || slot > Lines || rows[slot].acro->text().isEmpty();
            if (empty) std::swap(entry(order, p), entry(order, p + 1));
        }
    }
    for (int i = 1; i <= Lines; ++i)
        moveacro(i);
    setpanels(panel_voting);
}

void Tgamearea::moveacro(int i)
{
    if (i < 1 || i > Lines) return;
    const int n = entry(context->state().answerOrder, i);
    if (n < 1 || n > Lines) return;
    const int top = roworder::rowTop(i);
    Row &row = rows[n];
    row.acro->move(row.acro->x(), top);
    row.votes->move(row.votes->x(), top);
    row.log->move(row.log->x(), top);
    row.name->move(row.name->x(), top);
}

void Tgamearea::dovote()
{
    if (context->state().ownSlot <= facts::PlayerSlots) context->playsounds(QStringLiteral("vote"));
    startCountdown(VotingSeconds);
    setStatus(VotingStatus);
}

void Tgamearea::label_acro1Click(QObject *sender)
{
    auto *clicked = qobject_cast<QLabel *>(sender);
    const ClientState &state = context->state();
    if (!clicked || state.ownSlot > facts::PlayerSlots || clicked->text().isEmpty() ||
        roundstyle::textColour(clicked) == palette::Red || !votingOpen())
        return;
    if (state.loggedIn)
        context->sendToHost(cmd::client::choosenacro(state.ownSlot, roundstyle::tag(clicked)));
    for (int n = 1; n <= Lines; ++n) {
        QLabel *acro = rows[n].acro;
        if (roundstyle::textColour(acro) == palette::Red) continue;
        roundstyle::setBold(acro, false);
        roundstyle::setTextColour(acro, palette::Yellow);
        roundstyle::setBackground(acro, palette::Black);
        roundstyle::setTransparent(acro);
    }
    roundstyle::setBold(clicked, true);
    roundstyle::setBackground(clicked, palette::DarkBlue);
    fitAcro(clicked);
    image_hand->move(image_hand->x(), clicked->y() + 2);
    image_hand->show();
    image_hand->raise();
}
