#include "bots/lexicon.h"

#include <QFile>
#include <QList>
#include <algorithm>
#include <cmath>

namespace {

// Always present, whatever the lexicon files hold: every letter has nouns here.
const char *const BuiltInNouns =
    "apple anchor arrow badger banana bell cactus candle castle dragon drum desk eagle engine "
    "elbow falcon feather forest garden giant goose harbor hammer honey island igloo ink jacket "
    "jelly jungle kettle kitten koala ladder lemon lantern mango meadow monkey needle noodle "
    "nest ocean orchard otter panda pickle pirate quail queen quilt rabbit river rocket saddle "
    "sandwich sailor teapot tiger tulip umbrella unicorn uncle valley violin volcano walrus "
    "wagon whistle xylophone yak yacht yogurt zebra zipper zoo";
const char *const BuiltInAdjectives =
    "angry awesome brave bright calm clever daring dizzy eager early fancy fuzzy gentle giant "
    "happy hungry icy itchy jolly jumpy kind keen lazy lucky merry mighty noisy nimble odd "
    "orange proud purple quick quiet rapid rusty silly sleepy tiny tricky ugly upbeat vast "
    "velvet wild witty young yellow zany zesty";
const char *const BuiltInVerbs =
    "ask bake build chase climb dance dig eat explore fly find giggle grow hop hug imagine "
    "invent jump juggle kick knit laugh leap march melt nap nibble open order paint play quit "
    "quack race read sing swim talk travel undo unpack visit vote walk wave yell yawn zoom zigzag";
const char *const BuiltInAdverbs =
    "always boldly calmly daily eagerly easily fast gladly happily idly inside jointly justly "
    "kindly loudly madly neatly nearly often oddly politely quickly quietly rarely sadly slowly "
    "together truly upward usually very wildly warmly yearly zealously";
const char *const BuiltInDeterminers =
    "the a an all any each every eight five four his her its many my nine no one our seven "
    "six some ten their three two your";
const char *const BuiltInPrepositions =
    "about above after and at before behind below beside but by down during for from in into "
    "like near of off on or onto over past since than through to toward under until up upon "
    "versus via with within without yet";
const char *const BuiltInPronouns = "everybody he i it nobody she somebody they we you";

// Words a computer player never writes, beyond the family filter's list.
const char *const NeverWritten = "ass bastard crap damn piss shit spic whore cock tit bitch "
                                 "slut hell nigger nigga kike chink dyke fag faggot retard";

// Small words that say nothing about a category.
const char *const Stopwords =
    "the and for with that this from into onto over under about used such which who whom what "
    "when where than then there their them they have has had being been were was are its it "
    "any all some each other others more most less many much very also only especially "
    "usually often something someone somebody one two part kind sort type form act";

QList<QByteArray> splitWords(const char *text)
{
    return QByteArray(text).split(' ');
}

bool plainWord(const QByteArray &w)
{
    if (w.size() < 2 || w.size() > 14) return false;
    for (char c : w)
        if (c < 'a' || c > 'z') return false;
    return true;
}

const QSet<QByteArray> &neverWritten()
{
    static const QSet<QByteArray> set = [] {
        QSet<QByteArray> s;
        for (const QByteArray &w : splitWords(NeverWritten))
            s.insert(w);
        return s;
    }();
    return set;
}

const QSet<QByteArray> &stopwords()
{
    static const QSet<QByteArray> set = [] {
        QSet<QByteArray> s;
        for (const QByteArray &w : splitWords(Stopwords))
            s.insert(w);
        return s;
    }();
    return set;
}

const char *const PosFile[] = {"noun", "verb", "adj", "adv"};

int posOfChar(char c)
{
    switch (c) {
    case 'n':
        return Lexicon::Noun;
    case 'v':
        return Lexicon::Verb;
    case 'a':
    case 's':
        return Lexicon::Adj;
    case 'r':
        return Lexicon::Adv;
    default:
        return -1;
    }
}

QList<QByteArray> tokens(const QByteArray &line)
{
    QList<QByteArray> out = line.trimmed().split(' ');
    out.removeAll(QByteArray());
    return out;
}

// Lower-case a-z runs of a text, as words.
void lettersRuns(const QByteArray &text, QList<QByteArray> &out)
{
    QByteArray current;
    for (char c : text) {
        const char lower = (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
        if (lower >= 'a' && lower <= 'z') {
            current.append(lower);
        } else if (!current.isEmpty()) {
            out.append(current);
            current.clear();
        }
    }
    if (!current.isEmpty()) out.append(current);
}

// The line of a sorted lexicon file that begins with `key` and a blank, found
// by halving the file; empty when there is none.
QByteArray findSorted(const QString &path, const QByteArray &key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray();
    auto lineAt = [&](qint64 p) {
        if (p > 0) {
            if (!file.seek(p - 1)) return QByteArray();
            file.readLine(Lexicon::MaxLineBytes);
        } else if (!file.seek(0)) {
            return QByteArray();
        }
        return file.readLine(Lexicon::MaxLineBytes);
    };
    auto keyOf = [](const QByteArray &line) {
        const int blank = line.indexOf(' ');
        return blank < 0 ? line.trimmed() : line.left(blank);
    };
    qint64 lo = 0;
    qint64 hi = file.size();
    while (lo < hi) {
        const qint64 mid = lo + (hi - lo) / 2;
        const QByteArray line = lineAt(mid);
        if (line.isEmpty() || line.startsWith(' ')) {
            // The licence header sorts first; an empty read is the end.
            if (line.isEmpty())
                hi = mid;
            else
                lo = mid + 1;
            continue;
        }
        if (keyOf(line) < key)
            lo = mid + 1;
        else
            hi = mid;
    }
    const QByteArray line = lineAt(lo);
    return (!line.startsWith(' ') && keyOf(line) == key) ? line : QByteArray();
}

} // namespace

const Lexicon &Lexicon::shared()
{
    static const Lexicon lexicon{QString::fromLatin1(DefaultFolder)};
    return lexicon;
}

Lexicon::Lexicon(const QString &folderPath) : folder(folderPath)
{
    for (int pos = Noun; pos <= Adv; ++pos)
        loadIndex(folder + QLatin1String("/index.") + QLatin1String(PosFile[pos]), Pos(pos));
    loadedFromFiles = !words.empty();
    addBuiltIn();
    finish();
}

void Lexicon::addWord(const QByteArray &text, Pos pos, int familiarity)
{
    if (!plainWord(text) && !(pos >= Det && !text.isEmpty())) return;
    if (neverWritten().contains(text) || present[pos].contains(text)) return;
    present[pos].insert(text);
    Word w;
    w.text = text;
    w.pos = quint8(pos);
    w.familiarity = quint16(qBound(1, familiarity, 65535));
    words.push_back(w);
    int &best = familiarityOf[text];
    best = qMax(best, int(w.familiarity));
}

void Lexicon::loadIndex(const QString &path, Pos pos)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return;
    // Read whole (the largest index is about 5 MB); a file far beyond that
    // is not a lexicon.
    const QByteArray data = file.read(MaxIndexBytes);
    qint64 lines = 0;
    for (qsizetype at = 0; at < data.size() && lines < MaxIndexLines; ++lines) {
        qsizetype end = data.indexOf('\n', at);
        if (end < 0) end = data.size();
        const qsizetype length = end - at;
        const char *line = data.constData() + at;
        at = end + 1;
        if (length == 0 || length > MaxLineBytes || line[0] == ' ') continue;
        // lemma pos synset_cnt p_cnt [ptr_symbol...] sense_cnt tagsense_cnt offsets...
        // Only the lemma, p_cnt and tagsense_cnt are needed.
        qsizetype field[4] = {-1, -1, -1, -1}; // starts of fields 0 and 3, and their ends
        int index = 0;
        int pointers = -1;
        int tagged = -1;
        for (qsizetype i = 0; i < length && tagged < 0;) {
            while (i < length && line[i] == ' ')
                ++i;
            const qsizetype start = i;
            while (i < length && line[i] != ' ' && line[i] != '\r')
                ++i;
            if (start == i) break;
            if (index == 0) {
                field[0] = start;
                field[1] = i;
            }
            auto number = [&] {
                int v = 0;
                for (qsizetype k = start; k < i; ++k) {
                    if (line[k] < '0' || line[k] > '9' || v > 1000000) return -1;
                    v = v * 10 + (line[k] - '0');
                }
                return v;
            };
            if (index == 3) {
                pointers = number();
                if (pointers < 0) break;
            }
            if (pointers >= 0 && index == 5 + pointers) tagged = number();
            ++index;
        }
        if (tagged < 1 || field[0] < 0) continue;
        addWord(QByteArray(line + field[0], field[1] - field[0]), pos, tagged);
    }
}

void Lexicon::addBuiltIn()
{
    const std::pair<const char *, Pos> lists[] = {
        {BuiltInNouns, Noun},   {BuiltInAdjectives, Adj},  {BuiltInVerbs, Verb},
        {BuiltInAdverbs, Adv},  {BuiltInDeterminers, Det}, {BuiltInPrepositions, Prep},
        {BuiltInPronouns, Pron}};
    for (const auto &[list, pos] : lists)
        for (const QByteArray &w : splitWords(list))
            addWord(w, pos, pos >= Det ? 50 : 3);
}

void Lexicon::finish()
{
    for (quint32 i = 0; i < words.size(); ++i) {
        const Word &w = words[i];
        const int letter = w.text.at(0) - 'a';
        if (letter >= 0 && letter < Letters) table[w.pos][letter].push_back(i);
    }
    for (int pos = 0; pos < PosCount; ++pos) {
        for (int letter = 0; letter < Letters; ++letter) {
            std::vector<quint32> &list = table[pos][letter];
            std::stable_sort(list.begin(), list.end(), [this](quint32 a, quint32 b) {
                return words[a].familiarity > words[b].familiarity;
            });
            std::vector<quint32> &sum = cumulative[pos][letter];
            sum.reserve(list.size());
            quint32 total = 0;
            for (quint32 i : list) {
                // Familiar words come up more often, obscure ones still now and then.
                total += 1 + quint32(4 * std::log2(1.0 + words[i].familiarity));
                sum.push_back(total);
            }
        }
    }
}

int Lexicon::familiarity(const QByteArray &w) const
{
    if (w.isEmpty()) return 0;
    if (int f = familiarityOf.value(w, 0)) return f;
    const QByteArray forms[] = {w.endsWith("ies") ? w.chopped(3) + 'y' : QByteArray(),
                                w.endsWith("es") ? w.chopped(2) : QByteArray(),
                                w.endsWith('s') ? w.chopped(1) : QByteArray(),
                                w.endsWith("ing") ? w.chopped(3) : QByteArray(),
                                w.endsWith("ed") ? w.chopped(2) : QByteArray(),
                                w.endsWith("ly") ? w.chopped(2) : QByteArray()};
    for (const QByteArray &f : forms)
        if (!f.isEmpty())
            if (int v = familiarityOf.value(f, 0)) return v;
    return 0;
}

QList<qint64> Lexicon::lookupOffsets(Pos pos, const QByteArray &lemma, int maxSenses) const
{
    QList<qint64> out;
    const QList<QByteArray> t =
        tokens(findSorted(folder + QLatin1String("/index.") + QLatin1String(PosFile[pos]), lemma));
    if (t.size() < 6) return out;
    bool ok = false;
    const int synsets = t[2].toInt(&ok);
    if (!ok) return out;
    const int pointers = t[3].toInt(&ok);
    if (!ok || pointers < 0) return out;
    const int first = 6 + pointers;
    for (int i = first; i < t.size() && i < first + synsets && out.size() < maxSenses; ++i) {
        const qint64 offset = t[i].toLongLong(&ok);
        if (ok && offset >= 0) out.append(offset);
    }
    return out;
}

QByteArray Lexicon::readSynset(Pos pos, qint64 offset) const
{
    if (pos > Adv) return QByteArray();
    QFile file(folder + QLatin1String("/data.") + QLatin1String(PosFile[pos]));
    if (!file.open(QIODevice::ReadOnly) || offset >= file.size() || !file.seek(offset))
        return QByteArray();
    const QByteArray line = file.readLine(64 * 1024);
    // A synset line begins with its own offset; anything else is a bad pointer.
    const QByteArray expect = QByteArray::number(offset).rightJustified(8, '0') + ' ';
    return line.startsWith(expect) ? line : QByteArray();
}

std::shared_ptr<const Lexicon::Related> Lexicon::related(const QString &category) const
{
    const QString key = category.left(200).toLower();
    {
        QMutexLocker lock(&cacheLock);
        if (auto hit = cache.value(key)) return hit;
    }
    std::shared_ptr<const Related> made = buildRelated(key);
    QMutexLocker lock(&cacheLock);
    if (cache.size() >= MaxCachedCategories) cache.clear();
    cache.insert(key, made);
    return made;
}

std::shared_ptr<Lexicon::Related> Lexicon::buildRelated(const QString &category) const
{
    auto result = std::make_shared<Related>();
    QSet<QByteArray> gathered;
    QList<QByteArray> categoryWords;
    lettersRuns(category.toUtf8(), categoryWords);

    struct Pending
    {
        Pos pos;
        qint64 offset;
        int level;
    };
    QList<Pending> queue;
    // Two words of a category may make one entry ("sea life", "fast food").
    const int single = int(categoryWords.size());
    for (int i = 0; i + 1 < single && i < 8; ++i)
        categoryWords.append(categoryWords[i] + '_' + categoryWords[i + 1]);
    for (const QByteArray &raw : std::as_const(categoryWords)) {
        if (raw.size() < 3 || stopwords().contains(raw)) continue;
        QList<QByteArray> forms{raw};
        if (raw.endsWith("ies")) forms << raw.chopped(3) + 'y';
        if (raw.endsWith("es")) forms << raw.chopped(2);
        if (raw.endsWith('s')) forms << raw.chopped(1);
        const QList<QByteArray> exc = tokens(findSorted(folder + QLatin1String("/noun.exc"), raw));
        if (exc.size() >= 2) forms << exc[1];
        for (const QByteArray &form : forms) {
            gathered.insert(form);
            for (Pos pos : {Noun, Adj, Verb})
                for (qint64 offset : lookupOffsets(pos, form, pos == Noun ? 3 : 2))
                    queue.append({pos, offset, 1});
        }
    }

    QSet<QPair<int, qint64>> seen;
    int reads = 0;
    for (int i = 0; i < queue.size() && reads < MaxSynsetReads; ++i) {
        const Pending p = queue[i];
        if (seen.contains({p.pos, p.offset})) continue;
        seen.insert({p.pos, p.offset});
        ++reads;
        const QByteArray line = readSynset(p.pos, p.offset);
        if (line.isEmpty()) continue;
        const int bar = line.indexOf(" | ");
        const QList<QByteArray> t = tokens(bar < 0 ? line : line.left(bar));
        if (t.size() < 4) continue;
        bool ok = false;
        const int count = t[3].toInt(&ok, 16);
        if (!ok || count < 0 || 4 + 2 * count >= t.size()) continue;
        // Synonyms may be collocations ("sea_lion"): each part counts.
        QList<QByteArray> parts;
        for (int w = 0; w < count; ++w)
            lettersRuns(t[4 + 2 * w], parts);
        for (const QByteArray &part : std::as_const(parts))
            gathered.insert(part);
        if (bar >= 0 && p.level == 1) {
            QList<QByteArray> gloss;
            lettersRuns(line.mid(bar + 3), gloss);
            for (const QByteArray &g : gloss)
                gathered.insert(g);
        }
        if (p.level > 1) continue;
        int at = 4 + 2 * count;
        const int pointers = t[at].toInt(&ok);
        if (!ok) continue;
        ++at;
        int hyponyms = 0;
        for (int k = 0; k < pointers && at + 3 < t.size(); ++k, at += 4) {
            const QByteArray &symbol = t[at];
            const int pos = posOfChar(t[at + 2].isEmpty() ? 0 : t[at + 2].at(0));
            const qint64 offset = t[at + 1].toLongLong(&ok);
            if (!ok || pos < 0) continue;
            const bool wanted = symbol == "@" || symbol == "%p" || symbol == "#p" ||
                                symbol == "%m" || symbol == "#m" || symbol == ";c" ||
                                symbol == "-c" || symbol == "&" || symbol == "+" ||
                                (symbol == "~" && ++hyponyms <= 30);
            if (wanted) queue.append({Pos(pos), offset, 2});
        }
    }

    for (const QByteArray &g : std::as_const(gathered))
        if (g.size() >= 3 && !stopwords().contains(g) && familiarityOf.contains(g))
            result->words.insert(g);
    for (quint32 i = 0; i < words.size(); ++i) {
        const Word &w = words[i];
        if (w.pos > Adv || !result->words.contains(w.text)) continue;
        const int letter = w.text.at(0) - 'a';
        if (letter >= 0 && letter < Letters) result->byPosLetter[w.pos][letter].push_back(i);
    }
    return result;
}
