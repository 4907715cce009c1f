// Web addresses found in the chat's text under a character.
#include <QTest>

#include "client/urlfinder.h"

class TestUrlFinder : public QObject
{
    Q_OBJECT

private slots:
    void finding_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("under");   // the text whose first character is pointed at
        QTest::addColumn<QString>("address"); // empty: none
        QTest::addColumn<int>("start");
        QTest::newRow("www with comma") << "see www.example.com, now"
                                        << "example"
                                        << "www.example.com" << 4;
        QTest::newRow("first character") << "see www.example.com, now"
                                         << "www"
                                         << "www.example.com" << 4;
        QTest::newRow("on the comma") << "see www.example.com, now"
                                      << ", now"
                                      << "www.example.com" << 4;
        QTest::newRow("other word") << "see www.example.com, now"
                                    << "now"
                                    << "" << -1;
        QTest::newRow("on a blank") << "see www.example.com now"
                                    << " now"
                                    << "" << -1;
        QTest::newRow("http with path") << "go http://a.b/c/ ok"
                                        << "a.b"
                                        << "http://a.b/c/" << 3;
        QTest::newRow("keeps letter case") << "x HTTP://Example.COM/Page."
                                           << "Example"
                                           << "HTTP://Example.COM/Page" << 2;
        QTest::newRow("prefix inside the word") << "(see:www.x.org)"
                                                << "x.org"
                                                << "www.x.org" << 5;
        QTest::newRow("only a prefix") << "try www. now"
                                       << "www"
                                       << "" << -1;
        QTest::newRow("only http") << "try http:// now"
                                   << "http"
                                   << "" << -1;
        QTest::newRow("mailto") << "mail mailto:ann@example.org!"
                                << "ann"
                                << "mailto:ann@example.org" << 5;
        QTest::newRow("news") << "news:comp.lang"
                              << "comp"
                              << "news:comp.lang" << 0;
        QTest::newRow("ftp before www") << "ftp://www.a.b"
                                        << "www"
                                        << "ftp://www.a.b" << 0;
        QTest::newRow("end of line") << "a www.one.com\nb two"
                                     << "one"
                                     << "www.one.com" << 2;
        QTest::newRow("next line is not taken") << "a www.one.com\nwww.two.com"
                                                << "two"
                                                << "www.two.com" << 14;
        QTest::newRow("no address") << "hello world"
                                    << "world"
                                    << "" << -1;
        QTest::newRow("unicode word")
            << QString::fromUtf8("İİİ www.ü.de") << "www" << QString::fromUtf8("www.ü.de") << 4;
    }
    void finding()
    {
        QFETCH(QString, text);
        QFETCH(QString, under);
        QFETCH(QString, address);
        QFETCH(int, start);
        const int position = int(text.indexOf(under));
        QVERIFY(position >= 0);
        const FoundAddress found = findAddressAt(text, position);
        QCOMPARE(found.address, address);
        QCOMPARE(found.start, start);
        QCOMPARE(found.isValid(), !address.isEmpty());
    }

    void outside()
    {
        QVERIFY(!findAddressAt(QString(), 0).isValid());
        QVERIFY(!findAddressAt(QStringLiteral("www.a.com"), 9).isValid());
        QVERIFY(!findAddressAt(QStringLiteral("www.a.com"), -1).isValid());
        QVERIFY(findAddressAt(QStringLiteral("www.a.com"), 8).isValid());
    }
};

QTEST_GUILESS_MAIN(TestUrlFinder)
#include "tst_urlfinder.moc"
