#include "bots/botchat.h"

#include "bots/corpusdata.h"
#include "game/wordfilter.h"

namespace {

const char *const Sections[] = {"greeting", "category", "won", "close"};
// How often each occasion gets a word: the greeting mostly, the rest now and then.
constexpr double Chance[] = {0.8, 0.25, 0.6, 0.35};

struct Lines
{
    QStringList of[int(BotChat::Occasion::Count)];
};

const Lines &allLines()
{
    static const Lines lines = [] {
        Lines l;
        int section = -1;
        for (const QByteArray &raw : QByteArray(ChatCorpus).split('\n')) {
            const QByteArray line = raw.trimmed();
            if (line.isEmpty() || line.startsWith('#')) continue;
            if (line.startsWith('[') && line.endsWith(']')) {
                section = -1;
                for (int s = 0; s < int(BotChat::Occasion::Count); ++s)
                    if (line.mid(1, line.size() - 2) == Sections[s]) section = s;
                continue;
            }
            if (section >= 0) l.of[section].append(QString::fromUtf8(line.left(200)));
        }
        return l;
    }();
    return lines;
}

} // namespace

BotChat::BotChat(quint32 seed, bool beQuiet) : rng(seed ^ 0x5eedc4a7u), quiet(beQuiet) {}

const QStringList &BotChat::lines(Occasion occasion)
{
    return allLines().of[int(occasion)];
}

QString BotChat::line(Occasion occasion, const QString &category)
{
    const int o = int(occasion);
    if (o < 0 || o >= int(Occasion::Count)) return QString();
    // The draw happens whether or not it may speak, so a quiet player's
    // choices elsewhere stay as they would be.
    std::uniform_real_distribution<double> unit(0, 1);
    const bool wants = unit(rng) < Chance[o];
    const QStringList &pool = lines(occasion);
    if (pool.isEmpty()) return QString();
    QString text = pool.at(std::uniform_int_distribution<int>(0, int(pool.size()) - 1)(rng));
    if (quiet || spoke || !wants) return QString();
    if (text.contains(QLatin1String("{category}"))) {
        const QString name = category.simplified().left(60);
        if (name.isEmpty()) return QString();
        text.replace(QLatin1String("{category}"), name);
    }
    // Whatever the room, a computer player says nothing the family filter hides.
    if (WordFilter::filterWords(text) != text) return QString();
    spoke = true;
    return text;
}
