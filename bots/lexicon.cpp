#include "bots/lexicon.h"

#include <QList>
#include <QThreadPool>
#include <algorithm>
#include <cmath>
#include <queue>

#include "bots/phrasemodel.h"

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

// Words a computer player never writes, beyond the family filter's list. WordNet
// lists some slurs as plain synonyms in neutral senses, with nothing to mark them.
const char *const NeverWritten = "ass bastard crap damn piss shit spic whore cock tit bitch "
                                 "slut hell nigger nigga kike chink dyke fag faggot retard "
                                 "abo gook wop dago jap paki honky coon kraut wetback redskin "
                                 "squaw yid hymie towelhead raghead darky darkey darkie "
                                 "pickaninny sambo polack chinaman gyp spastic";

// Verbs whose simple past is the word itself.
const char *const SamePast = "bet bid burst cast cost cut fit hit hurt knit let put quit read rid "
                             "set shed shut slit split spread thrust upset wet";

// Small words that say nothing about a category.
const char *const Stopwords =
    "the and for with that this from into onto over under about used such which who whom what "
    "when where than then there their them they have has had being been were was are its it "
    "any all some each other others more most less many much very also only especially "
    "usually often something someone somebody one two part kind sort type form act thing "
    "things person people state way time make made makes given give gives take takes get "
    "certain various several specific general particular usual relating related pertaining "
    "characterized resembling having consisting containing esp etc may might can could would "
    "should will not use uses using being become becomes group set unit object entity matter "
    "quality condition process action activity member members individual whole area region "
    "place purpose amount number large small like see able out off upon within without "
    "between among make how why well new old first second good bad but his her him she he "
    "while before after three four five six seven eight nine ten our your my mine yours "
    "because since until though although whether either neither both nor yet just too "
    "chiefly mainly often sometimes typically commonly whose whom someone";
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
QByteArray findSorted(const QString &path, const QByteArray &key, char separator = ' ')
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
    auto keyOf = [separator](const QByteArray &line) {
        const int blank = line.indexOf(separator);
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

// A synset line, split: its words, its pointers and its gloss.
struct Synset
{
    QList<QByteArray> lemmas; // lower case, collocations with '_'
    bool proper = false;      // a name: its first word is capitalised
    int lexFile = -1;         // WordNet's file of senses: noun.food, noun.act, ...
    struct Pointer
    {
        QByteArray symbol;
        int pos;
        qint64 offset;
    };
    QList<Pointer> pointers;
    QByteArray gloss;
};

bool parseSynset(const QByteArray &line, Synset &out)
{
    const int bar = line.indexOf(" | ");
    const QList<QByteArray> t = tokens(bar < 0 ? line : line.left(bar));
    if (t.size() < 5) return false;
    bool ok = false;
    const int count = t[3].toInt(&ok, 16);
    if (!ok || count < 0 || 4 + 2 * count >= t.size()) return false;
    out.proper = !t[4].isEmpty() && t[4].at(0) >= 'A' && t[4].at(0) <= 'Z';
    out.lexFile = t[1].toInt();
    for (int w = 0; w < count; ++w) {
        QByteArray lemma = t[4 + 2 * w].toLower();
        const int paren = lemma.indexOf('(');
        if (paren > 0) lemma.truncate(paren); // adjective markers: "(a)", "(p)"
        out.lemmas.append(lemma);
    }
    int at = 4 + 2 * count;
    const int pointers = t[at].toInt(&ok);
    if (!ok || pointers < 0) return false;
    ++at;
    for (int k = 0; k < pointers && at + 3 < t.size(); ++k, at += 4) {
        const int pos = posOfChar(t[at + 2].isEmpty() ? 0 : t[at + 2].at(0));
        const qint64 offset = t[at + 1].toLongLong(&ok);
        if (ok && pos >= 0) out.pointers.append({t[at], pos, offset});
    }
    if (bar >= 0) out.gloss = line.mid(bar + 3);
    return true;
}

// Things a person can picture (foods, animals, artifacts, body parts, people,
// plants, places, substances, events) make funnier acros than abstractions
// (acts, attributes, cognition, relations, states, quantities).
float pictureFactor(int pos, int lexFile)
{
    if (pos != Lexicon::Noun) return 1.0f;
    switch (lexFile) {
    case 5:  // animal
    case 6:  // artifact
    case 8:  // body
    case 11: // event
    case 13: // food
    case 15: // location
    case 17: // object
    case 18: // person
    case 20: // plant
    case 27: // substance
        return 1.0f;
    case 12: // feeling
    case 14: // group
    case 19: // possession
    case 26: // time
        return 0.75f;
    default:
        return 0.5f;
    }
}

// The gloss without its examples (the quoted sentences say little of the sense).
QByteArray definitionOf(const QByteArray &gloss)
{
    const int quote = gloss.indexOf('"');
    return quote < 0 ? gloss : gloss.left(quote);
}

bool isWordChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '-';
}

// The best hint counts, and a second one a little: a word common to many
// senses ("water") must not outgrow the words of the sense itself.
void addStrength(QHash<QByteArray, float> &field, const QByteArray &word, float s)
{
    float &have = field[word];
    have = std::min(1.0f, std::max(have, s) + 0.1f * std::min(have, s));
}

// Gloss words repeat across a whole family of senses ("genus", "family"):
// only their best mention counts.
void addMention(QHash<QByteArray, float> &field, const QByteArray &word, float s)
{
    float &have = field[word];
    have = std::max(have, s);
}

} // namespace

const Lexicon &Lexicon::shared()
{
    static const Lexicon lexicon{QString::fromLatin1(DefaultFolder),
                                 QString::fromLatin1(DefaultThesaurus)};
    return lexicon;
}

Lexicon::Lexicon(const QString &folderPath, const QString &thesaurusPath)
    : folder(folderPath), thesaurus(thesaurusPath)
{
    // The corpus' words and what their lemmas may be ("pancakes", "pancake").
    for (const QByteArray &w : PhraseModel::corpusWords()) {
        corpusWords.insert(w);
        for (const char *end : {"s", "es", "d", "ed", "ing"})
            if (w.size() > 3 && w.endsWith(end)) corpusWords.insert(w.chopped(int(qstrlen(end))));
        if (w.endsWith("ies")) corpusWords.insert(w.chopped(3) + 'y');
        if (w.endsWith("ing")) corpusWords.insert(w.chopped(3) + 'e');
    }
    for (int pos = Noun; pos <= Adv; ++pos) {
        loadIndex(folder + QLatin1String("/index.") + QLatin1String(PosFile[pos]), Pos(pos));
        loadExceptions(folder + QLatin1Char('/') + QLatin1String(PosFile[pos]) +
                           QLatin1String(".exc"),
                       Pos(pos));
        auto file =
            std::make_unique<QFile>(folder + QLatin1String("/data.") + QLatin1String(PosFile[pos]));
        if (file->open(QIODevice::ReadOnly) && file->size() > 0 && file->size() <= MaxDataBytes) {
            if (uchar *bytes = file->map(0, file->size())) {
                data[pos] = QByteArrayView(reinterpret_cast<const char *>(bytes), file->size());
                dataFile[pos] = std::move(file);
            }
        }
    }
    for (Word &w : words) {
        if (!corpusWords.contains(w.text) || w.familiarity >= CorpusFamiliarity ||
            int(w.familiarity) * 4 < familiarityOf.value(w.text))
            continue;
        w.familiarity = CorpusFamiliarity;
        familiarityAs[w.pos][w.text] = CorpusFamiliarity;
        int &best = familiarityOf[w.text];
        best = std::max(best, CorpusFamiliarity);
    }
    for (const auto &[lemma, pos] : std::as_const(untaggedCorpus))
        if (!familiarityOf.contains(lemma)) pendingCorpus.append({lemma, pos});
    for (const auto &[lemma, pos] : std::as_const(pendingCorpus))
        addWord(lemma, pos, CorpusFamiliarity);
    untaggedCorpus.clear();
    pendingCorpus.clear();
    loadedFromFiles = !words.empty();
    addBuiltIn();
    finish();
    model = std::make_unique<PhraseModel>(*this);
}

Lexicon::~Lexicon()
{
    // Fields still being read on a worker use this lexicon to the end.
    QMutexLocker lock(&cacheLock);
    while (building > 0)
        idle.wait(&cacheLock);
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
    if (pos <= Adv) familiarityAs[pos].insert(text, w.familiarity);
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
        qsizetype field[2] = {-1, -1}; // start and end of the lemma
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
        if (field[0] < 0) continue;
        const QByteArray lemma(line + field[0], field[1] - field[0]);
        // The concordance's counts miss many everyday words ("pancake",
        // "syrup"): a word the project's corpus uses is familiar enough,
        // unless it is known as another part of speech only ("lost").
        if (tagged < 1) {
            if (corpusWords.contains(lemma)) untaggedCorpus.append({lemma, pos});
            continue;
        }
        addWord(lemma, pos, tagged);
    }
}

void Lexicon::loadExceptions(const QString &path, Pos pos)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return;
    const QByteArray text = file.read(4 * 1024 * 1024);
    int lines = 0;
    for (const QByteArray &line : text.split('\n')) {
        if (++lines > 20000) break;
        const QList<QByteArray> t = tokens(line);
        if (t.size() < 2 || !plainWord(t[0]) || !plainWord(t[1])) continue;
        lemmasOf[pos][t[0]].append(t[1]);
        QList<QByteArray> &forms = formsOf[pos][t[1]];
        if (forms.size() < 8) forms.append(t[0]);
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
    int best = 0;
    for (const Analysis &a : analyse(w))
        best = qMax(best, familiarity(a.lemma, a.pos));
    return best;
}

int Lexicon::familiarity(const QByteArray &lemma, Pos pos) const
{
    if (pos > Adv) return present[pos].contains(lemma) ? 50 : 0;
    return familiarityAs[pos].value(lemma, 0);
}

bool Lexicon::isStopword(const QByteArray &w)
{
    return stopwords().contains(w);
}

QList<Lexicon::Analysis> Lexicon::analyse(const QByteArray &w) const
{
    QList<Analysis> out;
    auto add = [&](const QByteArray &lemma, Pos pos, Form form) {
        if (lemma.size() < 2 || !familiarityAs[pos].contains(lemma)) return;
        for (const Analysis &a : std::as_const(out))
            if (a.lemma == lemma && a.pos == pos && a.form == form) return;
        out.append({lemma, pos, form});
    };
    for (int pos = Noun; pos <= Adv; ++pos)
        add(w, Pos(pos), Base);
    for (const QByteArray &lemma : lemmasOf[Noun].value(w))
        add(lemma, Noun, Plural);
    for (const QByteArray &lemma : lemmasOf[Verb].value(w))
        add(lemma, Verb, w.endsWith("ing") ? Gerund : w.endsWith('s') ? ThirdPerson : Past);
    for (const QByteArray &lemma : lemmasOf[Adj].value(w))
        add(lemma, Adj, Base);
    auto chop = [&](const char *ending, const char *with) {
        const int n = int(qstrlen(ending));
        return w.endsWith(ending) && w.size() > n + 1 ? w.chopped(n) + with : QByteArray();
    };
    // The regular endings, as WordNet's own morphology reads them.
    for (const auto &[ending, with] : {std::pair{"s", ""},
                                       {"ses", "s"},
                                       {"xes", "x"},
                                       {"zes", "z"},
                                       {"ches", "ch"},
                                       {"shes", "sh"},
                                       {"men", "man"},
                                       {"ies", "y"}}) {
        const QByteArray lemma = chop(ending, with);
        if (!lemma.isEmpty()) add(lemma, Noun, Plural);
    }
    for (const auto &[ending, with] : {std::pair{"s", ""}, {"ies", "y"}, {"es", "e"}, {"es", ""}}) {
        const QByteArray lemma = chop(ending, with);
        if (!lemma.isEmpty()) add(lemma, Verb, ThirdPerson);
    }
    for (const auto &[ending, with] : {std::pair{"ed", "e"}, {"ed", ""}, {"ied", "y"}}) {
        const QByteArray lemma = chop(ending, with);
        if (!lemma.isEmpty()) add(lemma, Verb, Past);
    }
    for (const auto &[ending, with] : {std::pair{"ing", "e"}, {"ing", ""}}) {
        const QByteArray lemma = chop(ending, with);
        if (!lemma.isEmpty()) add(lemma, Verb, Gerund);
    }
    for (const auto &[ending, with] :
         {std::pair{"er", ""}, {"est", ""}, {"er", "e"}, {"est", "e"}}) {
        const QByteArray lemma = chop(ending, with);
        if (!lemma.isEmpty()) add(lemma, Adj, Base);
    }
    return out;
}

QByteArray Lexicon::inflect(const QByteArray &lemma, Pos pos, Form form) const
{
    if (form == Base) return lemma;
    if (lemma.isEmpty()) return QByteArray();
    const bool vowelBeforeY =
        lemma.size() > 1 && QByteArray("aeiou").contains(lemma.at(lemma.size() - 2));
    auto sibilant = [&] {
        return lemma.endsWith('s') || lemma.endsWith('x') || lemma.endsWith('z') ||
               lemma.endsWith("ch") || lemma.endsWith("sh");
    };
    const QList<QByteArray> irregular =
        pos <= Adv ? formsOf[pos].value(lemma) : QList<QByteArray>();
    if (pos == Noun && form == Plural) {
        for (const QByteArray &f : irregular)
            return f;
        if (lemma.endsWith('s') && !lemma.endsWith("ss")) return QByteArray(); // "news", "series"
        if (lemma.size() < 3) return QByteArray(); // "ne" is neon, not a thing to count
        // Nouns that stand for a pronoun: "nobody", "nowhere", "everything".
        for (const char *head : {"no", "every", "any", "some"})
            for (const char *tail : {"body", "where", "thing", "one"})
                if (lemma == QByteArray(head) + tail) return QByteArray();
        // Names of doings and qualities have no plural a person would write.
        for (const char *ending : {"ing", "ness", "ism", "ics", "ity", "ship", "dom", "hood",
                                   "ment", "ance", "ence", "tion", "sion", "ology"})
            if (lemma.endsWith(ending) && lemma.size() > qsizetype(qstrlen(ending)) + 2)
                return QByteArray();
        if (sibilant()) return lemma + "es";
        if (lemma.endsWith('y') && !vowelBeforeY) return lemma.chopped(1) + "ies";
        return lemma + 's';
    }
    if (pos != Verb) return QByteArray();
    switch (form) {
    case ThirdPerson:
        if (lemma == "be") return "is";
        if (lemma == "have") return "has";
        if (sibilant() || lemma.endsWith('o')) return lemma + "es";
        if (lemma.endsWith('y') && !vowelBeforeY) return lemma.chopped(1) + "ies";
        return lemma + 's';
    case Past: {
        // Of the irregular forms the simple past is the one not made with -n.
        QByteArray participle;
        for (const QByteArray &f : irregular) {
            if (f.endsWith("ing") || f.endsWith('s')) continue;
            if (!f.endsWith('n')) return f;
            participle = f;
        }
        if (!participle.isEmpty()) return participle;
        // The exception lists leave out the pasts that are the word itself.
        static const QSet<QByteArray> samePast = [] {
            QSet<QByteArray> set;
            for (const QByteArray &w : splitWords(SamePast))
                set.insert(w);
            return set;
        }();
        if (samePast.contains(lemma)) return lemma;
        // "hitting" without "hitted": the past is the word itself (hit, cut, put).
        for (const QByteArray &f : irregular)
            if (f.endsWith("ing") && f.size() == lemma.size() + 4 && lemma.size() >= 3 &&
                f.at(lemma.size()) == lemma.at(lemma.size() - 1) &&
                QByteArray("tdg").contains(lemma.at(lemma.size() - 1)))
                return lemma;
        if (lemma.endsWith('e')) return lemma + 'd';
        if (lemma.endsWith('y') && !vowelBeforeY) return lemma.chopped(1) + "ied";
        return lemma + "ed";
    }
    case Gerund:
        for (const QByteArray &f : irregular)
            if (f.endsWith("ing")) return f;
        if (lemma.endsWith("ie")) return lemma.chopped(2) + "ying";
        if (lemma.endsWith('e') && !lemma.endsWith("ee") && !lemma.endsWith("ye") &&
            !lemma.endsWith("oe") && lemma.size() > 2)
            return lemma.chopped(1) + "ing";
        return lemma + "ing";
    default:
        return QByteArray();
    }
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
    if (pos > Adv || offset < 0 || offset >= data[pos].size()) return QByteArray();
    const QByteArrayView rest = data[pos].sliced(offset);
    qsizetype end = rest.indexOf('\n');
    if (end < 0) end = rest.size();
    const QByteArray line = rest.first(qMin<qsizetype>(end, 64 * 1024)).toByteArray();
    // A synset line begins with its own offset; anything else is a bad pointer.
    const QByteArray expect = QByteArray::number(offset).rightJustified(8, '0') + ' ';
    return line.startsWith(expect) ? line : QByteArray();
}

QList<QByteArray> Lexicon::thesaurusNeighbours(const QByteArray &lemma) const
{
    QList<QByteArray> out;
    if (thesaurus.isEmpty()) return out;
    const QByteArray entry = findSorted(thesaurus + QLatin1String(".idx"), lemma, '|');
    const int bar = entry.indexOf('|');
    bool ok = false;
    const qint64 offset = bar < 0 ? -1 : entry.mid(bar + 1).trimmed().toLongLong(&ok);
    if (!ok || offset < 0) return out;
    QFile file(thesaurus + QLatin1String(".dat"));
    if (!file.open(QIODevice::ReadOnly) || offset >= file.size() || !file.seek(offset)) return out;
    const QByteArray head = file.readLine(MaxLineBytes);
    if (!head.startsWith(lemma + '|')) return out;
    const int meanings = qBound(0, head.mid(lemma.size() + 1).trimmed().toInt(), 8);
    for (int m = 0; m < meanings; ++m) {
        const QList<QByteArray> terms = file.readLine(MaxLineBytes).trimmed().split('|');
        // "(noun)|toast|pledge (related term)|..."; generic terms are too wide.
        for (int i = 1; i < terms.size() && i < 12; ++i)
            if (!terms[i].contains("(generic term)") && !terms[i].contains("(antonym)"))
                out.append(terms[i].left(terms[i].indexOf(" (")).toLower());
    }
    return out;
}

std::shared_future<std::shared_ptr<const Lexicon::Related>>
Lexicon::startField(const QString &category, bool onWorker) const
{
    const QString key = category.left(200).toLower().simplified();
    QMutexLocker lock(&cacheLock);
    if (const auto hit = cache.constFind(key); hit != cache.constEnd()) return *hit;
    // A field being read stays with those waiting for it even when the cache
    // is emptied meanwhile.
    if (cache.size() >= MaxCachedCategories) cache.clear();
    auto promise = std::make_shared<std::promise<std::shared_ptr<const Related>>>();
    std::shared_future<std::shared_ptr<const Related>> future = promise->get_future().share();
    cache.insert(key, future);
    ++building;
    lock.unlock();
    auto build = [this, key, promise] {
        promise->set_value(buildRelated(key));
        QMutexLocker done(&cacheLock);
        if (--building == 0) idle.wakeAll();
    };
    if (onWorker)
        QThreadPool::globalInstance()->start(build);
    else
        build();
    return future;
}

void Lexicon::prepare(const QString &category) const
{
    startField(category, true);
}

std::shared_ptr<const Lexicon::Related> Lexicon::ready(const QString &category) const
{
    const QString key = category.left(200).toLower().simplified();
    QMutexLocker lock(&cacheLock);
    const auto hit = cache.constFind(key);
    if (hit == cache.constEnd() ||
        hit->wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return nullptr;
    return hit->get();
}

std::shared_ptr<const Lexicon::Related> Lexicon::related(const QString &category) const
{
    return startField(category, false).get();
}

float Lexicon::strength(const Related &field, const QByteArray &w) const
{
    float best = field.strength.value(w, 0.0f);
    if (best > 0) return best;
    for (const Analysis &a : analyse(w))
        best = qMax(best, field.strength.value(a.lemma, 0.0f));
    return best;
}

std::shared_ptr<Lexicon::Related> Lexicon::buildRelated(const QString &category) const
{
    auto result = std::make_shared<Related>();
    QList<QByteArray> categoryWords;
    lettersRuns(category.toUtf8(), categoryWords);
    QHash<QByteArray, float> field;    // words of the senses themselves
    QHash<QByteArray, float> mentions; // words of their definitions
    QHash<QByteArray, float> pairs;    // two-word entries of the senses

    // The seeds: the category's words as lemmas, and pairs of them as one
    // entry ("sea life", "fast food").
    QList<QByteArray> seeds;
    QList<QByteArray> topicSeeds;
    const int single = int(categoryWords.size());
    for (int i = 0; i < single && i < 12; ++i) {
        const QByteArray &raw = categoryWords[i];
        if (raw.size() < 3 || isStopword(raw) || raw == "general") continue;
        QList<QByteArray> forms{raw};
        bool stop = false;
        for (const Analysis &a : analyse(raw)) {
            stop = stop || isStopword(a.lemma);
            if (!forms.contains(a.lemma)) forms.append(a.lemma);
        }
        if (stop) continue; // "parts" says no more than "part"
        for (const QByteArray &f : forms)
            if (!seeds.contains(f)) seeds.append(f);
    }
    for (int i = 0; i + 1 < single && i < 8; ++i) {
        // "body parts" is WordNet's "body_part".
        QList<QByteArray> second{categoryWords[i + 1]};
        for (const Analysis &a : analyse(categoryWords[i + 1]))
            if (!second.contains(a.lemma)) second.append(a.lemma);
        for (const QByteArray &w : std::as_const(second))
            seeds.append(categoryWords[i] + '_' + w);
    }

    struct Pending
    {
        float strength;
        int pos;
        qint64 offset;
        int depth;
        bool leaf;          // only its own words
        bool wider = false; // what a seed sense is a kind of: its other kinds are near
        bool operator<(const Pending &o) const { return strength < o.strength; }
    };
    std::priority_queue<Pending> queue;
    // The senses whose definitions name a word: "cereal: a breakfast food
    // prepared from grain" for "breakfast".
    auto pushMentions = [&](const QByteArray &word, float scale) {
        int hits = 0;
        for (int pos : {Noun, Verb, Adj}) {
            const QByteArrayView text = data[pos];
            for (qsizetype at = text.indexOf(QByteArrayView(word)); at >= 0 && hits < MaxGlossHits;
                 at = text.indexOf(QByteArrayView(word), at + word.size())) {
                const qsizetype end = at + word.size();
                if ((at > 0 && isWordChar(text[at - 1])) ||
                    (end < text.size() && isWordChar(text[end]) &&
                     !(text[end] == 's' && (end + 1 >= text.size() || !isWordChar(text[end + 1])))))
                    continue;
                qsizetype start = at;
                while (start > 0 && text[start - 1] != '\n')
                    --start;
                const QByteArrayView before = text.sliced(start, at - start);
                const qsizetype bar = before.indexOf(" | ");
                // A lemma or pointer is not the gloss, nor is an example sentence.
                if (bar < 0 || before.indexOf('"', bar) >= 0) continue;
                bool ok = false;
                const qint64 offset = text.sliced(start, qMin<qsizetype>(8, at - start))
                                          .toByteArray()
                                          .toLongLong(&ok);
                if (!ok) continue;
                ++hits;
                queue.push({scale * (pos == Noun ? 0.7f : 0.5f), pos, offset, 1, false});
            }
        }
    };
    int scanned = 0;
    for (const QByteArray &seed : std::as_const(seeds)) {
        const bool pair = seed.contains('_');
        if (!pair) addStrength(field, seed, 1.0f);
        for (int pos : {Noun, Verb, Adj}) {
            const QList<qint64> senses = lookupOffsets(Pos(pos), seed, pos == Noun ? 3 : 2);
            for (int s = 0; s < senses.size(); ++s)
                queue.push({(pos == Noun ? 1.0f : 0.7f) * (1.0f - 0.2f * float(s)), pos, senses[s],
                            0, false});
        }
        if (pair) continue;
        for (const QByteArray &near : thesaurusNeighbours(seed))
            for (const QByteArray &part : near.split(' '))
                if (!part.isEmpty()) addMention(mentions, part, 0.45f);
        // A long typed category costs no more than a few scans of the definitions.
        if (seed.size() >= 4 && scanned < MaxScannedSeeds) {
            pushMentions(seed, 1.0f);
            ++scanned;
        }
    }

    // The corpus' phrases for the category: the words a person reaches for
    // ("toast", "syrup" for breakfast), each widened a step by WordNet
    // (synonyms, kinds, derived words), and the pairs they write together
    // ("maple syrup", "roller coasters").
    if (const QList<PhraseModel::TopicPhrase> *topic = model->topic(category.toUtf8())) {
        for (const PhraseModel::TopicPhrase &phrase : *topic) {
            QByteArray previous;
            int previousTag = -1;
            for (int i = 0; i < phrase.words.size() && i < int(phrase.tags.size()); ++i) {
                const int tag = phrase.tags[size_t(i)];
                if (!PhraseModel::isContent(tag)) {
                    previous.clear();
                    continue;
                }
                const Pos pos = PhraseModel::posOf(tag);
                QByteArray lemma;
                for (const Analysis &a : analyse(phrase.words[i]))
                    if (a.pos == pos && (lemma.isEmpty() || a.form == PhraseModel::formOf(tag)))
                        lemma = a.lemma;
                if (lemma.isEmpty() || isStopword(lemma)) {
                    previous.clear();
                    continue;
                }
                addStrength(field, lemma, TopicStrength);
                if (!topicSeeds.contains(lemma)) {
                    topicSeeds.append(lemma);
                    const QList<qint64> senses = lookupOffsets(pos, lemma, 1);
                    if (!senses.isEmpty())
                        queue.push({TopicStrength * 0.6f, pos, senses.first(), 2, pos != Noun});
                }
                if (!previous.isEmpty() && pos == Noun &&
                    (previousTag == PhraseModel::A || previousTag == PhraseModel::N))
                    addStrength(pairs, previous + ' ' + lemma, TopicStrength);
                previous = lemma;
                previousTag = tag;
            }
        }
    }

    QSet<QPair<int, qint64>> seen;
    int reads = 0;
    for (int phase = 0; phase < 2; ++phase) {
        if (phase == 1) {
            // The strongest nouns found so far widen the field by their own
            // mentions ("breakfast" -> "meal" -> "lunch", "dinner").
            QList<QPair<float, QByteArray>> strongest;
            for (auto it = field.cbegin(); it != field.cend(); ++it)
                if (it.value() >= 0.7f && it.key().size() >= 4 && !seeds.contains(it.key()) &&
                    !isStopword(it.key()) && familiarity(it.key(), Noun) >= 5)
                    strongest.append({it.value(), it.key()});
            std::sort(strongest.begin(), strongest.end(),
                      [](const auto &a, const auto &b) { return a.first > b.first; });
            for (int i = 0; i < strongest.size() && i < SecondSeeds; ++i)
                pushMentions(strongest[i].second, 0.4f * strongest[i].first);
        }
        while (!queue.empty() && reads < MaxSynsetReads * (phase + 1) / 2) {
            const Pending p = queue.top();
            queue.pop();
            if (p.strength < 0.12f || seen.contains({p.pos, p.offset})) continue;
            seen.insert({p.pos, p.offset});
            ++reads;
            Synset synset;
            if (!parseSynset(readSynset(Pos(p.pos), p.offset), synset) ||
                (synset.proper && p.depth > 0))
                continue;
            // Synonyms may be collocations ("sea_lion"): each part counts.
            for (const QByteArray &lemma : std::as_const(synset.lemmas)) {
                QList<QByteArray> parts;
                lettersRuns(lemma, parts);
                if (parts.size() == 2 && !synset.proper && p.strength >= 0.3f)
                    addStrength(pairs, parts[0] + ' ' + parts[1], p.strength);
                for (const QByteArray &part : std::as_const(parts))
                    addStrength(field, part,
                                pictureFactor(p.pos, synset.lexFile) *
                                    (parts.size() > 1 ? p.strength * 0.4f : p.strength));
            }
            if (p.depth <= 2) {
                QList<QByteArray> gloss;
                lettersRuns(definitionOf(synset.gloss), gloss);
                for (const QByteArray &g : std::as_const(gloss))
                    addMention(mentions, g, p.strength * (p.depth == 0 ? 0.5f : 0.3f));
            }
            if (p.wider) {
                // "meal" for "breakfast": lunch and dinner are near, unless it
                // is as wide as "animal".
                int kinds = 0;
                for (const Synset::Pointer &ptr : std::as_const(synset.pointers))
                    kinds += ptr.symbol == "~";
                if (kinds <= 25)
                    for (const Synset::Pointer &ptr : std::as_const(synset.pointers))
                        if (ptr.symbol == "~")
                            queue.push({p.strength * 0.6f, ptr.pos, ptr.offset, p.depth + 1, true});
                continue;
            }
            if (p.depth >= 3 || p.leaf) continue;
            int kinds = 0;
            for (const Synset::Pointer &ptr : std::as_const(synset.pointers)) {
                const QByteArray &s = ptr.symbol;
                float carry = 0;
                bool wider = false;
                if (s == "~")
                    carry = ++kinds <= 40 ? 0.85f : 0.0f; // kinds of it
                else if (s == "@" && p.depth == 0)
                    carry = 0.5f, wider = true; // what it is a kind of
                else if (s.startsWith('%') || s.startsWith('#'))
                    carry = 0.7f; // parts and wholes
                else if (s == "-c" || s == "-r" || s == "-u")
                    carry = 0.75f; // words of its domain
                else if (s == ";c")
                    carry = 0.45f;
                else if (s == "+" || s == "&" || s == "^" || s == "=" || s == "<")
                    carry = 0.75f; // derived and similar words
                if (carry > 0)
                    queue.push(
                        {p.strength * carry, ptr.pos, ptr.offset, p.depth + 1, false, wider});
            }
        }
    }
    for (auto it = mentions.cbegin(); it != mentions.cend(); ++it)
        addStrength(field, it.key(), it.value());
    for (auto it = field.cbegin(); it != field.cend(); ++it) {
        const QByteArray &w = it.key();
        if (it.value() < 0.1f || w.size() < 3 || isStopword(w) || neverWritten().contains(w) ||
            !familiarityOf.contains(w))
            continue;
        const float outside = topicSeeds.isEmpty() || topicSeeds.contains(w) ? 1.0f : OutsideTopic;
        result->strength.insert(w, qMin(1.0f, it.value()) * outside);
        result->words.insert(w);
    }
    result->general = result->strength.isEmpty();
    QList<QPair<float, QByteArray>> byStrength;
    for (auto it = pairs.cbegin(); it != pairs.cend(); ++it)
        byStrength.append({it.value(), it.key()});
    std::sort(byStrength.begin(), byStrength.end(),
              [](const auto &a, const auto &b) { return a.first > b.first; });
    for (const auto &[strength, pair] : std::as_const(byStrength)) {
        const int blank = pair.indexOf(' ');
        const QByteArray first = pair.left(blank), second = pair.mid(blank + 1);
        // Both words a person knows, neither a word never written.
        if (!plainWord(first) || !plainWord(second) || !familiarityOf.contains(first) ||
            !familiarityAs[Noun].contains(second) || neverWritten().contains(first) ||
            neverWritten().contains(second))
            continue;
        QList<QPair<QByteArray, QByteArray>> &list =
            result->pairs[(first.at(0) - 'a') * Letters + (second.at(0) - 'a')];
        if (list.size() < 12) list.append({first, second});
    }
    for (quint32 i = 0; i < words.size(); ++i) {
        const Word &w = words[i];
        if (w.pos > Adv) continue;
        // Only clear members are drawn from; weak ones still count for taste.
        const float s = result->strength.value(w.text, 0.0f);
        if (s < DrawStrength) continue;
        const int letter = w.text.at(0) - 'a';
        if (letter >= 0 && letter < Letters) result->byPosLetter[w.pos][letter].push_back(i);
    }
    for (int pos = 0; pos <= Adv; ++pos)
        for (int letter = 0; letter < Letters; ++letter) {
            std::vector<quint32> &list = result->byPosLetter[pos][letter];
            auto weight = [&](quint32 i) {
                // Strong ties first; among them the words a person would know.
                const float s = result->strength.value(words[i].text);
                const float f = float(1.0 + std::log2(1.0 + words[i].familiarity));
                return s * s * s * f * f;
            };
            std::stable_sort(list.begin(), list.end(),
                             [&](quint32 a, quint32 b) { return weight(a) > weight(b); });
            float total = 0;
            for (quint32 i : list) {
                total += weight(i);
                result->cumulative[pos][letter].push_back(total);
            }
        }
    return result;
}
