// Computer players: lexicon load; the quality of their answers beside answers
// of random dictionary words and a person's answers for the same letters and
// categories (relatedness by a hand-written key the players never read, and by
// their own WordNet field; how well they read as a phrase); how often their
// votes go to the round's best answer beside chance; answer time (p50/p99) for 3, 7, 10
// and 15 letters beside the bare answer check as a baseline; memory per player
// and the idle load of a room of one host and eleven computer players.
//
//   bench_bots [--samples N] [--field CATEGORY] [--corpus] [--quality]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <random>
#include <sys/resource.h>
#include <sys/times.h>
#include <time.h>
#include <unistd.h>

#include "bots/botroom.h"
#include "bots/phrasemodel.h"
#include "game/categories.h"
#include "game/checkacro.h"
#include "host/tserver.h"

namespace {
long rssKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

double cpuMs()
{
    tms t;
    times(&t);
    return double(t.tms_utime + t.tms_stime) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// Time this thread ran, so a slice another process took does not count.
double threadMs()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[size_t(p * double(v.size() - 1))];
}

// Letters as the host draws them.
const char Drawn[] =
    "AABBBBBCCCCCDDDDDEFFFFFGGGGGHHHHHIJJKLLLLLMMMMMNNNNNOPPPPPQRRRRRSSSSSTTTTTUVWWWWWYZ";

QString letterRun(std::mt19937 &rng, int length)
{
    QString run;
    for (int k = 0; k < length; ++k)
        run += QLatin1Char(Drawn[std::uniform_int_distribution<int>(0, 82)(rng)]);
    return run;
}

QList<QByteArray> lowerWords(const QString &answer)
{
    QList<QByteArray> out;
    for (const QString &w : answer.toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts))
        out.append(w.toLatin1());
    return out;
}

// The baseline: a random dictionary word (any part of speech, every word as
// likely) for each letter.
QString randomAnswer(const Lexicon &lexicon, std::mt19937 &rng, const QString &letters)
{
    QStringList words;
    for (QChar c : letters) {
        const int letter = c.toLower().unicode() - 'a';
        int total = 0;
        for (int pos = Lexicon::Noun; pos <= Lexicon::Adv; ++pos)
            total += int(lexicon.byLetter(Lexicon::Pos(pos), letter).size());
        int k = std::uniform_int_distribution<int>(0, std::max(0, total - 1))(rng);
        for (int pos = Lexicon::Noun; pos <= Lexicon::Adv; ++pos) {
            const auto &list = lexicon.byLetter(Lexicon::Pos(pos), letter);
            if (k < int(list.size())) {
                QString w = QString::fromLatin1(lexicon.word(list[size_t(k)]).text);
                w[0] = w[0].toUpper();
                words.append(w);
                break;
            }
            k -= int(list.size());
        }
    }
    return words.join(QLatin1Char(' '));
}

// The relatedness measure, the same for every answer: the share of its
// content words (small words such as "of", "the", "my" left out) that lie in
// the category's WordNet field with a strength of at least `Threshold`, and
// their mean strength. A word counts in any form ("pancakes" as "pancake").
constexpr float Threshold = 0.3f;
struct Related
{
    double share = 0;
    double strength = 0;
    int content = 0;
};

Related relatedness(const Lexicon &lexicon, const QString &answer, const QString &category)
{
    Related r;
    const auto field = lexicon.related(category);
    const PhraseModel &model = lexicon.phrases();
    for (const QByteArray &w : lowerWords(answer)) {
        if (model.smallTag(w) >= 0) continue;
        ++r.content;
        const float s = lexicon.strength(*field, w);
        r.share += s >= Threshold;
        r.strength += s;
    }
    if (r.content > 0) {
        r.share /= r.content;
        r.strength /= r.content;
    }
    return r;
}

// The judge the computer players never read: for each category a key of
// words a person associates with it (bench/data/category_key.txt, written by
// hand for the benchmark alone). An answer's score is the share of its content
// words that are in the key, a word counting in any form.
class Judge
{
public:
    explicit Judge(const Lexicon &lexicon) : lexicon(lexicon)
    {
        QFile file(QFileInfo(QStringLiteral(__FILE__)).absolutePath() +
                   QStringLiteral("/data/category_key.txt"));
        if (!file.open(QIODevice::ReadOnly)) return;
        for (const QByteArray &line : file.readAll().split('\n')) {
            const int colon = line.indexOf(':');
            if (line.startsWith('#') || colon < 0) continue;
            QSet<QByteArray> &words = keys[QString::fromLatin1(line.left(colon)).toLower()];
            for (const QByteArray &w : line.mid(colon + 1).simplified().split(' '))
                if (!w.isEmpty()) words.insert(w.toLower());
        }
    }
    int size() const { return int(keys.size()); }
    bool knows(const QString &category) const { return keys.contains(keyOf(category)); }
    const QSet<QByteArray> &key(const QString &category) const
    {
        static const QSet<QByteArray> none;
        const auto it = keys.constFind(keyOf(category));
        return it == keys.constEnd() ? none : *it;
    }
    bool inKey(const QSet<QByteArray> &key, const QByteArray &w) const
    {
        if (key.contains(w)) return true;
        for (const Lexicon::Analysis &a : lexicon.analyse(w))
            if (key.contains(a.lemma)) return true;
        // Forms of words the lexicon lacks ("smores").
        for (const char *end : {"s", "es", "ed", "ing"})
            if (w.endsWith(end) && key.contains(w.chopped(int(qstrlen(end))))) return true;
        return w.endsWith("ies") && key.contains(w.chopped(3) + 'y');
    }
    // The share of content words in the key; -1 for an answer with none.
    double score(const QString &answer, const QString &category) const
    {
        const QSet<QByteArray> &k = key(category);
        int content = 0, hits = 0;
        for (const QByteArray &w : lowerWords(answer)) {
            if (lexicon.phrases().smallTag(w) >= 0 || Lexicon::isStopword(w)) continue;
            ++content;
            hits += inKey(k, w);
        }
        return content == 0 ? 0.0 : double(hits) / content;
    }

private:
    static QString keyOf(const QString &category) { return category.toLower().simplified(); }
    const Lexicon &lexicon;
    QHash<QString, QSet<QByteArray>> keys;
};

struct Tally
{
    double judged = 0, share = 0, strength = 0, grammar = 0;
    int answers = 0, missing = 0;
    void add(const Lexicon &lexicon, const Judge &judge, const QString &answer,
             const QString &category)
    {
        if (answer.isEmpty()) {
            ++missing;
            return;
        }
        const Related r = relatedness(lexicon, answer, category);
        judged += judge.score(answer, category);
        share += r.share;
        strength += r.strength;
        grammar += lexicon.phrases().score(lowerWords(answer));
        ++answers;
    }
    double judge() const { return judged / std::max(1, answers); }
    double field() const { return share / std::max(1, answers); }
    double phrase() const { return grammar / std::max(1, answers); }
};

QStringList benchCategories()
{
    QStringList list;
    for (const QString &c : categories::fixedCategories())
        if (c != QLatin1String("General")) list.append(c);
    // Categories players type themselves.
    list << "Pets"
         << "Breakfast"
         << "Things In A Fridge"
         << "Camping"
         << "Weather";
    return list;
}

// Answers a person wrote for categories of the list, as a reference measured
// the same way (their letters are their words' initials).
const char *const PersonAnswers[][2] = {
    {"Food", "Burnt French Toast"},
    {"Food", "Spicy Tacos Burn Tongues"},
    {"Food", "Cheese Makes Everything Better"},
    {"Animals", "Lazy Lions Nap"},
    {"Animals", "Penguins Wear Tuxedos"},
    {"Animals", "Monkeys Steal Bananas"},
    {"Money", "Broke Before Payday"},
    {"Money", "Cash Is King"},
    {"Money", "Piggy Bank Robbery"},
    {"Computers", "Reboot And Pray"},
    {"Computers", "Keyboard Full Of Crumbs"},
    {"Computers", "Printers Hate People"},
    {"School", "Homework Eaten By Dog"},
    {"School", "Teachers Need Coffee"},
    {"School", "Pop Quiz On Friday"},
    {"Music", "Drums All Night"},
    {"Music", "Sing Loudly In The Shower"},
    {"Music", "Guitar Strings Snap"},
    {"Beach", "Sunscreen And Sandy Sandwiches"},
    {"Beach", "Waves Crash On Rocks"},
    {"Beach", "Seagulls Steal Fries"},
    {"Sports", "Goalie Missed The Ball"},
    {"Sports", "Referees Need Glasses"},
    {"Sports", "Runners Need Water"},
    {"Automobiles", "Flat Tire On The Highway"},
    {"Automobiles", "Old Trucks Never Die"},
    {"Automobiles", "Speeding Tickets Cost Money"},
    {"Body Parts", "Knees Creak On Stairs"},
    {"Body Parts", "Toes Wiggle Happily"},
    {"Body Parts", "Long Arms Reach Far"},
    {"Weather", "Thunder Scares The Dog"},
    {"Weather", "Rain Ruins Picnics"},
    {"Weather", "Storms Knock Out Power"},
    {"Airplanes", "Lost Luggage Again"},
    {"Airplanes", "Pilots Never Sleep"},
    {"Airplanes", "Window Seat Please"},
    {"Restaurants", "Waiters Drop Plates"},
    {"Restaurants", "Chefs Yell At Cooks"},
    {"Mountains", "Goats Climb Steep Cliffs"},
    {"Mountains", "Snow On The Peaks"},
};

QString initials(const QString &answer)
{
    QString letters;
    for (const QString &w : answer.split(QLatin1Char(' ')))
        letters += w.at(0).toUpper();
    return letters;
}

const char *levelName(int level)
{
    return level == 0 ? "easy" : level == 1 ? "normal" : "hard";
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int samples = 0;
    QString fieldOf;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--samples")) samples = args[i + 1].toInt();
        if (args[i] == QLatin1String("--field")) fieldOf = args[i + 1];
    }

    const long before = rssKiB();
    QElapsedTimer clock;
    clock.start();
    const Lexicon &lexicon = Lexicon::shared();
    const double loadMs = double(clock.nsecsElapsed()) / 1e6;
    std::printf("lexicon: %d words (%s), %d corpus phrases, %d tags, loaded in %.1f ms, "
                "+%ld KiB resident\n",
                lexicon.size(), lexicon.fromFiles() ? "WordNet" : "built-in only",
                lexicon.phrases().phraseCount(), lexicon.phrases().tagCount(), loadMs,
                rssKiB() - before);
    if (args.contains(QStringLiteral("--corpus"))) {
        const PhraseModel &model = lexicon.phrases();
        for (const auto &tags : model.taggedCorpus()) {
            static const char *const names[] = {"N", "NS", "V", "VZ", "VD", "VG", "A", "R"};
            for (int t : tags)
                std::printf("%s ",
                            PhraseModel::isContent(t) ? names[t] : model.smallWord(t).constData());
            std::printf("\n");
        }
        return 0;
    }
    if (!fieldOf.isEmpty()) {
        const auto field = lexicon.related(fieldOf);
        QList<QPair<float, QByteArray>> list;
        for (auto it = field->strength.cbegin(); it != field->strength.cend(); ++it)
            list.append({it.value(), it.key()});
        std::sort(list.begin(), list.end(), [](auto &a, auto &b) { return a.first > b.first; });
        for (int i = 0; i < list.size() && i < 200; ++i)
            std::printf("%s:%.2f ", list[i].second.constData(), double(list[i].first));
        std::printf("\n(%d words)\n", int(list.size()));
        return 0;
    }

    // Fields of every category, each read once (the first cost of each).
    const QStringList categories = benchCategories();
    std::vector<double> fieldMs;
    for (const QString &category : categories) {
        clock.restart();
        lexicon.related(category);
        fieldMs.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::printf("first field of a category (%d categories): p50 %.1f ms, max %.1f ms\n",
                int(categories.size()), percentile(fieldMs, 0.5), percentile(fieldMs, 1.0));

    // Quality: each level and the random baseline answer the same rounds
    // (same letters, same category); a game is 10 rounds, then a new one.
    const Judge judge(lexicon);
    std::printf("judge: hand-written keys for %d categories (the computer players never read "
                "them)\n",
                judge.size());
    constexpr int Rounds = 300;
    std::mt19937 rng(20261209);
    Tally bot[3], random;
    std::vector<QString> letterList, categoryList;
    for (int round = 0; round < Rounds; ++round) {
        letterList.push_back(letterRun(rng, 3 + round % 5 + (round % 10 == 9 ? 5 : 0)));
        categoryList.push_back(categories[round % categories.size()]);
    }
    std::vector<QStringList> roundAnswers(Rounds);
    for (int level = 0; level < 3; ++level) {
        AcroMaker maker(lexicon, quint32(100 + level), Difficulty(level));
        for (int round = 0; round < Rounds; ++round) {
            if (round % 10 == 0) maker.newGame();
            const QString answer =
                maker.make(letterList[size_t(round)], categoryList[size_t(round)]);
            bot[level].add(lexicon, judge, answer, categoryList[size_t(round)]);
            roundAnswers[size_t(round)].append(answer);
        }
    }
    for (int round = 0; round < Rounds; ++round) {
        const QString answer = randomAnswer(lexicon, rng, letterList[size_t(round)]);
        random.add(lexicon, judge, answer, categoryList[size_t(round)]);
        roundAnswers[size_t(round)].append(answer);
    }
    std::printf("quality over %d rounds, %d categories (judge: content words in the category's "
                "key; field: in the computer players' own WordNet field, strength >= %.1f; "
                "phrase: log-probability per step)\n",
                Rounds, int(categories.size()), double(Threshold));
    std::printf("  %-8s judge %.3f  field %.3f  phrase %.2f\n", "random", random.judge(),
                random.field(), random.phrase());
    for (int level = 0; level < 3; ++level)
        std::printf("  %-8s judge %.3f (x%.2f)  field %.3f (x%.2f)  phrase %.2f  no answer %d\n",
                    levelName(level), bot[level].judge(), bot[level].judge() / random.judge(),
                    bot[level].field(), bot[level].field() / random.field(), bot[level].phrase(),
                    bot[level].missing);
    {
        // The person's answers beside random words for the same letters and
        // categories, by the same measures.
        Tally person, baseline;
        for (const auto &[category, answer] : PersonAnswers) {
            const QString text = QString::fromLatin1(answer);
            person.add(lexicon, judge, text, QString::fromLatin1(category));
            for (int k = 0; k < 5; ++k)
                baseline.add(lexicon, judge, randomAnswer(lexicon, rng, initials(text)),
                             QString::fromLatin1(category));
        }
        const int n = int(sizeof PersonAnswers / sizeof *PersonAnswers);
        std::printf("  on the letters of a person's %d answers: random judge %.3f  field %.3f\n", n,
                    baseline.judge(), baseline.field());
        std::printf("  %-8s judge %.3f (x%.2f)  field %.3f (x%.2f)  phrase %.2f\n", "person",
                    person.judge(), person.judge() / baseline.judge(), person.field(),
                    person.field() / baseline.field(), person.phrase());
        // The computer players on the same letters and categories.
        for (int level = 0; level < 3; ++level) {
            Tally same;
            AcroMaker maker(lexicon, quint32(300 + level), Difficulty(level));
            for (const auto &[category, answer] : PersonAnswers)
                same.add(lexicon, judge,
                         maker.make(initials(QString::fromLatin1(answer)),
                                    QString::fromLatin1(category)),
                         QString::fromLatin1(category));
            std::printf("  %-8s judge %.3f (x%.2f, %.0f%% of the person's)  field %.3f (x%.2f)  "
                        "phrase %.2f\n",
                        levelName(level), same.judge(), same.judge() / baseline.judge(),
                        100.0 * same.judge() / person.judge(), same.field(),
                        same.field() / baseline.field(), same.phrase());
        }
    }

    // Votes: the round's answers (easy, normal, hard, random) before a voter
    // of each level who wrote none of them; the best answer is the one the
    // judge rates highest (then the phrase score). Chance is one in the number
    // of answers.
    for (int level = 0; level < 3; ++level) {
        AcroMaker voter(lexicon, quint32(900 + level), Difficulty(level));
        int toBest = 0, votes = 0;
        double chance = 0;
        for (int round = 0; round < Rounds; ++round) {
            QStringList answers;
            for (const QString &a : roundAnswers[size_t(round)])
                if (!a.isEmpty() && !answers.contains(a)) answers.append(a);
            if (answers.size() < 2) continue;
            const QString &category = categoryList[size_t(round)];
            int best = 0;
            double bestKey = -1e9;
            for (int i = 0; i < answers.size(); ++i) {
                const double key = judge.score(answers[i], category) * 100 +
                                   lexicon.phrases().score(lowerWords(answers[i]));
                if (key > bestKey) {
                    bestKey = key;
                    best = i;
                }
            }
            const int vote = voter.choose(answers, letterList[size_t(round)], category);
            toBest += vote == best;
            ++votes;
            chance += 1.0 / double(answers.size());
        }
        std::printf("votes (%s voter): to the best answer %.3f, chance %.3f (x%.2f)\n",
                    levelName(level), double(toBest) / votes, chance / votes,
                    double(toBest) / chance);
    }

    if (samples > 0) {
        AcroMaker normal(lexicon, 7, Difficulty::Normal), hard(lexicon, 8, Difficulty::Hard);
        for (int i = 0; i < samples; ++i) {
            AcroMaker &maker = i % 2 ? hard : normal;
            const QString letters = letterRun(rng, 3 + i % 5);
            const QString &category = categories[(i * 7) % categories.size()];
            std::printf("  %-7s %-20s %-6s %s\n", i % 2 ? "hard" : "normal", qPrintable(category),
                        qPrintable(letters), qPrintable(maker.make(letters, category)));
        }
    }

    if (args.contains(QStringLiteral("--quality"))) return 0;

    // Answer time, every field already read (a player reads it when the
    // category is chosen, before the letters come).
    for (int level = 0; level < 3; ++level)
        for (int length : {3, 7, 10, 15}) {
            if (level < 2 && length != 10) continue;
            AcroMaker maker(lexicon, quint32(length), Difficulty(level));
            std::vector<double> make, check, makeCpu;
            for (int i = 0; i < 1000; ++i) {
                if (i % 10 == 0) maker.newGame();
                const QString letters = letterRun(rng, length);
                const QString &category = categories[i % categories.size()];
                clock.restart();
                const double cpu0 = threadMs();
                const QString answer = maker.make(letters, category);
                makeCpu.push_back(threadMs() - cpu0);
                make.push_back(double(clock.nsecsElapsed()) / 1e6);
                clock.restart();
                checkAcroText(answer, letters, length, true);
                check.push_back(double(clock.nsecsElapsed()) / 1e6);
            }
            std::printf("%-6s %2d letters: answer p50 %.3f ms p99 %.3f ms (thread CPU p99 %.3f "
                        "ms) | check alone p50 %.4f ms p99 %.4f ms\n",
                        levelName(level), length, percentile(make, 0.5), percentile(make, 0.99),
                        percentile(makeCpu, 0.99), percentile(check, 0.5), percentile(check, 0.99));
        }

    // A room: one host, eleven computer players, a default stage clock; the
    // baseline is the same host alone, idle for the same time.
    TServer server;
    server.startListening(QStringLiteral("0"));
    double cpuBefore = cpuMs();
    clock.restart();
    QTest::qWait(3000);
    std::printf("idle host alone (baseline): %.1f ms CPU in %.1f s wall\n", cpuMs() - cpuBefore,
                double(clock.elapsed()) / 1000.0);
    BotRoomConfig config;
    config.port = server.listeningPort();
    config.quiet = true;
    BotRoom room(config);
    room.portHook = [&](quint16 port, bool on) { server.markComputerPort(port, on); };
    const long roomBefore = rssKiB();
    room.setCount(11);
    const bool joined = QTest::qWaitFor(
        [&] {
            int in = 0;
            for (BotPlayer *b : room.players())
                in += b->slot() > 0;
            return in == 11;
        },
        10000);
    // The host takes one message per 10 ms: let the logins settle first.
    QTest::qWait(1500);
    std::printf("memory per computer player: %.0f KiB (11 players%s, lexicon shared)\n",
                double(rssKiB() - roomBefore) / 11.0, joined ? "" : ", NOT all joined");
    cpuBefore = cpuMs();
    clock.restart();
    QTest::qWait(3000);
    std::printf("idle room (1 host + 11 players): %.1f ms CPU in %.1f s wall\n",
                cpuMs() - cpuBefore, double(clock.elapsed()) / 1000.0);
    room.stopAll();
    return 0;
}
