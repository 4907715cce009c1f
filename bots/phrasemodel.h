// The shapes of the phrases a person writes as an acro, learnt from a small
// corpus the project writes itself (bots/corpus/phrases.txt, compiled in):
// every corpus phrase is tagged with the lexicon (a content word by its part of
// speech and form, a small word such as "of", "the", "my" as itself), and the
// model keeps how often one tag follows another. A phrase for a run of letters
// is then drawn from the model under the letters' constraint, and any phrase
// can be scored by how well its best reading fits what people write.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <random>
#include <vector>

#include "bots/lexicon.h"

class PhraseModel
{
public:
    // Content tags come first; every small word the corpus uses is a tag of its own.
    enum ContentTag
    {
        N,  // noun
        NS, // plural noun
        V,  // verb, as a command or after "I", "we", "to"
        VZ, // verb after one subject: "fixes"
        VD, // past: "burnt"
        VG, // "pouring"
        A,  // adjective
        R,  // adverb
        ContentTags
    };

    // Tags the built-in corpus with `lexicon`; `corpus` replaces it (tests).
    explicit PhraseModel(const Lexicon &lexicon, const QByteArray &corpus = QByteArray());

    int tagCount() const { return tags; }
    int phraseCount() const { return phrases; }
    static bool isContent(int tag) { return tag < ContentTags; }
    static Lexicon::Pos posOf(int tag);
    static Lexicon::Form formOf(int tag);
    static int tagOf(Lexicon::Pos pos, Lexicon::Form form);
    // The small word of a tag (empty for content tags).
    const QByteArray &smallWord(int tag) const { return small[size_t(tag)]; }
    // The tag of a small word, or -1.
    int smallTag(const QByteArray &lowerWord) const;

    // Draws a tag per letter (0 = a) from the model, among the tags that have
    // words for that letter. False when no tag fits some letter.
    bool sample(const std::vector<int> &letters, std::mt19937 &rng, std::vector<int> &out) const;

    // The best reading of a phrase of lower-case words: its tags and its
    // average log-probability per step (start and end included). Unknown
    // words read as nouns at a cost.
    double score(const QList<QByteArray> &words, std::vector<int> *readTags = nullptr) const;

    // How well a tag sequence fits the corpus by runs of three (backed off to
    // pairs): its average log-probability per step.
    double shapeScore(const std::vector<int> &tagSequence) const;

    // The phrases the corpus holds for one category (bots/corpus/topics.txt),
    // as lower-case words with their tags as learnt; null for a category it
    // has none for.
    struct TopicPhrase
    {
        QList<QByteArray> words;
        std::vector<int> tags;
    };
    const QList<TopicPhrase> *topic(QByteArrayView category) const;
    // Every lower-case word of the built-in corpus.
    static QSet<QByteArray> corpusWords();
    // How a category is looked up: lower case, blanks simplified.
    static QByteArray topicKey(QByteArrayView category);

    // The tags of the corpus' phrases, as learnt (for tests and the benchmark).
    const std::vector<std::vector<int>> &taggedCorpus() const { return tagged; }

    static constexpr int MaxWords = 64;
    static constexpr int LongPhrase = 6;

private:
    struct Reading
    {
        int tag;
        double cost; // minus log of how likely the word is this tag
    };
    QList<Reading> readings(const QByteArray &word, bool learning) const;
    double transition(int from, int to) const { return logTrans[size_t(from * (tags + 1) + to)]; }
    void learn(const std::vector<std::vector<int>> &sequences);
    std::vector<int> viterbi(const QList<QList<Reading>> &options, double *logProb) const;

    const Lexicon &lexicon;
    int tags = ContentTags;
    int phrases = 0;
    std::vector<QByteArray> small;
    // (tags + 1) squared: the last row is the start, the last column the end.
    std::vector<double> logTrans;
    std::vector<double> prob;
    std::vector<double> probLong; // the same for runs of LongPhrase letters or more
    // Runs of three: (first, second) -> counts of the third, first and second
    // as in the transition table (the start is `tags`).
    QHash<quint32, QHash<int, int>> triples;
    // Tags with words for a letter: [letter][tag].
    std::vector<bool> usable[Lexicon::Letters];
    std::vector<std::vector<int>> tagged;
    QHash<QByteArray, QList<TopicPhrase>> topicPhrases;
};
