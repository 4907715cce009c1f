#include "bots/botroom.h"

#include <random>

namespace {
const char *const FriendlyNames[] = {"Ada",   "Basil", "Clover", "Dot",   "Ember", "Fern",  "Gus",
                                     "Hazel", "Iggy",  "Juno",   "Kit",   "Luna",  "Milo",  "Nell",
                                     "Otto",  "Pip",   "Quinn",  "Rosie", "Sid",   "Tilly", "Umber",
                                     "Vera",  "Wally", "Yuki",   "Zelda"};
} // namespace

BotRoom::BotRoom(const BotRoomConfig &c, QObject *parent, const Lexicon *lex)
    : QObject(parent), config(c), lexicon(lex)
{
}

BotRoom::~BotRoom()
{
    // The owner may be half gone itself: the players leave without a word to it.
    blockSignals(true);
    stopAll();
}

QByteArray BotRoom::freshName()
{
    QSet<QByteArray> taken;
    auto take = [&](const QByteArray &name) { taken.insert(name.trimmed().toLower()); };
    for (BotPlayer *b : std::as_const(bots)) {
        take(b->name());
        for (const QByteArray &n : b->roomNames())
            take(n);
    }
    if (knownNames)
        for (const QByteArray &n : knownNames())
            take(n);

    const QByteArray prefix = config.namePrefix.toUtf8().left(64);
    const int n = int(sizeof FriendlyNames / sizeof *FriendlyNames);
    std::mt19937 rng(config.seed + started * 7919u);
    const int first = std::uniform_int_distribution<int>(0, n - 1)(rng);
    for (int round = 0; round < 100; ++round) {
        for (int i = 0; i < n; ++i) {
            QByteArray name = prefix + FriendlyNames[(first + i) % n];
            if (round > 0) name += ' ' + QByteArray::number(round + 1);
            name += NameSuffix;
            if (!taken.contains(name.toLower())) return name;
        }
    }
    return prefix + QByteArray::number(started) + NameSuffix;
}

bool BotRoom::addBot()
{
    if (count() >= MaxBots) return false;
    if (!lexicon) lexicon = &Lexicon::shared();
    BotConfig c;
    c.host = config.host;
    c.port = config.port;
    c.name = freshName();
    c.seed = config.seed * 2654435761u + started * 40503u + 1u;
    c.difficulty = config.difficulty;
    c.family = config.family;
    c.quiet = config.quiet;
    ++started;
    auto *player = new BotPlayer(c, *lexicon, this);
    connect(player, &BotPlayer::gone, this, &BotRoom::playerGone);
    bots.append(player);
    if (!player->start()) {
        // Its close has been reported already, or it never opened.
        if (bots.contains(player)) playerGone(player);
        return false;
    }
    if (portHook && player->localPort() != 0) portHook(player->localPort(), true);
    emit countChanged(count());
    return true;
}

bool BotRoom::removeBot()
{
    if (bots.isEmpty()) return false;
    bots.last()->leave();
    return true;
}

void BotRoom::setCount(int wanted)
{
    wanted = qBound(0, wanted, int(MaxBots));
    while (count() > wanted)
        if (!removeBot()) break;
    while (count() < wanted)
        if (!addBot()) break;
}

void BotRoom::setQuiet(bool quiet)
{
    config.quiet = quiet;
    for (BotPlayer *b : std::as_const(bots))
        b->setQuiet(quiet);
}

void BotRoom::stopAll()
{
    const QList<BotPlayer *> all = bots;
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        (*it)->leave();
}

void BotRoom::playerGone(BotPlayer *player)
{
    if (!bots.removeOne(player)) return;
    if (portHook && player->localPort() != 0) portHook(player->localPort(), false);
    // The player may be in the middle of reporting its close.
    player->deleteLater();
    emit countChanged(count());
    if (bots.isEmpty()) emit empty();
}
