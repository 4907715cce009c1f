#include "bots/phrasemodel.h"

#include <QHash>
#include <algorithm>
#include <cmath>

#include "bots/corpusdata.h"

namespace {

// The closed classes of English a phrase is glued with. Only those the corpus
// uses become tags; a content word is never read as one of these.
const char *const SmallWords =
    "a an the my your our his her their its this that these those some every each all no "
    "any one two three four five six seven ten "
    "of in on at with without for from to by into onto over under after before about "
    "behind beyond near off out up down through past around against until like than "
    "and or but so nor yet if when while because then "
    "i me you we us they them he him she it is am are was were be been being has have had "
    "do does did can could will would should must may might shall not "
    "never always just very too really still again maybe only even almost soon now here "
    "there what who why how where which more most less";

const char TagNames[PhraseModel::ContentTags][3] = {"N", "NS", "V", "VZ", "VD", "VG", "A", "R"};

QList<QByteArray> lettersOnly(const QByteArray &line)
{
    QList<QByteArray> out;
    for (const QByteArray &raw : line.simplified().split(' ')) {
        if (raw.isEmpty()) continue;
        out.append(raw);
    }
    return out;
}

QByteArray lowerLetters(const QByteArray &word)
{
    QByteArray w;
    for (char c : word) {
        const char lower = (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
        if (lower >= 'a' && lower <= 'z') w.append(lower);
    }
    return w;
}

} // namespace

Lexicon::Pos PhraseModel::posOf(int tag)
{
    switch (tag) {
    case N:
    case NS:
        return Lexicon::Noun;
    case V:
    case VZ:
    case VD:
    case VG:
        return Lexicon::Verb;
    case A:
        return Lexicon::Adj;
    case R:
        return Lexicon::Adv;
    default:
        return Lexicon::Det;
    }
}

Lexicon::Form PhraseModel::formOf(int tag)
{
    switch (tag) {
    case NS:
        return Lexicon::Plural;
    case VZ:
        return Lexicon::ThirdPerson;
    case VD:
        return Lexicon::Past;
    case VG:
        return Lexicon::Gerund;
    default:
        return Lexicon::Base;
    }
}

int PhraseModel::tagOf(Lexicon::Pos pos, Lexicon::Form form)
{
    switch (pos) {
    case Lexicon::Noun:
        return form == Lexicon::Plural ? NS : N;
    case Lexicon::Verb:
        return form == Lexicon::ThirdPerson ? VZ
               : form == Lexicon::Past      ? VD
               : form == Lexicon::Gerund    ? VG
                                            : V;
    case Lexicon::Adj:
        return A;
    case Lexicon::Adv:
        return R;
    default:
        return -1;
    }
}

int PhraseModel::smallTag(const QByteArray &w) const
{
    for (int t = ContentTags; t < tags; ++t)
        if (small[size_t(t)] == w) return t;
    return -1;
}

PhraseModel::PhraseModel(const Lexicon &lex, const QByteArray &corpusText) : lexicon(lex)
{
    const QByteArray corpus = corpusText.isEmpty()
                                  ? QByteArray(PhraseCorpus) + '\n' + QByteArray(TopicCorpus)
                                  : corpusText;
    small.resize(ContentTags);
    QList<QByteArray> closed = QByteArray(SmallWords).split(' ');
    closed.removeAll(QByteArray());

    // The corpus' phrases as words, with any tag written after a word
    // ("toast/V") kept aside.
    struct Token
    {
        QByteArray word;
        int forced = -1;
    };
    QList<QList<Token>> lines;
    QList<QByteArray> lineTopics;
    QByteArray topic; // "[Breakfast]" heads the phrases of a category
    for (const QByteArray &raw : corpus.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            topic = topicKey(line.mid(1, line.size() - 2));
            continue;
        }
        QList<Token> tokens;
        for (const QByteArray &item : lettersOnly(line)) {
            Token t;
            const int slash = item.indexOf('/');
            t.word = lowerLetters(slash < 0 ? item : item.left(slash));
            if (slash >= 0)
                for (int k = 0; k < ContentTags; ++k)
                    if (item.mid(slash + 1) == TagNames[k]) t.forced = k;
            if (!t.word.isEmpty()) tokens.append(t);
        }
        if (tokens.isEmpty() || tokens.size() > MaxWords) continue;
        for (const Token &t : std::as_const(tokens))
            if (t.forced < 0 && closed.contains(t.word) &&
                std::find(small.begin(), small.end(), t.word) == small.end())
                small.push_back(t.word);
        lines.append(tokens);
        lineTopics.append(topic);
    }
    tags = int(small.size());
    phrases = int(lines.size());
    for (int letter = 0; letter < Lexicon::Letters; ++letter) {
        usable[letter].assign(size_t(tags), false);
        for (int t = 0; t < tags; ++t)
            usable[letter][size_t(t)] = isContent(t) ? !lexicon.byLetter(posOf(t), letter).empty()
                                                     : small[size_t(t)].at(0) == char('a' + letter);
    }

    // Tagging and learning, twice: first each word by its most familiar
    // reading, then by the best reading under what the first pass learnt.
    logTrans.assign(size_t((tags + 1) * (tags + 1)), 0.0);
    for (int pass = 0; pass < 2; ++pass) {
        tagged.clear();
        for (const QList<Token> &line : std::as_const(lines)) {
            QList<QList<Reading>> options;
            for (const Token &t : line) {
                if (t.forced >= 0)
                    options.append({{t.forced, 0.0}});
                else
                    options.append(readings(t.word, true));
            }
            double unused = 0;
            tagged.push_back(viterbi(options, &unused));
        }
        learn(tagged);
    }
    for (int i = 0; i < lines.size(); ++i) {
        if (lineTopics[i].isEmpty()) continue;
        TopicPhrase phrase;
        for (const Token &t : lines[i])
            phrase.words.append(t.word);
        phrase.tags = tagged[size_t(i)];
        topicPhrases[lineTopics[i]].append(phrase);
    }
}

QSet<QByteArray> PhraseModel::corpusWords()
{
    QSet<QByteArray> out;
    for (const char *text : {PhraseCorpus, TopicCorpus})
        for (const QByteArray &line : QByteArray(text).split('\n')) {
            if (line.startsWith('#') || line.startsWith('[')) continue;
            for (const QByteArray &item : lettersOnly(line)) {
                const int slash = item.indexOf('/');
                const QByteArray w = lowerLetters(slash < 0 ? item : item.left(slash));
                if (!w.isEmpty()) out.insert(w);
            }
        }
    return out;
}

QByteArray PhraseModel::topicKey(const QByteArrayView category)
{
    return category.toByteArray().toLower().simplified();
}

const QList<PhraseModel::TopicPhrase> *PhraseModel::topic(const QByteArrayView category) const
{
    const auto it = topicPhrases.constFind(topicKey(category));
    return it == topicPhrases.constEnd() ? nullptr : &*it;
}

QList<PhraseModel::Reading> PhraseModel::readings(const QByteArray &w, bool learning) const
{
    QList<Reading> out;
    const int smallAs = smallTag(w);
    if (smallAs >= 0) {
        out.append({smallAs, 0.0});
        return out;
    }
    const QList<Lexicon::Analysis> analyses = lexicon.analyse(w);
    double total = 0;
    for (const Lexicon::Analysis &a : analyses)
        total += 1 + lexicon.familiarity(a.lemma, a.pos);
    for (const Lexicon::Analysis &a : analyses) {
        const int tag = tagOf(a.pos, a.form);
        if (tag < 0) continue;
        // While learning, the lexicon's sense counts say which reading is
        // likelier; when judging a phrase any real reading will do.
        const double cost =
            learning ? -std::log((1 + lexicon.familiarity(a.lemma, a.pos)) / total) : 0.0;
        bool have = false;
        for (Reading &r : out)
            if (r.tag == tag) {
                r.cost = std::min(r.cost, cost);
                have = true;
            }
        if (!have) out.append({tag, cost});
    }
    if (out.isEmpty()) out.append({N, learning ? 0.0 : 4.0});
    return out;
}

void PhraseModel::learn(const std::vector<std::vector<int>> &sequences)
{
    const int states = tags + 1;
    std::vector<double> count(size_t(states * states), 0.0);
    std::vector<double> unigram(size_t(states), 0.0);
    for (const std::vector<int> &seq : sequences) {
        int previous = tags; // the start
        for (int t : seq) {
            count[size_t(previous * states + t)] += 1;
            unigram[size_t(t)] += 1;
            previous = t;
        }
        count[size_t(previous * states + tags)] += 1;
        unigram[size_t(tags)] += 1;
    }
    triples.clear();
    for (const std::vector<int> &seq : sequences) {
        int a = tags, b = tags;
        for (size_t i = 0; i <= seq.size(); ++i) {
            const int c = i < seq.size() ? seq[i] : tags;
            if (i > 0) triples[quint32(a * states + b)][c] += 1;
            a = b;
            b = c;
        }
    }
    double all = 0;
    for (double u : unigram)
        all += u;
    // Smoothed towards how common each tag is, so any letters still have a
    // phrase, however unusual.
    constexpr double Alpha = 1.5;
    prob.assign(size_t(states * states), 0.0);
    for (int from = 0; from < states; ++from) {
        double row = 0;
        for (int to = 0; to < states; ++to)
            row += count[size_t(from * states + to)];
        for (int to = 0; to < states; ++to) {
            const double back = (unigram[size_t(to)] + 0.1) / (all + 0.1 * states);
            double p = (count[size_t(from * states + to)] + Alpha * back) / (row + Alpha);
            if (to == tags && from == tags) p = 1e-9; // no empty phrase
            prob[size_t(from * states + to)] = p;
            logTrans[size_t(from * states + to)] = std::log(p);
        }
    }
    // Long phrases glue their words with more small words ("The Dog Ate All
    // Of My Socks Again"): their own counts, backed off to all phrases.
    std::vector<double> longCount(size_t(states * states), 0.0);
    for (const std::vector<int> &seq : sequences) {
        if (int(seq.size()) < LongPhrase) continue;
        int previous = tags;
        for (int t : seq) {
            longCount[size_t(previous * states + t)] += 1;
            previous = t;
        }
        longCount[size_t(previous * states + tags)] += 1;
    }
    constexpr double LongAlpha = 4.0;
    probLong.assign(size_t(states * states), 0.0);
    for (int from = 0; from < states; ++from) {
        double row = 0;
        for (int to = 0; to < states; ++to)
            row += longCount[size_t(from * states + to)];
        for (int to = 0; to < states; ++to)
            probLong[size_t(from * states + to)] = (longCount[size_t(from * states + to)] +
                                                    LongAlpha * prob[size_t(from * states + to)]) /
                                                   (row + LongAlpha);
    }
}

std::vector<int> PhraseModel::viterbi(const QList<QList<Reading>> &options, double *logProb) const
{
    const int n = int(options.size());
    std::vector<int> out;
    if (n == 0) {
        *logProb = -100;
        return out;
    }
    const int states = tags + 1;
    std::vector<double> best(size_t(n * states), -1e300);
    std::vector<int> back(size_t(n * states), -1);
    for (const Reading &r : options[0])
        best[size_t(r.tag)] = transition(tags, r.tag) - r.cost;
    for (int i = 1; i < n; ++i)
        for (const Reading &r : options[i])
            for (const Reading &p : options[i - 1]) {
                const double v =
                    best[size_t((i - 1) * states + p.tag)] + transition(p.tag, r.tag) - r.cost;
                if (v > best[size_t(i * states + r.tag)]) {
                    best[size_t(i * states + r.tag)] = v;
                    back[size_t(i * states + r.tag)] = p.tag;
                }
            }
    int last = -1;
    double top = -1e300;
    for (const Reading &r : options[n - 1]) {
        const double v = best[size_t((n - 1) * states + r.tag)] + transition(r.tag, tags);
        if (v > top) {
            top = v;
            last = r.tag;
        }
    }
    out.assign(size_t(n), N);
    for (int i = n - 1; i >= 0 && last >= 0; --i) {
        out[size_t(i)] = last;
        last = back[size_t(i * states + last)];
    }
    *logProb = top;
    return out;
}

double PhraseModel::score(const QList<QByteArray> &words, std::vector<int> *readTags) const
{
    if (words.isEmpty() || words.size() > MaxWords) return -100;
    QList<QList<Reading>> options;
    for (const QByteArray &w : words)
        options.append(readings(w, false));
    double logProb = 0;
    std::vector<int> path = viterbi(options, &logProb);
    if (readTags) *readTags = path;
    // The readings' own cost (unknown words) stays; the shape is judged by threes.
    double readingCost = 0;
    for (int i = 0; i < options.size(); ++i)
        for (const Reading &r : options[i])
            if (r.tag == path[size_t(i)]) {
                readingCost += r.cost;
                break;
            }
    return shapeScore(path) - readingCost / double(words.size() + 1);
}

double PhraseModel::shapeScore(const std::vector<int> &seq) const
{
    if (seq.empty()) return -100;
    const int states = tags + 1;
    double total = 0;
    int a = tags, b = tags;
    for (size_t i = 0; i <= seq.size(); ++i) {
        const int c = i < seq.size() ? seq[i] : tags;
        double p = prob[size_t(b * states + c)];
        if (i > 0) {
            const auto it = triples.constFind(quint32(a * states + b));
            if (it != triples.constEnd()) {
                int seen = 0;
                for (int n : *it)
                    seen += n;
                const double three = double(it->value(c, 0)) / double(seen);
                // More trust in runs of three the more often their start was seen.
                const double trust = double(seen) / (double(seen) + 3.0);
                p = trust * three + (1.0 - trust) * p;
            }
        }
        total += std::log(std::max(p, 1e-12));
        a = b;
        b = c;
    }
    return total / double(seq.size() + 1);
}

bool PhraseModel::sample(const std::vector<int> &letters, std::mt19937 &rng,
                         std::vector<int> &out) const
{
    const int n = int(letters.size());
    out.clear();
    if (n == 0 || n > MaxWords) return false;
    const int states = tags + 1;
    for (int letter : letters)
        if (letter < 0 || letter >= Lexicon::Letters) return false;
    const std::vector<double> &prob = n >= LongPhrase ? probLong : this->prob;
    // Backward pass: how likely the rest of the phrase is from each tag.
    std::vector<double> rest(size_t(n * tags), 0.0);
    for (int i = n - 1; i >= 0; --i) {
        const std::vector<bool> &here = usable[letters[size_t(i)]];
        double scale = 0;
        for (int t = 0; t < tags; ++t) {
            if (!here[size_t(t)]) continue;
            double v = 0;
            if (i == n - 1) {
                v = prob[size_t(t * states + tags)];
            } else {
                const std::vector<bool> &next = usable[letters[size_t(i + 1)]];
                for (int u = 0; u < tags; ++u)
                    if (next[size_t(u)])
                        v += prob[size_t(t * states + u)] * rest[size_t((i + 1) * tags + u)];
            }
            rest[size_t(i * tags + t)] = v;
            scale = std::max(scale, v);
        }
        if (scale <= 0) return false;
        // Kept in range over long runs; only ratios matter.
        for (int t = 0; t < tags; ++t)
            rest[size_t(i * tags + t)] /= scale;
    }
    std::uniform_real_distribution<double> unit(0, 1);
    int previous = tags;
    std::vector<double> weight(static_cast<size_t>(tags));
    for (int i = 0; i < n; ++i) {
        double total = 0;
        for (int t = 0; t < tags; ++t) {
            weight[size_t(t)] = prob[size_t(previous * states + t)] * rest[size_t(i * tags + t)];
            total += weight[size_t(t)];
        }
        if (total <= 0) return false;
        double r = unit(rng) * total;
        int pick = 0;
        for (; pick < tags - 1; ++pick) {
            if (r < weight[size_t(pick)]) break;
            r -= weight[size_t(pick)];
        }
        // Rounding may land past the last tag with weight: take the nearest one.
        while (weight[size_t(pick)] <= 0 && pick > 0)
            --pick;
        while (weight[size_t(pick)] <= 0 && pick < tags - 1)
            ++pick;
        out.push_back(pick);
        previous = pick;
    }
    return true;
}
