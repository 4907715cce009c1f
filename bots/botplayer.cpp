#include "bots/botplayer.h"

#include <QTimer>
#include <algorithm>
#include <cmath>
#include <functional>

#include "net/commands.h"
#include "net/tsock.h"

namespace {
const char SocketClosed[] = "Socket Closed";
constexpr int LastPlayer = facts::PlayerSlots;
constexpr int LastSlot = facts::LastSlot;
constexpr int SelectingCount = 18;
constexpr int BonusSelectingCount = 10;
// Updates come every tenth tick; acting later than this many ticks before a
// stage's end would race its close.
constexpr int SafeTicks = 3;
// The host never needs a longer countdown than its own options allow.
constexpr int MaxCount = 3600 + 3;

QString text(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
}
} // namespace

BotPlayer::BotPlayer(const BotConfig &c, const Lexicon &lexicon, QObject *parent)
    : QObject(parent), config(c), maker(lexicon, c.seed, c.difficulty, c.family),
      chat(c.seed, c.quiet)
{
    queue = new ReceiveQueue(this);
    timer = new QTimer(this);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, &BotPlayer::act);
}

BotPlayer::~BotPlayer()
{
    if (sock) {
        // Nobody is left to hear of the close.
        sock->OnInfo = nullptr;
        sock->OnRead = nullptr;
        sock->Close();
    }
}

bool BotPlayer::start()
{
    sock = new TSock(this);
    sock->setHostName(config.host);
    sock->setPortName(QString::number(config.port));
    sock->OnRead = [this](TSock *, int) { readable(); };
    sock->OnInfo = [this](TSock *, TSocketInfo kind, const QString &message) {
        if (message == QLatin1String(SocketClosed))
            closed();
        else if (kind == TSocketInfo::Error && sock)
            sock->Close();
    };
    try {
        sock->Open();
    } catch (const ESockException &) {
        sock->Close();
        return false;
    }
    if (sock->Handle() < 0) {
        closed();
        return false;
    }
    port = sock->LocalPort();
    return true;
}

void BotPlayer::leave()
{
    timer->stop();
    if (finished) return;
    if (sock) sock->Close();
    if (!finished) closed();
}

void BotPlayer::closed()
{
    if (finished) return;
    finished = true;
    timer->stop();
    emit gone(this);
}

void BotPlayer::send(const QByteArray &message)
{
    if (ownSlot == 0 || finished || !sock) return;
    try {
        sock->Send(message);
    } catch (const ESockException &) {
        // The close report follows.
    }
}

void BotPlayer::readable()
{
    QByteArray bytes;
    try {
        bytes = sock->Receive();
    } catch (const ESockException &) {
        return;
    }
    if (!framer.feed(bytes, *queue)) {
        // A host in breach of the protocol is no host to play with.
        sock->Close();
        return;
    }
    while (!queue->isEmpty() && !finished) {
        const ReceivedEntry entry = queue->takeFirst();
        handle(entry.text);
    }
}

void BotPlayer::handle(const QByteArray &entry)
{
    cmd::dispatch<cmd::ToClient>(
        entry, [this](const auto &message) -> decltype(on(message)) { on(message); });
}

void BotPlayer::on(const cmd::toClient::SendLogin &message)
{
    const int number = message.slot.value;
    if (!message.slot.ok || number < 1 || number > LastSlot) return;
    const bool first = ownSlot == 0;
    ownSlot = number;
    send(cmd::client::logininfo(ownSlot, cmd::GameVersion, config.name));
    if (first) {
        say(chat.line(BotChat::Occasion::Greeting));
        emit loggedIn(this);
    }
}

void BotPlayer::arrived(const cmd::Number &slot, const QByteArray &name)
{
    if (!slot.ok || slot.value < 1 || slot.value > LastSlot) return;
    if (slot.value != ownSlot) names.insert(slot.value, name.left(256));
}

void BotPlayer::on(const cmd::toClient::NewPlayer &message)
{
    arrived(message.slot, message.name);
}

void BotPlayer::on(const cmd::toClient::ExistingPlayer &message)
{
    arrived(message.slot, message.name);
}

void BotPlayer::on(const cmd::toClient::PlayerGone &message)
{
    if (message.slot.ok) names.remove(message.slot.value);
}

void BotPlayer::on(const cmd::toClient::Full &)
{
    leave();
}

void BotPlayer::announced(const cmd::Number &creationSeconds, bool team)
{
    if (creationSeconds.ok) createtime = qBound(0, creationSeconds.value, 3600);
    teamGame = team;
    teams.clear();
    bonusRound = false;
    maker.newGame();
    beginStage(Stage::Idle, 0, Task::None, 0, 0);
}

void BotPlayer::on(const cmd::toClient::Game &message)
{
    announced(message.creationSeconds, false);
}

void BotPlayer::on(const cmd::toClient::TeamGame &message)
{
    announced(message.creationSeconds, true);
}

void BotPlayer::on(const cmd::toClient::Teams &message)
{
    for (int n = 0; n < LastSlot && n < message.teams.size(); ++n) {
        const cmd::TeamItem &pair = message.teams[n];
        if (!pair.slot.ok || !pair.team.ok) break;
        teams.insert(pair.slot.value, pair.team.value);
    }
}

void BotPlayer::on(const cmd::toClient::NextPlayer &message)
{
    if (!message.chooser.ok) return;
    chooser = message.chooser.value;
    fixedOnly = message.noCouch == "t";
}

void BotPlayer::on(const cmd::toClient::Cats &)
{
    bonusRound = false;
    category.clear();
    chat.newRound();
    beginStage(Stage::Selecting, SelectingCount,
               chooser == ownSlot && ownSlot <= LastPlayer ? Task::Category : Task::None, 0.1, 0.5);
}

void BotPlayer::on(const cmd::toClient::InBonus &message)
{
    bonusRound = true;
    listedForBonus = false;
    category = QStringLiteral("General");
    chat.newRound();
    // "0" stands for more than six players, without saying which.
    int number = 0;
    for (const QByteArray &s : message.players.split(','))
        if (cmd::toNumber(s, number) && number == ownSlot) listedForBonus = true;
    beginStage(Stage::Selecting, BonusSelectingCount,
               chooser == ownSlot && ownSlot <= LastPlayer ? Task::Category : Task::None, 0.1, 0.5);
}

void BotPlayer::on(const cmd::toClient::Category &message)
{
    category = text(message.category.left(4096));
    // The field is read now, while there is time, not when writing.
    maker.prepare(category);
}

void BotPlayer::on(const cmd::toClient::Letters &message)
{
    const int number = message.letterCount.value;
    if (!message.letterCount.ok || number < 1 || number > AcroMaker::MaxLetters)
        letters.clear();
    else
        letters = text(cmd::joinedLetters(message.letters, number).left(AcroMaker::MaxLetters));
    ownAnswer.clear();
    answers.clear();
    const bool plays = ownSlot >= 1 && ownSlot <= LastPlayer && !letters.isEmpty() &&
                       (!bonusRound || listedForBonus);
    // Answer times spread over the writing time: a hard player is
    // quicker on average, but no level always takes the speed bonus.
    const Difficulty d = maker.difficulty();
    beginStage(Stage::Creating, createtime + 2, plays ? Task::Answer : Task::None,
               d == Difficulty::Hard     ? 0.1
               : d == Difficulty::Normal ? 0.2
                                         : 0.3,
               d == Difficulty::Hard     ? 0.6
               : d == Difficulty::Normal ? 0.8
                                         : 0.9);
}

void BotPlayer::on(const cmd::toClient::DoVote &message)
{
    if (!message.slot.is(ownSlot) || ownSlot > LastPlayer) return;
    // The count arrives with the CMD_updatetime that follows at once.
    beginStage(Stage::Voting, 0, Task::Vote, 0.2, 0.7);
}

void BotPlayer::on(const cmd::toClient::UpdateTime &message)
{
    if (message.seconds.ok) updatetime(message.seconds.value);
}

void BotPlayer::on(const cmd::toClient::NoVotes &)
{
    if (stage == Stage::Voting) beginStage(Stage::Idle, 0, Task::None, 0, 0);
}

void BotPlayer::on(const cmd::toClient::Scores &)
{
    if (stage == Stage::Voting) beginStage(Stage::Idle, 0, Task::None, 0, 0);
}

void BotPlayer::on(const cmd::toClient::NoAnswer &)
{
    beginStage(Stage::Idle, 0, Task::None, 0, 0);
}

void BotPlayer::on(const cmd::toClient::Winner &)
{
    beginStage(Stage::Idle, 0, Task::None, 0, 0);
}

void BotPlayer::on(const cmd::toClient::Stats &message)
{
    if (!message.slot.ok || !message.playTo.ok || !message.creationSeconds.ok) return;
    createtime = qBound(0, message.creationSeconds.value, 3600);
    teamGame = message.teamGame == "t";
    teams.clear();
    int yellow = 0, white = 0;
    for (int n = 0; n < LastPlayer && n < message.teams.size(); ++n) {
        const cmd::TeamItem &pair = message.teams[n];
        if (!pair.slot.ok || !pair.team.ok) break;
        const int s = pair.slot.value;
        const int team = pair.team.value;
        teams.insert(s, team);
        if (s == ownSlot) continue;
        if (team == 1) ++yellow;
        if (team == 2) ++white;
    }
    // A late joiner picks the smaller side, as the host's own balancing would.
    if (teamGame && ownSlot >= 1 && ownSlot <= LastPlayer && teams.value(ownSlot) == 0)
        send(cmd::client::chooseteam(ownSlot, yellow > white ? 2 : 1));
}

void BotPlayer::on(const cmd::toClient::Answers &message)
{
    answers.clear();
    for (int n = 0; n < LastPlayer && n < message.acros.size(); ++n) {
        const cmd::AcroItem &item = message.acros[n];
        if (!item.slot.ok) break;
        const int slot = item.slot.value;
        const QByteArray &acro = item.acro;
        if (slot >= 1 && slot <= LastPlayer && slot != ownSlot && !acro.isEmpty())
            answers.append({slot, text(cmd::acroFromWire(acro.left(4096)))});
    }
}

void BotPlayer::on(const cmd::toClient::Votes &message)
{
    // Per answer: won, votes counted, speed bonus, slot, name, votes.
    bool ownWon = false;
    QList<int> counts;
    for (int n = 0; n < LastPlayer && n < message.votes.size(); ++n) {
        const cmd::VoteItem &record = message.votes[n];
        if (!record.slot.ok || !record.votes.ok) break;
        const int votes = record.votes.value;
        if (record.slot.value == ownSlot && record.won == "y" && votes > 0) ownWon = true;
        counts.append(votes);
    }
    std::sort(counts.begin(), counts.end(), std::greater<int>());
    const bool close = counts.size() >= 2 && counts[0] > 0 && counts[0] - counts[1] <= 1;
    if (ownWon)
        say(chat.line(BotChat::Occasion::Won));
    else if (close)
        say(chat.line(BotChat::Occasion::Close));
    if (stage == Stage::Voting) beginStage(Stage::Idle, 0, Task::None, 0, 0);
}

void BotPlayer::say(const QString &line)
{
    if (!line.isEmpty()) send(cmd::client::chat(ownSlot, line.toUtf8(), "clNavy"));
}

void BotPlayer::beginStage(Stage next, int count, Task todo, double from, double to)
{
    timer->stop();
    stage = next;
    task = todo;
    stageCount = qBound(0, count, MaxCount);
    countKnown = next != Stage::Voting;
    stageClock.start();
    if (task == Task::None) return;
    std::uniform_real_distribution<double> when(from, to);
    targetTick = int(std::lround(when(maker.random()) * stageCount));
    if (countKnown) plan();
}

void BotPlayer::updatetime(int seconds)
{
    if (stage == Stage::Idle || seconds < -2 || seconds > MaxCount) return;
    // The host sends the count left minus two; the stage ends count + 1 ticks later.
    const int left = seconds + 2;
    if (!countKnown) {
        // Voting: the first update comes the moment the stage starts.
        stageCount = left;
        countKnown = true;
        std::uniform_real_distribution<double> when(0.2, 0.7);
        targetTick = int(std::lround(when(maker.random()) * stageCount));
        stageClock.start();
    }
    const int elapsed = stageCount - left;
    if (elapsed > 0) {
        tickMs = qBound(0.5, double(stageClock.elapsed()) / elapsed, 10000.0);
        tickMeasured = true;
    }
    if (task == Task::None) return;
    // The next update would come ten ticks on: too late if that is the end.
    if (elapsed >= targetTick || left + 1 - 10 < SafeTicks) {
        act();
        return;
    }
    plan();
}

void BotPlayer::plan()
{
    const int elapsed = int(stageClock.elapsed() / tickMs);
    // With no update to come before the stage ends, and no measure of the
    // clock yet, waiting could miss the stage: act now.
    const bool updateAhead = stageCount - 1 >= 10;
    if (!tickMeasured && !updateAhead) {
        act();
        return;
    }
    const int target = qMin(targetTick, qMax(0, stageCount - SafeTicks));
    const double waitMs = (target - elapsed) * tickMs;
    timer->start(int(qBound(0.0, waitMs, 3600.0 * 1000)));
}

void BotPlayer::act()
{
    timer->stop();
    const Task todo = task;
    task = Task::None;
    switch (todo) {
    case Task::Category:
        chooseCategory();
        break;
    case Task::Answer:
        answer();
        break;
    case Task::Vote:
        vote();
        break;
    case Task::None:
        break;
    }
}

void BotPlayer::chooseCategory()
{
    if (stage != Stage::Selecting || chooser != ownSlot) return;
    const QString chosen = maker.pickCategory(fixedOnly);
    send(cmd::client::catchoosen(ownSlot, chosen.toUtf8()));
    say(chat.line(BotChat::Occasion::Category, chosen.trimmed()));
}

void BotPlayer::answer()
{
    if (stage != Stage::Creating) return;
    // An easy player is stuck for an answer now and then, as people are.
    std::uniform_real_distribution<double> unit(0, 1);
    if (maker.difficulty() == Difficulty::Easy && unit(maker.random()) < 0.12) return;
    ownAnswer = maker.make(letters, category);
    if (!ownAnswer.isEmpty()) send(cmd::client::acro(ownSlot, ownAnswer.toUtf8()));
}

void BotPlayer::vote()
{
    if (stage != Stage::Voting || answers.isEmpty()) return;
    QStringList texts;
    for (const auto &entry : std::as_const(answers))
        texts.append(entry.second);
    const int pick = maker.choose(texts, letters, category);
    if (pick < 0) return;
    const int best = answers.at(pick).first;
    if (best != 0 && best != ownSlot) send(cmd::client::choosenacro(ownSlot, best));
}
