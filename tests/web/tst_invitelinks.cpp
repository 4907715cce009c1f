// The desktop program's invite links and where each works from.
#include <QtTest>

#include "web/invitelinks.h"

class TstInviteLinks : public QObject
{
    Q_OBJECT
private slots:
    void linksSayWhereTheyWork()
    {
        const QList<QHostAddress> addresses{QHostAddress("192.168.1.5"), QHostAddress("100.64.3.4"),
                                            QHostAddress("198.51.100.7"), QHostAddress("fd00::2"),
                                            QHostAddress("2001:db8::5")};
        QCOMPARE(invite::desktopLinks(addresses, 7772, "203.0.113.9"),
                 (QStringList{"quibbleton://192.168.1.5:7772 (local network)",
                              "quibbleton://100.64.3.4:7772 (local network)",
                              "quibbleton://198.51.100.7:7772 (internet)",
                              "quibbleton://[fd00::2]:7772 (local network)",
                              "quibbleton://[2001:db8::5]:7772 (IPv6 internet)",
                              "quibbleton://203.0.113.9:7772 (mapped IPv4, from the internet)"}));
        // A router behind another NAT, or one that named no IPv4 address: no mapped line.
        QCOMPARE(invite::desktopLinks({}, 7772, "192.168.0.1"), QStringList());
        QCOMPARE(invite::desktopLinks({QHostAddress::LocalHost}, 8000, "not an address"),
                 QStringList{"quibbleton://127.0.0.1:8000 (this computer only)"});
    }
};

QTEST_GUILESS_MAIN(TstInviteLinks)
#include "tst_invitelinks.moc"
