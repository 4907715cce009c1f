// The page's copy of the message table (webclient/messages.js) is the one the
// program's table writes. After a change to the table, run this test with
// QUIB_WRITE_MESSAGES_JS set to the file's path to write it again.
#include "net/messages.h"
#include "web/webfiles.h"

#include <QFile>
#include <QtTest>

class TestMessageTable : public QObject
{
    Q_OBJECT
private slots:
    void pageTableIsCurrent()
    {
        const QByteArray module = cmd::messagesModule();
        const QString target = qEnvironmentVariable("QUIB_WRITE_MESSAGES_JS");
        if (!target.isEmpty()) {
            QFile out(target);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(out.write(module), qint64(module.size()));
        }
        const webfiles::File served = webfiles::lookup("/messages.js");
        QVERIFY(served.found);
        QCOMPARE(served.body, module);
    }
};

QTEST_GUILESS_MAIN(TestMessageTable)
#include "tst_messagetable.moc"
