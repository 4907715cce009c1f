// A room this program hosts is open to browsers: its web port follows the
// player's choice, the Invite window lists the links with a QR code and a
// Copy button, and a page that joins shows up on the hosting player's board.
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QWebSocket>
#include <QtTest>

#include "chattest.h"
#include "host/tserver.h"
#include "web/invitelinks.h"
#include "web/webserver.h"
#include "windows/tgamestart.h"
#include "windows/tinvite.h"
#include "windows/webchoice.h"

class TestInvite : public QObject
{
    Q_OBJECT
private slots:
    void soloRoomServesBrowsers();
    void browsersSwitchedOff();
};

void TestInvite::soloRoomServesBrowsers()
{
    ChatFixture f;
    QVERIFY(webchoice::write(f.settingsFile(), {true, 0}));
    f.chat->setGamePort(testsupport::freePort());
    f.chat->processparams({});
    QTRY_VERIFY(f.chat->webPort() && f.chat->webPort()->listening());
    const quint16 port = f.chat->webPort()->port();

    f.action("Invite1")->trigger();
    Tinvite *invite = f.chat->invite();
    QVERIFY(invite && invite->isVisible());
    auto *links = invite->findChild<QListWidget *>(QStringLiteral("list_links"));
    QCOMPARE(links->count(), invite::webLinks(port).size());
    QVERIFY(invite->currentLink().endsWith(QStringLiteral(":%1/").arg(port)));
    invite->findChild<QPushButton *>(QStringLiteral("button_copy"))->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), invite->currentLink());
    QVERIFY(!invite->findChild<QLabel *>(QStringLiteral("label_desktop"))->text().isEmpty());
    // A picture of the window for whoever looks at it (docs/screenshots).
    if (qEnvironmentVariableIsSet("QUIB_INVITE_SHOT"))
        invite->grab().save(qEnvironmentVariable("QUIB_INVITE_SHOT"));

    // A browser takes a seat beside the hosting player and the computer players.
    QWebSocket page(QStringLiteral("http://127.0.0.1:%1").arg(port));
    QByteArray slotField;
    connect(&page, &QWebSocket::textMessageReceived, this, [&](const QString &text) {
        if (text.startsWith(QLatin1String("CMD_sendlogininfo+"))) {
            slotField = text.toUtf8().mid(18).split('+').first();
            page.sendTextMessage(QStringLiteral("CMD_logininfo+%1+%2+Pat on a phone")
                                     .arg(QString::fromUtf8(slotField), cmd::GameVersion));
        }
    });
    page.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(port)));
    QTRY_COMPARE(page.state(), QAbstractSocket::ConnectedState);
    page.sendTextMessage(QStringLiteral("WEB_join+invitetestbrowser01"));
    QTRY_VERIFY_WITH_TIMEOUT(!slotField.isEmpty(), 10000);
    QTRY_COMPARE(f.label("label_playername" + QString::fromUtf8(slotField))->text(),
                 QStringLiteral("Pat on a phone"));

    // Leaving the room closes its web port.
    f.chat->leaveroom();
    QVERIFY(!f.chat->webPort());
    QTRY_COMPARE(page.state(), QAbstractSocket::UnconnectedState);
}

void TestInvite::browsersSwitchedOff()
{
    ChatFixture f;
    // The player's choice in the game options is kept at once.
    Tgamestart *options = f.chat->sideWindows().gamestart;
    options->findChild<QCheckBox *>(QStringLiteral("checkbox_web"))->setChecked(false);
    QCOMPARE(webchoice::read(f.settingsFile()).serve, false);
    f.chat->setGamePort(testsupport::freePort());
    f.chat->processparams({});
    QTRY_VERIFY(f.chat->server() && f.chat->server()->listeningPort() != 0);
    QVERIFY(!f.chat->webPort());
    f.action("Invite1")->trigger();
    QVERIFY(f.chat->invite()->webLinks().isEmpty());
    QVERIFY(!f.chat->invite()->findChild<QListWidget *>(QStringLiteral("list_links"))->isVisible());
}

QTEST_MAIN(TestInvite)
#include "tst_invite.moc"
