#include "bots/acromaker.h"

#include <algorithm>
#include <cmath>

#include "bots/phrasemodel.h"
#include "game/categories.h"
#include "game/checkacro.h"
#include "game/wordfilter.h"

namespace {

// Categories of a computer player's own, offered now and then; in "General"
// each answer takes one of these (or of the built-in list) as its theme.
const char *const OwnCategories[] = {
    "Sea Life",  "Space Travel", "Pets",      "Weather",      "Kitchen",     "Dinosaurs",
    "Camping",   "Birthdays",    "Gardening", "Robots",       "Pirates",     "Holidays",
    "Breakfast", "Superheroes",  "The Zoo",   "Farm Animals", "Office Life", "Rainy Days"};
constexpr int OwnCount = int(sizeof OwnCategories / sizeof *OwnCategories);

struct LevelStyle
{
    int drafts;      // phrases written before the best is kept
    double onTopic;  // share of content words drawn from the category's field
    double plain;    // share of the general word list it draws from (most familiar first)
    double noise;    // how loosely it judges answers
    int familiarity; // the least familiar word of the field it would write
};

LevelStyle styleOf(Difficulty d)
{
    switch (d) {
    case Difficulty::Easy:
        return {2, 0.7, 0.12, 0.8, 8};
    case Difficulty::Hard:
        return {10, 0.95, 0.3, 0.05, 6};
    case Difficulty::Normal:
    default:
        return {6, 0.85, 0.25, 0.3, 5};
    }
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

bool toLetters(const QString &letters, std::vector<int> &out)
{
    out.clear();
    for (QChar c : letters) {
        const int letter = c.toLower().unicode() - 'a';
        if (letter < 0 || letter >= Lexicon::Letters) return false;
        out.push_back(letter);
    }
    return !out.empty();
}

} // namespace

AcroMaker::AcroMaker(const Lexicon &lex, quint32 seed, Difficulty difficulty, bool familyRoom)
    : lexicon(lex), rng(seed), level(difficulty), family(familyRoom)
{
    // Most people write in Title Case, some only capitalise the first word.
    const int style = std::uniform_int_distribution<int>(0, 9)(rng);
    caseStyle = style < 7 ? 0 : style < 9 ? 1 : 2;
}

void AcroMaker::newGame()
{
    written.clear();
    usedWords.clear();
}

QString AcroMaker::theme(int k) const
{
    const QStringList &list = categories::comboCategories();
    k %= OwnCount + int(list.size());
    return k < OwnCount ? QString::fromLatin1(OwnCategories[k]) : list.at(k - OwnCount);
}

void AcroMaker::prepare(const QString &category)
{
    if (category.trimmed().isEmpty()) return;
    lexicon.prepare(category);
    // "General" lends each answer a theme of its own: a few are read ahead.
    if (category.trimmed().compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
        for (int i = 0; i < GeneralThemes; ++i)
            lexicon.prepare(theme(std::uniform_int_distribution<int>(0, 999)(rng)));
}

int AcroMaker::pickLemma(int pos, int letter, const Lexicon::Related *field)
{
    const LevelStyle style = styleOf(level);
    std::uniform_real_distribution<double> unit(0, 1);
    if (field && !field->general && unit(rng) < style.onTopic) {
        const std::vector<quint32> &near = field->byPosLetter[pos][letter];
        const std::vector<float> &sum = field->cumulative[pos][letter];
        if (!near.empty() && sum.back() > 0) {
            auto draw = [&] {
                const float r = std::uniform_real_distribution<float>(0, sum.back())(rng);
                return size_t(std::upper_bound(sum.begin(), sum.end(), r) - sum.begin());
            };
            for (int attempt = 0; attempt < 3; ++attempt) {
                size_t at = draw();
                // A careful player takes the stronger of two ideas (strongest first).
                if (level == Difficulty::Hard) at = std::min(at, draw());
                const quint32 w = near[std::min(at, near.size() - 1)];
                if (lexicon.word(w).familiarity >= style.familiarity) return int(w);
            }
        }
    }
    const std::vector<quint32> &list = lexicon.byLetter(Lexicon::Pos(pos), letter);
    const std::vector<quint32> &sum = lexicon.weights(Lexicon::Pos(pos), letter);
    if (list.empty()) return -1;
    // The most familiar part of the list: plain words a person reaches for.
    const size_t reach = std::max<size_t>(1, size_t(double(list.size()) * style.plain));
    const quint32 top = sum[std::min(reach, sum.size()) - 1];
    const quint32 r = std::uniform_int_distribution<quint32>(0, top - 1)(rng);
    const size_t at = size_t(std::upper_bound(sum.begin(), sum.end(), r) - sum.begin());
    return int(list[std::min(at, list.size() - 1)]);
}

QString AcroMaker::draft(const std::vector<int> &letters, const Lexicon::Related *field)
{
    const PhraseModel &model = lexicon.phrases();
    std::vector<int> tags;
    if (!model.sample(letters, rng, tags)) return QString();
    QList<QByteArray> out;
    QList<QByteArray> lemmas;
    std::uniform_real_distribution<double> unit(0, 1);
    const double pairChance = level == Difficulty::Hard     ? 0.8
                              : level == Difficulty::Normal ? 0.6
                                                            : 0.3;
    for (size_t i = 0; i < letters.size(); ++i) {
        const int letter = letters[i];
        const int tag = tags[i];
        // Where the shape has a noun after a noun or an adjective, an entry
        // of two words from the field may fill both: "French Toast".
        if (field && !field->general && i + 1 < letters.size() &&
            (tag == PhraseModel::N || tag == PhraseModel::A) &&
            (tags[i + 1] == PhraseModel::N || tags[i + 1] == PhraseModel::NS) &&
            unit(rng) < pairChance) {
            const auto found = field->pairs.constFind(letter * Lexicon::Letters + letters[i + 1]);
            if (found != field->pairs.constEnd() && !found->isEmpty()) {
                const auto &[first, second] =
                    found->at(std::uniform_int_distribution<int>(0, int(found->size()) - 1)(rng));
                const QByteArray last =
                    tags[i + 1] == PhraseModel::NS
                        ? lexicon.inflect(second, Lexicon::Noun, Lexicon::Plural)
                        : second;
                const QString both = QLatin1Char(' ') + QString::fromLatin1(first) +
                                     QLatin1Char(' ') + QString::fromLatin1(last) +
                                     QLatin1Char(' ');
                if (!last.isEmpty() && !lemmas.contains(first) && !lemmas.contains(second) &&
                    !usedWords.contains(second) && !(family && hiddenByFilter(both))) {
                    out << first << last;
                    lemmas << first << second;
                    ++i;
                    continue;
                }
            }
        }
        if (!PhraseModel::isContent(tag)) {
            out.append(model.smallWord(tag));
            continue;
        }
        const Lexicon::Pos pos = PhraseModel::posOf(tag);
        const Lexicon::Form form = PhraseModel::formOf(tag);
        QByteArray chosen;
        QByteArray chosenLemma;
        for (int attempt = 0; attempt < 8 && chosen.isEmpty(); ++attempt) {
            const int w = pickLemma(pos, letter, field);
            if (w < 0) break;
            const QByteArray &lemma = lexicon.word(quint32(w)).text;
            const QByteArray text = lexicon.inflect(lemma, pos, form);
            if (text.isEmpty() || lemmas.contains(lemma)) continue;
            // A word is written as what people mostly use it as: "lost" is
            // no noun to put in the plural.
            if (attempt < 6 &&
                lexicon.word(quint32(w)).familiarity * 4 < lexicon.familiarity(lemma))
                continue;
            // Fresh words for each answer of a game, as long as there are any.
            if (attempt < 5 && usedWords.contains(lemma)) continue;
            if (family &&
                hiddenByFilter(QLatin1Char(' ') + QString::fromLatin1(text) + QLatin1Char(' ')))
                continue;
            chosen = text;
            chosenLemma = lemma;
        }
        if (chosen.isEmpty()) {
            // Every letter has built-in nouns, none of them filtered.
            const std::vector<quint32> &nouns = lexicon.byLetter(Lexicon::Noun, letter);
            if (nouns.empty()) return QString();
            chosen = chosenLemma = lexicon.word(nouns.back()).text;
        }
        out.append(chosen);
        lemmas.append(chosenLemma);
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
    std::vector<int> run;
    if (letters.size() > MaxLetters || !toLetters(letters, run)) return QString();
    std::shared_ptr<const Lexicon::Related> field =
        category.trimmed().isEmpty() ? nullptr : lexicon.related(category);
    if (field && field->general) {
        // "General" (or a category the lexicon knows nothing of): this answer
        // is about something of its own choosing, a theme whose field is read
        // already (the others are read meanwhile for later answers), else
        // plain words of the whole lexicon.
        const int n = OwnCount + int(categories::comboCategories().size());
        const int k = std::uniform_int_distribution<int>(0, n - 1)(rng);
        field = nullptr;
        for (int i = 0; i < n && !field; ++i)
            field = lexicon.ready(theme(k + i));
        if (!field || k % 3 == 0) lexicon.prepare(theme(k));
    }
    const LevelStyle style = styleOf(level);
    std::normal_distribution<double> noise(0, style.noise);
    QString best;
    double bestRating = 0;
    for (int d = 0; d < style.drafts + 6 && (d < style.drafts || best.isEmpty()); ++d) {
        const QString answer = draft(run, field.get());
        if (!acceptable(answer, letters) || written.contains(answer.toLower())) continue;
        QList<QByteArray> words;
        lowerWords(answer, words);
        const double rating = taste(words, field.get()) + noise(rng);
        if (best.isEmpty() || rating > bestRating) {
            best = answer;
            bestRating = rating;
        }
    }
    if (!best.isEmpty()) {
        written.insert(best.toLower());
        QList<QByteArray> words;
        lowerWords(best, words);
        const PhraseModel &model = lexicon.phrases();
        for (const QByteArray &w : std::as_const(words)) {
            if (model.smallTag(w) >= 0) continue;
            usedWords.insert(w);
            for (const Lexicon::Analysis &a : lexicon.analyse(w))
                usedWords.insert(a.lemma);
        }
    }
    return best;
}

double AcroMaker::taste(const QList<QByteArray> &words, const Lexicon::Related *field) const
{
    if (words.isEmpty()) return -10;
    const PhraseModel &model = lexicon.phrases();
    // How well its best reading fits what people write: about -1.5 per step
    // for a phrase like the corpus', below -4 for a heap of words.
    const double grammar = std::clamp((model.score(words) + 5.0) / 3.5, 0.0, 1.0);
    double topical = 0;
    double familiar = 0;
    int content = 0;
    int unknown = 0;
    double rare = 0;
    QSet<QByteArray> seen;
    int repeats = 0;
    for (const QByteArray &w : words) {
        if (seen.contains(w)) ++repeats;
        seen.insert(w);
        if (model.smallTag(w) >= 0) continue;
        ++content;
        const int f = lexicon.familiarity(w);
        if (f == 0) ++unknown;
        // A rare word ("nee", "morn") reads as a crossword answer, not a joke.
        if (f < 3) rare += 1;
        familiar += std::min(1.0, std::log2(1.0 + f) / 6.0);
        if (field && !field->general) topical += lexicon.strength(*field, w);
    }
    if (content > 0) {
        topical /= content;
        familiar /= content;
    }
    // Words that go together as people write them: "maple syrup", "cotton candy".
    double together = 0;
    if (field && !field->general)
        for (int i = 0; i + 1 < words.size(); ++i) {
            const QByteArray &a = words[i], &b = words[i + 1];
            const auto found =
                field->pairs.constFind((a.at(0) - 'a') * Lexicon::Letters + (b.at(0) - 'a'));
            if (found == field->pairs.constEnd()) continue;
            for (const auto &[first, second] : *found)
                if (first == a && (second == b || b.startsWith(second))) together += 0.5;
        }
    // A long run reads as a person's when small words glue it ("Sand In My
    // Sandwich"), not as a list of nouns.
    const int glue = int(words.size()) - content;
    const double glued = words.size() >= PhraseModel::LongPhrase ? 0.4 * std::min(2, glue) : 0.0;
    double length = 0;
    for (const QByteArray &w : words)
        length += double(w.size());
    const double tooLong = std::max(0.0, length / double(words.size()) - 8.0) * 0.3;
    return 3.0 * topical + 2.5 * familiar + 2.0 * grammar + together + glued - 0.8 * unknown -
           0.4 * rare - 0.5 * repeats - tooLong;
}

double AcroMaker::rate(const QString &answer, const QString &letters, const QString &category) const
{
    const AcroCheck check = checkAcroText(answer, letters, int(letters.size()), false);
    if (!check.accepted) return -10;
    QList<QByteArray> words;
    lowerWords(answer, words);
    if (words.isEmpty() || words.size() > PhraseModel::MaxWords) return -10;
    const std::shared_ptr<const Lexicon::Related> field =
        category.trimmed().isEmpty() ? nullptr : lexicon.related(category);
    return taste(words, field.get());
}

int AcroMaker::choose(const QStringList &answers, const QString &letters, const QString &category)
{
    std::normal_distribution<double> mood(0, styleOf(level).noise);
    int best = -1;
    double bestScore = 0;
    for (int i = 0; i < answers.size(); ++i) {
        const double score = rate(answers[i], letters, category) + mood(rng);
        if (best < 0 || score > bestScore) {
            best = i;
            bestScore = score;
        }
    }
    return best;
}

QString AcroMaker::pickCategory(bool fixedOnly)
{
    std::uniform_real_distribution<double> unit(0, 1);
    if (!fixedOnly && unit(rng) < 0.2)
        return QString::fromLatin1(
            OwnCategories[std::uniform_int_distribution<int>(0, OwnCount - 1)(rng)]);
    const QStringList &list =
        fixedOnly ? categories::fixedCategories() : categories::comboCategories();
    return list.at(std::uniform_int_distribution<int>(0, int(list.size()) - 1)(rng));
}
