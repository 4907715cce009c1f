// Colour texts as chat messages and the settings file carry them.
#include <QGuiApplication>
#include <QPalette>
#include <QTest>

#include "client/colortext.h"

class TestColorText : public QObject
{
    Q_OBJECT

private slots:
    void writing_data()
    {
        QTest::addColumn<uint>("colour");
        QTest::addColumn<QString>("text");
        QTest::newRow("white") << 0xFFFFFFu << "clWhite";
        QTest::newRow("black") << 0x000000u << "clBlack";
        QTest::newRow("maroon") << 0x000080u << "clMaroon";
        QTest::newRow("green") << 0x008000u << "clGreen";
        QTest::newRow("olive") << 0x008080u << "clOlive";
        QTest::newRow("navy") << 0x800000u << "clNavy";
        QTest::newRow("purple") << 0x800080u << "clPurple";
        QTest::newRow("teal") << 0x808000u << "clTeal";
        QTest::newRow("gray") << 0x808080u << "clGray";
        QTest::newRow("silver") << 0xC0C0C0u << "clSilver";
        QTest::newRow("red") << 0x0000FFu << "clRed";
        QTest::newRow("lime") << 0x00FF00u << "clLime";
        QTest::newRow("yellow") << 0x00FFFFu << "clYellow";
        QTest::newRow("blue") << 0xFF0000u << "clBlue";
        QTest::newRow("fuchsia") << 0xFF00FFu << "clFuchsia";
        QTest::newRow("aqua") << 0xFFFF00u << "clAqua";
        QTest::newRow("no name") << 0x4080FFu << "$004080FF";
        QTest::newRow("upper-case digits") << 0xABCDEFu << "$00ABCDEF";
        QTest::newRow("money green has no standard name") << 0xC0DCC0u << "$00C0DCC0";
        QTest::newRow("system colour by name") << 0x8000000Fu << "clBtnFace";
        QTest::newRow("unnamed high value") << 0x02FF0000u << "$02FF0000";
    }
    void writing()
    {
        QFETCH(uint, colour);
        QFETCH(QString, text);
        QCOMPARE(colortext::toText(colour), text);
        TColor back = 1;
        QVERIFY(colortext::fromText(text, back));
        QCOMPARE(back, TColor(colour));
    }

    void reading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<uint>("colour");
        QTest::newRow("lower case") << "clwhite" << true << 0xFFFFFFu;
        QTest::newRow("upper case") << "CLRED" << true << 0x0000FFu;
        QTest::newRow("hex short") << "$FF" << true << 0xFFu;
        QTest::newRow("hex lower") << "$00abcdef" << true << 0xABCDEFu;
        QTest::newRow("0x") << "0x00FF00" << true << 0x00FF00u;
        QTest::newRow("decimal") << "65280" << true << 0x00FF00u;
        QTest::newRow("decimal minus one") << "-1" << true << 0xFFFFFFFFu;
        QTest::newRow("blanks around") << " clBlue " << true << 0xFF0000u;
        QTest::newRow("system name") << "clwindowtext" << true << 0x80000008u;
        QTest::newRow("extended name") << "clSkyBlue" << true << 0xF0CAA6u;
        QTest::newRow("empty") << "" << false << 0u;
        QTest::newRow("unknown name") << "clPink" << false << 0u;
        QTest::newRow("dollar only") << "$" << false << 0u;
        QTest::newRow("nine hex digits") << "$000000001" << false << 0u;
        QTest::newRow("bad hex") << "$00GG0000" << false << 0u;
        QTest::newRow("hex with sign") << "$+FF" << false << 0u;
        QTest::newRow("decimal too big") << "99999999999" << false << 0u;
        QTest::newRow("decimal with text") << "12px" << false << 0u;
        QTest::newRow("bar and name") << "b|clRed" << false << 0u;
    }
    void reading()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(uint, colour);
        TColor read = 0x5A5A5A;
        QCOMPARE(colortext::fromText(text, read), ok);
        QCOMPARE(read, ok ? TColor(colour) : TColor(0x5A5A5A));
        QCOMPARE(colortext::fromTextOr(text, 0xC0C0C0), ok ? TColor(colour) : TColor(0xC0C0C0));
    }

    void painting()
    {
        QCOMPARE(colortext::toQColor(0x4080FF), QColor(0xFF, 0x80, 0x40));
        QCOMPARE(colortext::fromQColor(QColor(0xFF, 0x80, 0x40)), TColor(0x4080FF));
        QCOMPARE(colortext::toQColor(0x80000008), QGuiApplication::palette().color(QPalette::Text));
        QCOMPARE(colortext::toQColor(0x02FF0000), QColor(0, 0, 0xFF));
    }
};

QTEST_MAIN(TestColorText)
#include "tst_colortext.moc"
