// The computer players' words: the familiar English words of the WordNet
// lexicon (Debian's wordnet-base) by part of speech and first letter, with a
// small built-in list so every letter has words even when the lexicon is
// missing or damaged. One loaded lexicon is shared by every computer player of
// a process; it never changes after loading, so sharing needs no lock except
// for the cache of category neighbourhoods.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QString>
#include <memory>
#include <vector>

class Lexicon
{
public:
    // The parts of speech a phrase is built from. The last three are the
    // built-in small words (determiners, prepositions and conjunctions,
    // pronouns); the lexicon has none of them.
    enum Pos
    {
        Noun,
        Verb,
        Adj,
        Adv,
        Det,
        Prep,
        Pron,
        PosCount
    };
    static constexpr int Letters = 26;

    struct Word
    {
        QByteArray text; // lower case, a to z only
        quint8 pos = Noun;
        quint16 familiarity = 1; // senses tagged in the concordance, at least 1
    };

    // Words near a category: the category's own words, their senses' synonyms,
    // gloss words and close relations, as far as they are familiar words.
    struct Related
    {
        QSet<QByteArray> words;
        std::vector<quint32> byPosLetter[PosCount][Letters];
    };

    static constexpr char DefaultFolder[] = "/usr/share/wordnet";

    // The lexicon of the default folder, loaded once for the whole process.
    static const Lexicon &shared();

    // Loads the index files of `folder`; whatever is missing or unreadable is
    // left out, and the built-in words are always added.
    explicit Lexicon(const QString &folder);

    // True when words came from the lexicon files (not only the built-in list).
    bool fromFiles() const { return loadedFromFiles; }
    int size() const { return int(words.size()); }
    const Word &word(quint32 index) const { return words[index]; }

    // Indices of the words of `pos` beginning with `letter` (0 = a), most
    // familiar first, and their running familiarity weights for sampling.
    const std::vector<quint32> &byLetter(Pos pos, int letter) const { return table[pos][letter]; }
    const std::vector<quint32> &weights(Pos pos, int letter) const
    {
        return cumulative[pos][letter];
    }

    // Familiarity of a word as a player typed it (plural and -ing/-ed forms
    // tried too); 0 when unknown.
    int familiarity(const QByteArray &lowerWord) const;

    // The neighbourhood of a category (cached; bounded work per category).
    std::shared_ptr<const Related> related(const QString &category) const;

    // Bounds on reading the lexicon: a damaged file can cost no more.
    static constexpr qint64 MaxIndexLines = 400000;
    static constexpr qint64 MaxIndexBytes = 32 * 1024 * 1024;
    static constexpr int MaxLineBytes = 8192;
    static constexpr int MaxSynsetReads = 160;
    static constexpr int MaxCachedCategories = 64;

private:
    void loadIndex(const QString &path, Pos pos);
    void addWord(const QByteArray &text, Pos pos, int familiarity);
    void addBuiltIn();
    void finish();
    QList<qint64> lookupOffsets(Pos pos, const QByteArray &lemma, int maxSenses) const;
    QByteArray readSynset(Pos pos, qint64 offset) const;
    std::shared_ptr<Related> buildRelated(const QString &category) const;

    QString folder;
    bool loadedFromFiles = false;
    std::vector<Word> words;
    QHash<QByteArray, int> familiarityOf; // best over parts of speech
    QSet<QByteArray> present[PosCount];
    std::vector<quint32> table[PosCount][Letters];
    std::vector<quint32> cumulative[PosCount][Letters];

    mutable QMutex cacheLock;
    mutable QHash<QString, std::shared_ptr<const Related>> cache;
};
