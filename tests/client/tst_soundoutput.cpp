// The clips really reach a sound server. A private PulseAudio with a null sink
// takes the game's sound path (QtSoundPlayer); the sink's monitor is recorded
// and each clip must come back as one stretch of sound as long as the clip's
// own.
//
// Skipped where pulseaudio or parec is missing. The test plays a few clips of
// every length; QUIB_SOUND_ALL=1 (scripts/check-sound.sh) plays all of them.
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include "client/soundplayer.h"
#include "resources/resourcenames.h"

namespace {
const int Rate = 22050;        // the clips' rate; the recording is made at the same
const int Window = Rate / 100; // 10 ms
// A window is sound when a sample in it reaches this (about -40 dBFS).
const int Loud = 330;
// Quieter stretches up to this long belong to the sound around them.
const int MaxGapWindows = 20;
const int PauseMs = 500; // silence between two clips

// Lengths in windows of the stretches of sound in 16-bit mono samples.
QList<int> soundStretches(const QByteArray &pcm)
{
    const auto *s = reinterpret_cast<const qint16 *>(pcm.constData());
    const qsizetype windows = pcm.size() / 2 / Window;
    QList<int> stretches;
    qsizetype start = -1, lastLoud = -1;
    for (qsizetype w = 0; w < windows; ++w) {
        bool loud = false;
        for (int i = 0; i < Window && !loud; ++i)
            loud = qAbs(int(s[w * Window + i])) >= Loud;
        if (!loud) continue;
        if (start >= 0 && w - lastLoud > MaxGapWindows) {
            stretches << int(lastLoud - start + 1);
            start = -1;
        }
        if (start < 0) start = w;
        lastLoud = w;
    }
    if (start >= 0) stretches << int(lastLoud - start + 1);
    return stretches;
}

// The samples of a clip's data chunk (the clips are 16-bit mono at Rate).
QByteArray clipSamples(const QString &name)
{
    QFile file(res::soundPath(name));
    if (!file.open(QIODevice::ReadOnly)) return QByteArray();
    const QByteArray wav = file.readAll();
    qsizetype at = 12;
    while (at + 8 <= wav.size()) {
        const quint32 size = qFromLittleEndian<quint32>(wav.constData() + at + 4);
        if (wav.mid(at, 4) == "data") return wav.mid(at + 8, size);
        at += 8 + size + (size & 1);
    }
    return QByteArray();
}
} // namespace

class TestSoundOutput : public QObject
{
    Q_OBJECT

    QTemporaryDir runtime;
    QProcess server;
    QProcess recorder;
    QByteArray recorded;

    void startServer()
    {
        const QString pulseaudio = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        const QString socket = runtime.filePath(QStringLiteral("native"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), runtime.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        server.setProcessEnvironment(env);
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // -n: no configuration of the machine's, only a null sink and a socket
        // of our own; root is warned about but allowed.
        server.start(
            pulseaudio,
            {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
             QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
             QStringLiteral("--disable-shm=yes"), QStringLiteral("--log-level=error"),
             QStringLiteral("-L"),
             QStringLiteral("module-null-sink sink_name=quibcheck rate=%1 channels=1").arg(Rate),
             QStringLiteral("-L"),
             QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + socket});
        QVERIFY(server.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket), 20000);
        qputenv("PULSE_SERVER", QByteArray("unix:") + QFile::encodeName(socket));
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty())
            QSKIP("pulseaudio and parec (packages pulseaudio, pulseaudio-utils) are needed");
        QVERIFY(runtime.isValid());
    }

    void cleanupTestCase()
    {
        for (QProcess *p : {&recorder, &server}) {
            if (p->state() == QProcess::NotRunning) continue;
            p->terminate();
            if (!p->waitForFinished(5000)) p->kill();
        }
    }

    void clipsReachTheSink_data()
    {
        QTest::addColumn<QStringList>("clips");
        QStringList all;
        for (const char *name : res::soundNames)
            all << QString::fromLatin1(name);
        if (qEnvironmentVariableIntValue("QUIB_SOUND_ALL"))
            QTest::newRow("every clip") << all;
        else // the shortest, the longest and a few between
            QTest::newRow("a few clips")
                << QStringList{"TIME", "WRONG", "WAVE1", "VOTE", "NONE", "WAVE6"};
    }
    void clipsReachTheSink()
    {
        QFETCH(QStringList, clips);
        startServer();
        if (QTest::currentTestFailed()) return;
        recorder.start(QStandardPaths::findExecutable(QStringLiteral("parec")),
                       {QStringLiteral("--device=quibcheck.monitor"),
                        QStringLiteral("--format=s16le"), QStringLiteral("--rate=%1").arg(Rate),
                        QStringLiteral("--channels=1"), QStringLiteral("--raw"),
                        QStringLiteral("--latency-msec=20")});
        QVERIFY(recorder.waitForStarted());
        connect(&recorder, &QProcess::readyReadStandardOutput, this,
                [this] { recorded += recorder.readAllStandardOutput(); });
        QTRY_VERIFY_WITH_TIMEOUT(recorded.size() > 0, 20000);

        QtSoundPlayer player;
        QList<int> expected;
        for (const QString &clip : clips) {
            const QByteArray samples = clipSamples(clip);
            const QList<int> own = soundStretches(samples);
            QCOMPARE(own.size(), 1); // each clip is one stretch of sound
            expected << own.first();
            player.play(clip);
            QTest::qWait(int(samples.size() / 2 * 1000 / Rate) + PauseMs);
        }
        QTest::qWait(PauseMs); // the server's latency
        recorder.terminate();
        QVERIFY(recorder.waitForFinished(5000));
        recorded += recorder.readAllStandardOutput();

        const QList<int> heard = soundStretches(recorded);
        QCOMPARE(heard.size(), expected.size());
        for (int i = 0; i < heard.size(); ++i) {
            // Within 50 ms of the clip's own length: a clip cut short, or one
            // padded with noise, shows here.
            if (qAbs(heard[i] - expected[i]) > 5)
                QFAIL(qPrintable(QStringLiteral("%1: %2 ms of sound, the clip has %3 ms")
                                     .arg(clips[i])
                                     .arg(heard[i] * 10)
                                     .arg(expected[i] * 10)));
        }
    }
};

QTEST_MAIN(TestSoundOutput)
#include "tst_soundoutput.moc"
