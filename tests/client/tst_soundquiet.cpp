// Without a sound server the game is silent and quiet: Qt says once that it
// found no server, and no sound adds a word (a process of its own: Qt looks for
// the server only once).
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTest>

#include "client/soundplayer.h"

namespace {
QStringList messages;
void recordMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        messages << QString::fromLatin1(context.category) + QLatin1Char(' ') + text;
}
} // namespace

class TestSoundQuiet : public QObject
{
    Q_OBJECT

    QTemporaryDir nowhere;

private slots:
    void quietWithoutServer()
    {
        qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(nowhere.filePath("none")));
        QLoggingCategory::setFilterRules(QStringLiteral("*.warning=true"));
        const QtMessageHandler previous = qInstallMessageHandler(recordMessage);
        {
            QtSoundPlayer player;
            player.play(QStringLiteral("WAVE2"));
            QVERIFY(messages.size() <= 1);
            messages.clear();
            for (const char *clip : {"WAVE1", "ENTERED", "TIME", "WAVE1"})
                player.play(QString::fromLatin1(clip));
            QTest::qWait(300);
        }
        qInstallMessageHandler(previous);
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TestSoundQuiet)
#include "tst_soundquiet.moc"
