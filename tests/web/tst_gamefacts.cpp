// The documents and the page quote the game's facts; each quote is checked
// against net/gamefacts.h, so a changed fact cannot leave a stale copy behind.
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include "host/hostoptions.h"
#include "net/gamefacts.h"
#include "quibversion.h"

namespace {
QString sourceText(const QString &path)
{
    QFile file(QStringLiteral(QUIB_SOURCE_DIR "/") + path);
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(file.readAll());
}
} // namespace

class TstGameFacts : public QObject
{
    Q_OBJECT
private slots:
    void quotesAgreeWithTheFacts_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("pattern"); // its first group is the quoted fact
        QTest::addColumn<QString>("fact");
        const QString port = QString::number(facts::DefaultPort);
        auto row = [](const char *name, const char *file, const char *pattern, const QString &v) {
            QTest::newRow(name) << QString::fromLatin1(file) << QString::fromLatin1(pattern) << v;
        };
        row("README host port", "README.md", R"re(the host \(TCP port (\d+)\))re", port);
        row("README no port", "README.md", R"re(without a port, (\d+)\))re", port);
        row("README discovery", "README.md", R"re(UDP port (\d+), which every room)re", port);
        row("HOST PortName", "docs/HOST.md", R"re(PortName "(\d+)")re", port);
        row("HOST startListening", "docs/HOST.md", R"re(startListening\(port = "(\d+)"\))re", port);
        row("HOST discovery", "docs/HOST.md", R"re(shared discovery port (\d+))re", port);
        row("HOST names", "docs/HOST.md", R"re(Names are cut to (\d+) bytes)re",
            QString::number(facts::MaxNameBytes));
        row("HOST texts", "docs/HOST.md", R"re(categories to (\d+) bytes)re",
            QString::number(facts::MaxTextBytes));
        row("HOST play-to", "docs/HOST.md", R"re(play-to 1 to (\d+))re",
            QString::number(facts::MaxPlayTo));
        row("HOST creation", "docs/HOST.md", R"re(creation 0 to (\d+) s)re",
            QString::number(facts::MaxCreationSeconds));
        row("HOST letters", "docs/HOST.md", R"re(max letters at most (\d+))re",
            QString::number(facts::MaxLetters));
        row("HOST rejoin", "docs/HOST.md", R"re(rejoinSeconds\(\)` \((\d+) by)re",
            QString::number(facts::DefaultRejoinSeconds));
        row("HOST rejoin option", "docs/HOST.md",
            R"re(--rejoin-seconds N` \(0 to (\d+), default)re",
            QString::number(facts::MaxRejoinSeconds));
        row("HOST bots", "docs/HOST.md", R"re(--bots K` \(0 to\s+(\d+)\))re",
            QString::number(facts::MaxComputerPlayers));
        row("PROTOCOL port", "docs/PROTOCOL.md", R"re(one TCP connection per player, port (\d+))re",
            port);
        row("PROTOCOL discovery", "docs/PROTOCOL.md", R"re(discovery port (\d+))re", port);
        row("ARCHITECTURE discovery", "docs/ARCHITECTURE.md", R"re(shared discovery port (\d+))re",
            port);
        row("page version", "webclient/protocol.js", R"re(GameVersionFallback = '([^']+)';)re",
            QStringLiteral(QUIB_VERSION));
        row("page texts", "webclient/protocol.js", R"re(export const MaxTextBytes = (\d+);)re",
            QString::number(facts::MaxTextBytes));
        row("page names", "webclient/protocol.js", R"re(export const MaxNameBytes = (\d+);)re",
            QString::number(facts::MaxNameBytes));
        row("page board", "webclient/protocol.js", R"re(export const BoardSlots = (\d+);)re",
            QString::number(facts::PlayerSlots));
        row("page last slot", "webclient/protocol.js", R"re(export const LastSlot = (\d+);)re",
            QString::number(facts::LastSlot));
        auto range = [](const facts::OptionRange &r) {
            return QStringLiteral("{ min: %1, max: %2, step: %3, initial: %4 }")
                .arg(r.min)
                .arg(r.max)
                .arg(r.step)
                .arg(r.initial);
        };
        row("page play-to", "webclient/protocol.js", R"re(  playTo: (\{[^}]*\}),)re",
            range(facts::PlayToRange));
        row("page creation", "webclient/protocol.js", R"re(  creationSeconds: (\{[^}]*\}),)re",
            range(facts::CreationSecondsRange));
        row("page max letters", "webclient/protocol.js", R"re(  maxLetters: (\{[^}]*\}),)re",
            range(facts::MaxLettersRange));
        row("page bonus letters", "webclient/protocol.js", R"re(  bonusLetters: (\{[^}]*\}),)re",
            range(facts::BonusLettersRange));
        row("page defaults", "webclient/protocol.js",
            R"re(playTo: (\d+, creationSeconds: \d+, maxLetters: \d+),)re",
            QStringLiteral("%1, creationSeconds: %2, maxLetters: %3")
                .arg(facts::DefaultPlayTo)
                .arg(facts::DefaultCreationSeconds)
                .arg(facts::DefaultMaxLetters));
        row("page default bonus", "webclient/protocol.js",
            R"re(bonusLetters: (\d+), winningBonus)re",
            QString::number(facts::DefaultBonusLetters));
    }

    void quotesAgreeWithTheFacts()
    {
        QFETCH(QString, file);
        QFETCH(QString, pattern);
        QFETCH(QString, fact);
        const QString text = sourceText(file);
        QVERIFY2(!text.isEmpty(), qPrintable(file));
        const QRegularExpression re(pattern);
        QVERIFY(re.isValid());
        int quotes = 0;
        for (auto it = re.globalMatch(text); it.hasNext(); ++quotes)
            QCOMPARE(it.next().captured(1), fact);
        QVERIFY2(quotes > 0, qPrintable(file + QStringLiteral(": no ") + pattern));
    }

    // The host's --help is made from the facts; the README quotes it.
    void helpQuotesThePort()
    {
        const QString port = QString::number(facts::DefaultPort);
        QVERIFY(hostUsage().contains(QStringLiteral("(default ") + port + QLatin1Char(';')));
        QVERIFY(sourceText(QStringLiteral("README.md"))
                    .contains(QStringLiteral("Listening on port ") + port));
    }
};

QTEST_GUILESS_MAIN(TstGameFacts)
#include "tst_gamefacts.moc"
