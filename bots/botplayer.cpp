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
    const SplitEntry split = splitEntry(entry);
    if (!split.valid) return;
    const QByteArray &word = split.command;
    const QByteArray &r = split.remainder;
    cmd::FieldReader reader(r);
    int number = 0;

    if (word == cmd::CMD_sendlogininfo) {
        if (!cmd::toNumber(r, number) || number < 1 || number > LastSlot) return;
        const bool first = ownSlot == 0;
        ownSlot = number;
        send(cmd::client::logininfo(ownSlot, cmd::GameVersion, config.name));
        if (first) {
            say(chat.line(BotChat::Occasion::Greeting));
            emit loggedIn(this);
        }
    } else if (word == cmd::CMD_newplayerinfo || word == cmd::CMD_existingplayers) {
        if (!reader.number(number) || number < 1 || number > LastSlot) return;
        if (number != ownSlot) names.insert(number, reader.rest().left(256));
    } else if (word == cmd::CMD_playerdisconnected) {
        if (reader.number(number)) names.remove(number);
    } else if (word == cmd::CMD_full) {
        leave();
    } else if (word == cmd::CMD_startgame || word == cmd::CMD_teamgame) {
        reader.field();
        reader.field();
        if (reader.number(number)) createtime = qBound(0, number, 3600);
        teamGame = word == cmd::CMD_teamgame;
        teams.clear();
        bonusRound = false;
        maker.newGame();
        beginStage(Stage::Idle, 0, Task::None, 0, 0);
    } else if (word == cmd::CMD_stats) {
        stats(r);
    } else if (word == cmd::CMD_histeam) {
        cmd::FieldReader list = cmd::FieldReader::forList(r);
        for (int n = 0; n < LastSlot && !list.listEnded(); ++n) {
            int slot = 0, team = 0;
            if (!list.number(slot) || !list.number(team)) break;
            teams.insert(slot, team);
        }
    } else if (word == cmd::CMD_nextplayer) {
        if (!reader.number(number)) return;
        chooser = number;
        fixedOnly = reader.field() == "t";
    } else if (word == cmd::CMD_cats) {
        bonusRound = false;
        category.clear();
        chat.newRound();
        beginStage(Stage::Selecting, SelectingCount,
                   chooser == ownSlot && ownSlot <= LastPlayer ? Task::Category : Task::None, 0.1,
                   0.5);
    } else if (word == cmd::CMD_inbonus) {
        bonusRound = true;
        listedForBonus = false;
        category = QStringLiteral("General");
        chat.newRound();
        // "0" stands for more than six players, without saying which.
        for (const QByteArray &s : r.split(','))
            if (cmd::toNumber(s, number) && number == ownSlot) listedForBonus = true;
        beginStage(Stage::Selecting, BonusSelectingCount,
                   chooser == ownSlot && ownSlot <= LastPlayer ? Task::Category : Task::None, 0.1,
                   0.5);
    } else if (word == cmd::CMD_catchoosen) {
        category = text(r.left(4096));
        // The field is read now, while there is time, not when writing.
        maker.prepare(category);
    } else if (word == cmd::CMD_theletters) {
        cmd::FieldReader list = cmd::FieldReader::forList(r);
        if (!list.number(number) || number < 1 || number > AcroMaker::MaxLetters) {
            letters.clear();
        } else {
            QByteArray joined;
            for (int i = 0; i < number && !list.listEnded(); ++i)
                joined += list.field();
            letters = text(joined.left(AcroMaker::MaxLetters));
        }
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
    } else if (word == cmd::CMD_anacro) {
        anacro(r);
    } else if (word == cmd::CMD_dovote) {
        if (!cmd::toNumber(r, number) || number != ownSlot || ownSlot > LastPlayer) return;
        // The count arrives with the CMD_updatetime that follows at once.
        beginStage(Stage::Voting, 0, Task::Vote, 0.2, 0.7);
    } else if (word == cmd::CMD_updatetime) {
        if (cmd::toNumber(r, number)) updatetime(number);
    } else if (word == cmd::CMD_thevotes) {
        thevotes(r);
        if (stage == Stage::Voting) beginStage(Stage::Idle, 0, Task::None, 0, 0);
    } else if (word == cmd::CMD_novotes || word == cmd::CMD_noanswer ||
               word == cmd::CMD_postscores || word == cmd::CMD_winner) {
        if (stage == Stage::Voting || word == cmd::CMD_noanswer || word == cmd::CMD_winner)
            beginStage(Stage::Idle, 0, Task::None, 0, 0);
    }
}

void BotPlayer::stats(const QByteArray &remainder)
{
    cmd::FieldReader reader = cmd::FieldReader::forList(remainder);
    int slot = 0, playto = 0, creation = 0;
    if (!reader.number(slot) || !reader.number(playto) || !reader.number(creation)) return;
    createtime = qBound(0, creation, 3600);
    teamGame = reader.field() == "t";
    teams.clear();
    int yellow = 0, white = 0;
    for (int n = 0; n < LastPlayer && !reader.listEnded(); ++n) {
        int s = 0, team = 0;
        if (!reader.number(s) || !reader.number(team)) break;
        teams.insert(s, team);
        if (s == ownSlot) continue;
        if (team == 1) ++yellow;
        if (team == 2) ++white;
    }
    // A late joiner picks the smaller side, as the host's own balancing would.
    if (teamGame && ownSlot >= 1 && ownSlot <= LastPlayer && teams.value(ownSlot) == 0)
        send(cmd::client::chooseteam(ownSlot, yellow > white ? 2 : 1));
}

void BotPlayer::anacro(const QByteArray &remainder)
{
    answers.clear();
    cmd::FieldReader list = cmd::FieldReader::forList(remainder);
    for (int n = 0; n < LastPlayer && !list.listEnded(); ++n) {
        int slot = 0;
        if (!list.number(slot)) break;
        const QByteArray acro = list.field();
        if (slot >= 1 && slot <= LastPlayer && slot != ownSlot && !acro.isEmpty())
            answers.append({slot, text(cmd::acroFromWire(acro.left(4096)))});
    }
}

void BotPlayer::thevotes(const QByteArray &remainder)
{
    // Per answer: won, votes counted, speed bonus, slot, name, votes.
    cmd::FieldReader list = cmd::FieldReader::forList(remainder);
    bool ownWon = false;
    QList<int> counts;
    for (int n = 0; n < LastPlayer && !list.listEnded(); ++n) {
        const QByteArray won = list.field();
        list.field();
        list.field();
        int slot = 0, votes = 0;
        if (!list.number(slot)) break;
        list.field();
        if (!list.number(votes)) break;
        if (slot == ownSlot && won == "y" && votes > 0) ownWon = true;
        counts.append(votes);
    }
    std::sort(counts.begin(), counts.end(), std::greater<int>());
    const bool close = counts.size() >= 2 && counts[0] > 0 && counts[0] - counts[1] <= 1;
    if (ownWon)
        say(chat.line(BotChat::Occasion::Won));
    else if (close)
        say(chat.line(BotChat::Occasion::Close));
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
