// One game per user session: a later start asks the first to come forward and
// ends; a lock left by a process that died does not block the next start.
#include <QCoreApplication>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "shell/singleinstance.h"

namespace {
// The test runs itself as the other instance: "--instance <folder>" checks
// once and exits with 1 when an earlier instance runs, 0 when it holds the name
// (then it waits for "quit" on its standard input).
const char ChildFlag[] = "--instance";

int runChild(const QString &folder)
{
    SingleInstance instance(QStringLiteral("wixel6"), folder);
    if (instance.isPrevInstance(true)) return 1;
    std::puts("holding");
    std::fflush(stdout);
    char line[16];
    while (std::fgets(line, sizeof line, stdin))
        if (QByteArray(line).startsWith("quit")) break;
    return 0;
}
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;

    QStringList childArguments() const { return {ChildFlag, dir.path()}; }

private slots:
    void firstHoldsTheNameAndLaterOnesActivateIt()
    {
        SingleInstance first(QStringLiteral("wixel6"), dir.path());
        QVERIFY(!first.isPrevInstance());
        QVERIFY(first.holdsName());
        QSignalSpy activated(&first, &SingleInstance::activationRequested);

        SingleInstance second(QStringLiteral("wixel6"), dir.path());
        QVERIFY(second.isPrevInstance(true));
        QVERIFY(!second.holdsName());
        QVERIFY(activated.wait(5000) || activated.count() == 1);

        // Without activation nothing is asked of the first.
        SingleInstance third(QStringLiteral("wixel6"), dir.path());
        QVERIFY(third.isPrevInstance(false));
        QTest::qWait(100);
        QCOMPARE(activated.count(), 1);
        // Another name is another instance.
        SingleInstance other(QStringLiteral("other"), dir.path());
        QVERIFY(!other.isPrevInstance());
    }

    void inviteLinkReachesTheRunningProgram()
    {
        SingleInstance first(QStringLiteral("wixel6"), dir.path());
        QVERIFY(!first.isPrevInstance());
        QSignalSpy joins(&first, &SingleInstance::joinRequested);
        QSignalSpy activated(&first, &SingleInstance::activationRequested);
        SingleInstance second(QStringLiteral("wixel6"), dir.path());
        QVERIFY(second.isPrevInstance(true, QStringLiteral("quibbleton://[::1]:8000")));
        QVERIFY(joins.wait(5000) || joins.count() == 1);
        QCOMPARE(joins.first().first().toString(), QStringLiteral("quibbleton://[::1]:8000"));
        QCOMPARE(activated.count(), 1);
        // A request that never ends its line is cut off at its bound, unheard.
        QLocalSocket junk;
        junk.connectToServer(first.socketPath());
        QVERIFY(junk.waitForConnected(5000));
        junk.write("join " + QByteArray(2000, 'x'));
        QVERIFY(junk.waitForBytesWritten(5000));
        QTest::qWait(200);
        QCOMPARE(joins.count(), 1);
    }

    void anotherProcessEndsAndActivatesTheFirst()
    {
        SingleInstance first(QStringLiteral("wixel6"), dir.path());
        QVERIFY(!first.isPrevInstance());
        QSignalSpy activated(&first, &SingleInstance::activationRequested);
        QProcess later;
        later.start(QCoreApplication::applicationFilePath(), childArguments());
        QVERIFY(later.waitForStarted());
        // The first instance answers while the later one waits for it.
        QTRY_VERIFY_WITH_TIMEOUT(later.state() == QProcess::NotRunning, 10000);
        QCOMPARE(later.exitCode(), 1);
        QCOMPARE(activated.count(), 1);
    }

    void nameIsFreeWhenTheHolderDies()
    {
        QProcess holder;
        holder.start(QCoreApplication::applicationFilePath(), childArguments());
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("holding"));
        {
            SingleInstance meanwhile(QStringLiteral("wixel6"), dir.path());
            QVERIFY(meanwhile.isPrevInstance(false));
        }
        holder.kill();
        QVERIFY(holder.waitForFinished());
        SingleInstance next(QStringLiteral("wixel6"), dir.path());
        QVERIFY(!next.isPrevInstance());
        // Its socket answers again after the dead one's file was replaced.
        QLocalSocket probe;
        probe.connectToServer(next.socketPath());
        QVERIFY(probe.waitForConnected(2000));
    }

    void namedLockIsHeldForItsLife()
    {
        {
            NamedLock marker(QStringLiteral("quibbleton"), dir.path());
            QVERIFY(marker.held());
            NamedLock again(QStringLiteral("quibbleton"), dir.path());
            QVERIFY(!again.held());
        }
        NamedLock afterwards(QStringLiteral("quibbleton"), dir.path());
        QVERIFY(afterwards.held());
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String(ChildFlag)) return runChild(args[2]);
    TestSingleInstance test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
