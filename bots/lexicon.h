// The computer players' words: the familiar English words of the WordNet
// lexicon (Debian's wordnet-base) by part of speech and first letter, their
// inflected forms, and the field of words around a category, with a small
// built-in list so every letter has words even when the lexicon is missing or
// damaged. One loaded lexicon is shared by every computer player of a process;
// it never changes after loading, so sharing needs no lock except for the
// cache of category fields.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QWaitCondition>
#include <future>
#include <memory>
#include <vector>

class PhraseModel;

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
    // The shapes a content word takes in a phrase.
    enum Form
    {
        Base,        // noun singular, verb as a command, adjective, adverb
        Plural,      // nouns
        ThirdPerson, // verbs: "fixes"
        Past,        // verbs: "burnt", "fixed"
        Gerund       // verbs: "pouring"
    };
    static constexpr int Letters = 26;

    struct Word
    {
        QByteArray text; // lower case, a to z only
        quint8 pos = Noun;
        quint16 familiarity = 1; // senses tagged in the concordance, at least 1
    };

    // The field of a category: words of its senses, their synonyms, kinds,
    // parts, domain, derived words and glosses, the words whose glosses name
    // it, and the thesaurus' neighbours, each with a strength (0 to 1).
    struct Related
    {
        QHash<QByteArray, float> strength; // by lemma
        // Words of the field by part of speech and first letter, strongest and
        // most familiar first, with running weights for sampling.
        std::vector<quint32> byPosLetter[PosCount][Letters];
        std::vector<float> cumulative[PosCount][Letters];
        // Nothing of the category was found (or it is "General"): answers draw
        // from the whole lexicon.
        bool general = false;
        QSet<QByteArray> words; // the lemmas of `strength`, for quick membership
        // Two-word entries of the field ("french toast", "maple syrup") by the
        // letters of their words (first * 26 + second), strongest first.
        QHash<int, QList<QPair<QByteArray, QByteArray>>> pairs;
    };

    struct Analysis
    {
        QByteArray lemma;
        Pos pos;
        Form form;
    };

    static constexpr char DefaultFolder[] = "/usr/share/wordnet";
    static constexpr char DefaultThesaurus[] = "/usr/share/mythes/th_en_US_v2";

    // The lexicon of the default folders, loaded once for the whole process.
    static const Lexicon &shared();

    // Loads the index files of `folder` (and the thesaurus `thesaurus`.idx and
    // .dat when present); whatever is missing or unreadable is left out, and
    // the built-in words are always added.
    explicit Lexicon(const QString &folder, const QString &thesaurus = QString());
    ~Lexicon();
    Lexicon(const Lexicon &) = delete;
    Lexicon &operator=(const Lexicon &) = delete;

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
    // Familiarity of a lemma as one part of speech; 0 when it is not one.
    int familiarity(const QByteArray &lemma, Pos pos) const;

    // The readings of a lower-case word: lemma, part of speech and form, from
    // the lexicon's exception lists and the regular endings. Small words are
    // not read here.
    QList<Analysis> analyse(const QByteArray &lowerWord) const;
    // `lemma` in `form`; empty when the form does not suit the word.
    QByteArray inflect(const QByteArray &lemma, Pos pos, Form form) const;

    // The field of a category (cached; bounded work per category). Waits
    // when the field is still being read on a worker.
    std::shared_ptr<const Related> related(const QString &category) const;
    // Starts reading a category's field on a worker thread of Qt's global
    // pool and returns at once, so a GUI thread never waits for the lexicon
    // files; a later `related` finds it read (or waits for the rest).
    void prepare(const QString &category) const;
    // The field when it has been read; null (and nothing started) otherwise.
    std::shared_ptr<const Related> ready(const QString &category) const;
    // How strongly a word as typed (any form) belongs to a field: 0 to 1.
    float strength(const Related &field, const QByteArray &lowerWord) const;
    // Words that say nothing about any category ("thing", "used", "the").
    static bool isStopword(const QByteArray &lowerWord);

    // The phrase shapes learnt from the project's corpus, tagged with this
    // lexicon.
    const PhraseModel &phrases() const { return *model; }

    // Bounds on reading the lexicon: a damaged file can cost no more.
    static constexpr qint64 MaxIndexLines = 400000;
    static constexpr qint64 MaxIndexBytes = 32 * 1024 * 1024;
    static constexpr qint64 MaxDataBytes = 64 * 1024 * 1024;
    static constexpr int MaxLineBytes = 8192;
    static constexpr int MaxSynsetReads = 900;
    static constexpr int MaxGlossHits = 150;
    static constexpr int SecondSeeds = 4;
    static constexpr int MaxScannedSeeds = 4;
    static constexpr float DrawStrength = 0.25f;
    static constexpr float TopicStrength = 1.0f;
    // Words outside a category's phrases count this much less in its field.
    static constexpr float OutsideTopic = 0.6f;
    static constexpr int CorpusFamiliarity = 8;
    static constexpr int MaxCachedCategories = 64;

private:
    void loadIndex(const QString &path, Pos pos);
    void loadExceptions(const QString &path, Pos pos);
    void addWord(const QByteArray &text, Pos pos, int familiarity);
    void addBuiltIn();
    void finish();
    QList<qint64> lookupOffsets(Pos pos, const QByteArray &lemma, int maxSenses) const;
    QByteArray readSynset(Pos pos, qint64 offset) const;
    QList<QByteArray> thesaurusNeighbours(const QByteArray &lemma) const;
    std::shared_ptr<Related> buildRelated(const QString &category) const;

    QString folder;
    QString thesaurus;
    QSet<QByteArray> corpusWords; // words of the built-in phrases, and their likely lemmas
    QList<QPair<QByteArray, Pos>> untaggedCorpus, pendingCorpus; // while loading
    bool loadedFromFiles = false;
    std::vector<Word> words;
    QHash<QByteArray, int> familiarityOf; // best over parts of speech
    QHash<QByteArray, int> familiarityAs[4];
    QSet<QByteArray> present[PosCount];
    std::vector<quint32> table[PosCount][Letters];
    std::vector<quint32> cumulative[PosCount][Letters];
    // Irregular forms: from form to lemma, and from lemma to its forms.
    QHash<QByteArray, QList<QByteArray>> lemmasOf[4];
    QHash<QByteArray, QList<QByteArray>> formsOf[4];

    // The synset files, mapped once (empty when missing).
    std::unique_ptr<QFile> dataFile[4];
    QByteArrayView data[4];

    std::unique_ptr<PhraseModel> model;

    std::shared_future<std::shared_ptr<const Related>> startField(const QString &category,
                                                                  bool onWorker) const;

    mutable QMutex cacheLock;
    mutable QWaitCondition idle; // no field is being read
    mutable int building = 0;
    mutable QHash<QString, std::shared_future<std::shared_ptr<const Related>>> cache;
};
