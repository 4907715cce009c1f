#include "bots/acromaker.h"

#include <algorithm>
#include <cmath>

#include "game/categories.h"
#include "game/checkacro.h"
#include "game/wordfilter.h"

namespace {

constexpr int Start = Lexicon::PosCount;

// How likely one part of speech follows another (rows: the previous word,
// the last row the start; columns: noun, verb, adjective, adverb,
// determiner, preposition or conjunction, pronoun).
constexpr double Follow[Lexicon::PosCount + 1][Lexicon::PosCount] = {
    {1, 4, 0.3, 0.5, 0, 2, 0.2},   // noun
    {3, 0.2, 2, 2, 1.5, 1.5, 0.5}, // verb
    {5, 0.2, 1, 0, 0, 0.2, 0},     // adjective
    {1, 2, 2, 0.2, 0.3, 1, 0.2},   // adverb
    {4, 0, 3, 0.2, 0, 0, 0},       // determiner
    {4, 0.3, 2, 0, 2, 0, 0.3},     // preposition
    {0.3, 5, 0.3, 1, 0, 0.5, 0},   // pronoun
    {3, 1, 3, 0.5, 1, 0.2, 1},     // start
};
// A phrase should not end on a word that leads somewhere.
constexpr double AtEnd[Lexicon::PosCount] = {3, 1.5, 0.3, 2, 0.02, 0.02, 0.2};

// Categories of a computer player's own, offered now and then.
const char *const OwnCategories[] = {
    "Sea Life",  "Space Travel", "Pets",      "Weather",      "Kitchen",     "Dinosaurs",
    "Camping",   "Birthdays",    "Gardening", "Robots",       "Pirates",     "Holidays",
    "Breakfast", "Superheroes",  "The Zoo",   "Farm Animals", "Office Life", "Rainy Days"};

QByteArray plural(const QByteArray &noun)
{
    if (noun.endsWith('s') || noun.endsWith('x') || noun.endsWith("ch") || noun.endsWith("sh"))
        return noun + "es";
    if (noun.endsWith('y') && noun.size() > 1 &&
        !QByteArray("aeiou").contains(noun.at(noun.size() - 2)))
        return noun.chopped(1) + "ies";
    return noun + 's';
}

bool hiddenByFilter(const QString &text)
{
    return WordFilter::filterWords(text).contains(QLatin1String("****"));
}

void lowerWords(const QString &answer, QList<QByteArray> &out)
{
    for (const QString &word : answer.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        QByteArray w;
        for (QChar c : word.toLower())
            if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) w.append(char(c.unicode()));
        if (!w.isEmpty()) out.append(w);
    }
}

} // namespace

AcroMaker::AcroMaker(const Lexicon &lex, quint32 seed, Difficulty difficulty, bool familyRoom)
    : lexicon(lex), rng(seed), level(difficulty), family(familyRoom)
{
    caseStyle = std::uniform_int_distribution<int>(0, 2)(rng);
}

int AcroMaker::pickWord(int pos, int letter, const Lexicon::Related *related)
{
    std::uniform_real_distribution<double> unit(0, 1);
    const double onTopic = level == Difficulty::Hard     ? 0.7
                           : level == Difficulty::Normal ? 0.5
                                                         : 0.3;
    if (related && pos <= Lexicon::Adv) {
        const std::vector<quint32> &near = related->byPosLetter[pos][letter];
        if (!near.empty() && unit(rng) < onTopic)
            return int(near[std::uniform_int_distribution<size_t>(0, near.size() - 1)(rng)]);
    }
    const std::vector<quint32> &list = lexicon.byLetter(Lexicon::Pos(pos), letter);
    const std::vector<quint32> &sum = lexicon.weights(Lexicon::Pos(pos), letter);
    if (list.empty()) return -1;
    if (level == Difficulty::Easy)
        return int(list[std::uniform_int_distribution<size_t>(0, list.size() - 1)(rng)]);
    auto weighted = [&] {
        const quint32 r = std::uniform_int_distribution<quint32>(0, sum.back() - 1)(rng);
        return size_t(std::upper_bound(sum.begin(), sum.end(), r) - sum.begin());
    };
    size_t at = weighted();
    // A careful player takes the more familiar of two draws (the list is
    // ordered most familiar first).
    if (level == Difficulty::Hard) at = std::min(at, weighted());
    return int(list[std::min(at, list.size() - 1)]);
}

QString AcroMaker::draft(const QString &letters, const Lexicon::Related *related)
{
    std::uniform_real_distribution<double> unit(0, 1);
    const int n = int(letters.size());
    QList<QByteArray> out;
    QList<int> kinds;
    int previous = Start;
    for (int i = 0; i < n; ++i) {
        const QChar c = letters.at(i).toLower();
        const int letter = c.unicode() - 'a';
        if (letter < 0 || letter >= Lexicon::Letters) return QString();
        double weight[Lexicon::PosCount] = {};
        double total = 0;
        for (int pos = 0; pos < Lexicon::PosCount; ++pos) {
            if (lexicon.byLetter(Lexicon::Pos(pos), letter).empty()) continue;
            weight[pos] = Follow[previous][pos] * (i == n - 1 ? AtEnd[pos] : 1.0);
            // A lone small word makes no phrase.
            if (n == 1 && pos >= Lexicon::Det) weight[pos] = 0;
            total += weight[pos];
        }
        int pos = Lexicon::Noun;
        if (total > 0) {
            double r = unit(rng) * total;
            for (pos = 0; pos < Lexicon::PosCount - 1; ++pos) {
                if (r < weight[pos]) break;
                r -= weight[pos];
            }
            while (weight[pos] <= 0 && pos > 0)
                --pos;
        }
        int index = -1;
        for (int attempt = 0; attempt < 4; ++attempt) {
            const int w = pickWord(pos, letter, related);
            if (w < 0) break;
            const QByteArray &text = lexicon.word(quint32(w)).text;
            if (out.contains(text) && attempt < 3) continue;
            if (family &&
                hiddenByFilter(QLatin1Char(' ') + QString::fromLatin1(text) + QLatin1Char(' ')))
                continue;
            index = w;
            break;
        }
        if (index < 0) {
            // Every letter has built-in nouns, none of them filtered.
            const std::vector<quint32> &nouns = lexicon.byLetter(Lexicon::Noun, letter);
            if (nouns.empty()) return QString();
            index = int(nouns.back());
            pos = Lexicon::Noun;
        }
        QByteArray text = lexicon.word(quint32(index)).text;
        if (i > 0 && kinds.last() == Lexicon::Noun && pos == Lexicon::Verb &&
            lexicon.word(quint32(index)).pos == Lexicon::Verb)
            out.last() = plural(out.last());
        out.append(text);
        kinds.append(pos);
        previous = pos;
    }
    QStringList parts;
    for (int i = 0; i < out.size(); ++i) {
        QString w = QString::fromLatin1(out[i]);
        if (caseStyle == 0 || (caseStyle == 1 && i == 0) || w == QLatin1String("i"))
            w[0] = w[0].toUpper();
        parts.append(w);
    }
    return parts.join(QLatin1Char(' '));
}

bool AcroMaker::acceptable(const QString &answer, const QString &letters) const
{
    if (answer.isEmpty()) return false;
    const AcroCheck check = checkAcroText(answer, letters, int(letters.size()), family);
    return check.accepted && !check.filtered && check.cleaned == answer;
}

QString AcroMaker::make(const QString &letters, const QString &category)
{
    if (letters.isEmpty() || letters.size() > MaxLetters) return QString();
    const std::shared_ptr<const Lexicon::Related> related =
        category.trimmed().isEmpty() ? nullptr : lexicon.related(category);
    const int drafts = level == Difficulty::Hard ? 6 : level == Difficulty::Normal ? 3 : 1;
    QString best;
    double bestRating = 0;
    for (int d = 0; d < drafts + 4 && (d < drafts || best.isEmpty()); ++d) {
        const QString answer = draft(letters, related.get());
        if (!acceptable(answer, letters)) continue;
        const double rating = rate(answer, letters, category);
        if (best.isEmpty() || rating > bestRating) {
            best = answer;
            bestRating = rating;
        }
    }
    return best;
}

double AcroMaker::rate(const QString &answer, const QString &letters, const QString &category) const
{
    const AcroCheck check = checkAcroText(answer, letters, int(letters.size()), false);
    if (!check.accepted) return -10;
    QList<QByteArray> words;
    lowerWords(answer, words);
    if (words.isEmpty()) return -10;
    const std::shared_ptr<const Lexicon::Related> related =
        category.trimmed().isEmpty() ? nullptr : lexicon.related(category);
    double familiar = 0;
    int near = 0;
    for (const QByteArray &w : std::as_const(words)) {
        familiar += std::min(1.0, std::log2(1.0 + lexicon.familiarity(w)) / 6.0);
        if (related && related->words.contains(w)) ++near;
    }
    familiar /= double(words.size());
    const double topical = double(near) / double(words.size());
    const double perWord = double(answer.size()) / double(words.size());
    const double tooLong = std::max(0.0, perWord - 8.0) * 0.3;
    return 2 * familiar + 3 * topical - tooLong;
}

QString AcroMaker::pickCategory(bool fixedOnly)
{
    std::uniform_real_distribution<double> unit(0, 1);
    if (!fixedOnly && unit(rng) < 0.2) {
        const int n = int(sizeof OwnCategories / sizeof *OwnCategories);
        return QString::fromLatin1(
            OwnCategories[std::uniform_int_distribution<int>(0, n - 1)(rng)]);
    }
    const QStringList &list =
        fixedOnly ? categories::fixedCategories() : categories::comboCategories();
    return list.at(std::uniform_int_distribution<int>(0, int(list.size()) - 1)(rng));
}
