// Answers of the computer players: valid for any letter run, family-safe,
// drawn to the category, shaped like people's phrases, fresh within a game,
// and still made when the lexicon is damaged; the category phrases that seed a
// field, fields read on a worker; and their taste in votes.
#include <QtTest>
#include <random>

#include "bots/acromaker.h"
#include "bots/phrasemodel.h"
#include "game/categories.h"
#include "game/checkacro.h"
#include "game/wordfilter.h"

namespace {
// Common letters as the host draws them, and the rare ones on their own.
const char Drawn[] =
    "AABBBBBCCCCCDDDDDEFFFFFGGGGGHHHHHIJJKLLLLLMMMMMNNNNNOPPPPPQRRRRRSSSSSTTTTTUVWWWWWYZ";
const char Rare[] = "QZJVKY";

QString letterRun(std::mt19937 &rng, int length, const char *from)
{
    const int n = int(strlen(from));
    QString run;
    for (int i = 0; i < length; ++i)
        run += QLatin1Char(from[std::uniform_int_distribution<int>(0, n - 1)(rng)]);
    return run;
}
} // namespace

class TestAcroMaker : public QObject
{
    Q_OBJECT
private slots:
    void validForLetterRuns_data()
    {
        QTest::addColumn<QString>("letters");
        QTest::addColumn<int>("level");
        std::mt19937 rng(2026);
        for (int row = 0; row < 300; ++row) {
            const int length = 3 + row % 28;
            const QString run = letterRun(rng, length, row % 5 == 0 ? Rare : Drawn);
            QTest::addRow("%d-%s", row, qPrintable(run)) << run << row % 3;
        }
    }
    void validForLetterRuns()
    {
        QFETCH(QString, letters);
        QFETCH(int, level);
        AcroMaker maker(Lexicon::shared(), quint32(qHash(letters)), Difficulty(level));
        const QString answer = maker.make(letters, QStringLiteral("Animals"));
        const AcroCheck check = checkAcroText(answer, letters, int(letters.size()), true);
        QVERIFY2(check.accepted && !check.filtered, qPrintable(answer));
        QCOMPARE(check.cleaned, answer);
    }

    void familyFilterRespected()
    {
        AcroMaker maker(Lexicon::shared(), 7, Difficulty::Easy, true);
        for (const char *letters : {"FCPTSWB", "TTTT", "CCCCC", "PPP", "WWWW", "SSSSSS", "BJDS"})
            for (int i = 0; i < 60; ++i) {
                const QString answer = maker.make(QString::fromLatin1(letters), QString());
                QVERIFY(!answer.isEmpty());
                QCOMPARE(WordFilter::filterWords(answer), answer);
            }
    }

    void differentFromRoundToRoundAndPlayerToPlayer()
    {
        AcroMaker one(Lexicon::shared(), 1), two(Lexicon::shared(), 2);
        QSet<QString> seen;
        for (int i = 0; i < 10; ++i) {
            seen.insert(one.make(QStringLiteral("BRDTS"), QStringLiteral("Food")));
            seen.insert(two.make(QStringLiteral("BRDTS"), QStringLiteral("Food")));
        }
        QVERIFY(seen.size() >= 15);
        AcroMaker again(Lexicon::shared(), 1);
        AcroMaker first(Lexicon::shared(), 1);
        QCOMPARE(again.make(QStringLiteral("SLMW"), QString()),
                 first.make(QStringLiteral("SLMW"), QString()));
    }

    void drawnToTheCategory()
    {
        if (!Lexicon::shared().fromFiles()) QSKIP("no lexicon files installed");
        auto near = Lexicon::shared().related(QStringLiteral("Sea Life"));
        for (const char *w : {"ocean", "water", "salt"})
            QVERIFY2(near->words.contains(w), w);
        AcroMaker maker(Lexicon::shared(), 11, Difficulty::Hard);
        int onTopic = 0, offTopic = 0;
        for (int i = 0; i < 100; ++i) {
            const QString sea = maker.make(QStringLiteral("SWFBT"), QStringLiteral("Sea Life"));
            const QString none = maker.make(QStringLiteral("SWFBT"), QString());
            for (const QString &w : sea.toLower().split(' '))
                onTopic += near->words.contains(w.toLatin1());
            for (const QString &w : none.toLower().split(' '))
                offTopic += near->words.contains(w.toLatin1());
        }
        QVERIFY2(onTopic > 2 * offTopic, qPrintable(QString("%1 %2").arg(onTopic).arg(offTopic)));
        // Taste: a valid, familiar, on-topic answer beats gibberish and a wrong one.
        const QString letters = QStringLiteral("SFS");
        QVERIFY(maker.rate("Salty Fish Swim", letters, "Sea Life") >
                maker.rate("Sxq Fzzv Sjjk", letters, "Sea Life"));
        QVERIFY(maker.rate("Sxq Fzzv Sjjk", letters, "Sea Life") >
                maker.rate("Fish Salty Swim", letters, "Sea Life"));
    }

    void wordForms_data()
    {
        QTest::addColumn<QByteArray>("lemma");
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("form");
        QTest::addColumn<QByteArray>("expected");
        const int n = Lexicon::Noun, v = Lexicon::Verb;
        QTest::newRow("fixes") << QByteArray("fix") << v << int(Lexicon::ThirdPerson)
                               << QByteArray("fixes");
        QTest::newRow("ate") << QByteArray("eat") << v << int(Lexicon::Past) << QByteArray("ate");
        QTest::newRow("hit") << QByteArray("hit") << v << int(Lexicon::Past) << QByteArray("hit");
        QTest::newRow("baked") << QByteArray("bake") << v << int(Lexicon::Past)
                               << QByteArray("baked");
        QTest::newRow("running") << QByteArray("run") << v << int(Lexicon::Gerund)
                                 << QByteArray("running");
        QTest::newRow("pouring") << QByteArray("pour") << v << int(Lexicon::Gerund)
                                 << QByteArray("pouring");
        QTest::newRow("mice") << QByteArray("mouse") << n << int(Lexicon::Plural)
                              << QByteArray("mice");
        QTest::newRow("berries") << QByteArray("berry") << n << int(Lexicon::Plural)
                                 << QByteArray("berries");
        QTest::newRow("no happinesses")
            << QByteArray("happiness") << n << int(Lexicon::Plural) << QByteArray();
        QTest::newRow("read") << QByteArray("read") << v << int(Lexicon::Past)
                              << QByteArray("read");
        QTest::newRow("no nobodies")
            << QByteArray("nobody") << n << int(Lexicon::Plural) << QByteArray();
        QTest::newRow("no nes") << QByteArray("ne") << n << int(Lexicon::Plural) << QByteArray();
    }
    void wordForms()
    {
        if (!Lexicon::shared().fromFiles()) QSKIP("no lexicon files installed");
        QFETCH(QByteArray, lemma);
        QFETCH(int, pos);
        QFETCH(int, form);
        QFETCH(QByteArray, expected);
        const Lexicon &lexicon = Lexicon::shared();
        QCOMPARE(lexicon.inflect(lemma, Lexicon::Pos(pos), Lexicon::Form(form)), expected);
        if (expected.isEmpty() || expected == lemma) return;
        bool read = false;
        for (const Lexicon::Analysis &a : lexicon.analyse(expected))
            read = read || (a.lemma == lemma && a.pos == pos && a.form == form);
        QVERIFY(read);
    }

    void phraseShapesLikePeoples()
    {
        if (!Lexicon::shared().fromFiles()) QSKIP("no lexicon files installed");
        const PhraseModel &model = Lexicon::shared().phrases();
        QVERIFY(model.phraseCount() > 300);
        const char *const better[][2] = {
            {"burnt french toast", "toast french burnt"},
            {"bacon fixes sundays", "the of sundays"},
            {"eat your vegetables", "your eat vegetables"},
            {"never trust a sleepy waffle", "waffle a never sleepy trust"},
        };
        for (const auto &[good, bad] : better)
            QVERIFY2(model.score(QByteArray(good).split(' ')) >
                         model.score(QByteArray(bad).split(' ')),
                     good);
        // Long runs take small words where people put them.
        AcroMaker maker(Lexicon::shared(), 4, Difficulty::Hard);
        std::mt19937 rng(8);
        int withSmall = 0;
        for (int i = 0; i < 60; ++i) {
            const QString answer = maker.make(letterRun(rng, 10, Drawn), QStringLiteral("Food"));
            for (const QString &w : answer.toLower().split(' '))
                if (model.smallTag(w.toLatin1()) >= 0) {
                    ++withSmall;
                    break;
                }
        }
        QVERIFY2(withSmall >= 20, qPrintable(QString::number(withSmall)));
    }

    void freshWithinAGameAndLevelsDiffer()
    {
        if (!Lexicon::shared().fromFiles()) QSKIP("no lexicon files installed");
        const Lexicon &lexicon = Lexicon::shared();
        auto field = lexicon.related(QStringLiteral("Weather"));
        double share[3] = {};
        for (int level = 0; level < 3; ++level) {
            AcroMaker maker(lexicon, 21, Difficulty(level));
            QSet<QString> answers;
            for (int i = 0; i < 40; ++i) {
                const QString answer = maker.make(QStringLiteral("SWC"), QStringLiteral("Weather"));
                QVERIFY2(!answers.contains(answer), qPrintable(answer));
                answers.insert(answer);
                for (const QString &w : answer.toLower().split(' '))
                    share[level] += lexicon.strength(*field, w.toLatin1()) >= 0.3f;
            }
        }
        QVERIFY2(share[2] > share[0] * 1.5,
                 qPrintable(QString("%1 %2").arg(share[0]).arg(share[2])));
    }

    void typedGeneralAndUnknownCategories()
    {
        if (!Lexicon::shared().fromFiles()) QSKIP("no lexicon files installed");
        const Lexicon &lexicon = Lexicon::shared();
        QVERIFY(!lexicon.related(QStringLiteral("Things in a Fridge"))->general);
        QVERIFY(lexicon.related(QStringLiteral("Body Parts"))->words.contains("shoulder"));
        QVERIFY(lexicon.related(QStringLiteral("General"))->general);
        QVERIFY(lexicon.related(QStringLiteral("Zqxv Blorpf"))->general);
        AcroMaker maker(lexicon, 5);
        for (const char *category : {"General", "Zqxv Blorpf", "Things in a Fridge"})
            QVERIFY(!maker.make(QStringLiteral("MTHP"), QString::fromLatin1(category)).isEmpty());
        // A chooser's endless category is read only so far.
        const QString endless = QStringLiteral("water fire music money ").repeated(200);
        QVERIFY(!lexicon.related(endless)->general);
        QVERIFY(!maker.make(QStringLiteral("WFMM"), endless).isEmpty());
    }

    void everyCategoryHasItsPhrases_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<bool>("readField"); // a field costs a tenth of a second: a few will do
        int row = 0;
        for (const QString &c : categories::fixedCategories())
            if (c != QLatin1String("General"))
                QTest::newRow(qPrintable(c)) << c << (row++ % 9 == 0);
    }
    void everyCategoryHasItsPhrases()
    {
        QFETCH(QString, category);
        QFETCH(bool, readField);
        const QList<PhraseModel::TopicPhrase> *topic =
            Lexicon::shared().phrases().topic(category.toUtf8());
        QVERIFY(topic && topic->size() >= 8);
        if (!readField || !Lexicon::shared().fromFiles()) return;
        // Their words make the core of the field, every phrase contributing.
        const auto field = Lexicon::shared().related(category);
        for (const PhraseModel::TopicPhrase &phrase : *topic) {
            float best = 0;
            for (const QByteArray &w : phrase.words)
                best = std::max(best, Lexicon::shared().strength(*field, w));
            QVERIFY2(best >= Lexicon::TopicStrength * 0.99f, phrase.words.join(' ').constData());
        }
    }

    void fieldsReadOnAWorker()
    {
        if (!Lexicon::shared().fromFiles()) QSKIP("no lexicon files installed");
        // Everyday words the concordance never counted come with the corpus.
        QVERIFY(Lexicon::shared().familiarity("pancakes") >= Lexicon::CorpusFamiliarity);
        QVERIFY(Lexicon::shared().related(QStringLiteral("Breakfast"))->words.contains("syrup"));
        const auto read = [](const Lexicon &lexicon, const QString &category) {
            QStringList out;
            const auto field = lexicon.related(category);
            for (const QByteArray &w : field->words)
                out.append(QString::fromLatin1(w));
            out.sort();
            return out;
        };
        const QStringList expected = read(Lexicon::shared(), QStringLiteral("Camping"));
        {
            // Dropped with fields still being read: it waits for them.
            const Lexicon early(QString::fromLatin1(Lexicon::DefaultFolder),
                                QString::fromLatin1(Lexicon::DefaultThesaurus));
            for (const char *c : {"Camping", "Weather", "Sundays at the lake"})
                early.prepare(QString::fromLatin1(c));
        }
        const Lexicon ahead(QString::fromLatin1(Lexicon::DefaultFolder),
                            QString::fromLatin1(Lexicon::DefaultThesaurus));
        QVERIFY(!ahead.ready(QStringLiteral("Camping")));
        ahead.prepare(QStringLiteral("Camping"));
        ahead.prepare(QStringLiteral("camping ")); // the same field, read once
        QCOMPARE(read(ahead, QStringLiteral("Camping")), expected);
        QCOMPARE(ahead.ready(QStringLiteral("CAMPING")), ahead.related(QStringLiteral("Camping")));
        // "General" reads a few themes ahead and answers without waiting for them.
        AcroMaker maker(ahead, 4);
        maker.prepare(QStringLiteral("General"));
        QVERIFY(!maker.make(QStringLiteral("BSTW"), QStringLiteral("General")).isEmpty());
    }

    void votesForTheBest()
    {
        if (!Lexicon::shared().fromFiles()) QSKIP("no lexicon files installed");
        const QStringList answers = {"Sermon Fiscal Syntax", "Salty Fish Swim", "Sxq Fzzv Sjjk"};
        for (int level = 0; level < 3; ++level) {
            AcroMaker voter(Lexicon::shared(), quint32(level), Difficulty(level));
            int best = 0;
            for (int i = 0; i < 40; ++i)
                best +=
                    voter.choose(answers, QStringLiteral("SFS"), QStringLiteral("Sea Life")) == 1;
            QVERIFY2(best >= 20, qPrintable(QString::number(best)));
        }
    }

    void damagedOrMissingLexicon_data()
    {
        QTest::addColumn<QByteArray>("indexText");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("garbage") << QByteArray(
            "\xFF\xFE zz 9 9 9 9\n- n -5 x\nabc n 1 99999 a b\n");
        QTest::newRow("long line") << QByteArray(200000, 'a');
        QTest::newRow("few words") << QByteArray("  licence\nquiz n 1 0 1 3 00000001\n");
    }
    void damagedOrMissingLexicon()
    {
        QFETCH(QByteArray, indexText);
        QTemporaryDir dir;
        if (!indexText.isEmpty())
            for (const char *pos : {"noun", "verb", "adj", "adv"}) {
                QFile f(dir.filePath(QStringLiteral("index.") + pos));
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write(indexText);
                QFile d(dir.filePath(QStringLiteral("data.") + pos));
                QVERIFY(d.open(QIODevice::WriteOnly));
                d.write(indexText);
            }
        const Lexicon lexicon(dir.path());
        AcroMaker maker(lexicon, 3);
        for (const char *letters : {"QZJVKY", "ABCDEFGHIJKLMNOPQRSTUVWYZ", "XXX"}) {
            const QString answer =
                maker.make(QString::fromLatin1(letters), QStringLiteral("Quiz Shows"));
            QVERIFY(checkAcroText(answer, letters, int(strlen(letters)), true).accepted);
        }
        // Letters no answer can start with give no answer at all.
        QVERIFY(maker.make(QStringLiteral("A7*"), QString()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAcroMaker)
#include "tst_acromaker.moc"
