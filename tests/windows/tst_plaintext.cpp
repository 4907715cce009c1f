// The helpers every window shows outside text with: tooltips that show markup
// as typed, and documents that load nothing and follow no link but the web.
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include "resources/resourcenames.h"
#include "windows/plaintext.h"

class TestPlainText : public QObject
{
    Q_OBJECT

private slots:
    void toolTips_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("kept"); // plain text goes in unchanged
        QTest::newRow("plain") << "Nice Acros!" << true;
        QTest::newRow("entity alone") << "Tom &amp; Jerry" << true;
        QTest::newRow("bold") << "<b>Big</b> Dog" << false;
        QTest::newRow("image") << "<img src=\"/dev/zero\">" << false;
        QTest::newRow("blanks and tab") << "<i>a</i>  b\tc" << false;
    }
    void toolTips()
    {
        QFETCH(QString, text);
        QFETCH(bool, kept);
        const QString tip = plaintext::toolTip(text);
        QCOMPARE(tip == text, kept);
        QTextDocument shown;
        if (Qt::mightBeRichText(tip))
            shown.setHtml(tip);
        else
            shown.setPlainText(tip);
        QCOMPARE(shown.toPlainText(), text);
        QVERIFY(!tip.contains(QStringLiteral("<img")));
    }

    void webAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("web");
        QTest::newRow("http") << "http://www.example.com/a" << true;
        QTest::newRow("https") << "https://example.com" << true;
        QTest::newRow("file") << "file:///etc/passwd" << false;
        QTest::newRow("relative") << "help.html" << false;
        QTest::newRow("mail") << "mailto:a@example.com" << false;
        QTest::newRow("ftp") << "ftp://example.com" << false;
        QTest::newRow("no host") << "http:///x" << false;
    }
    void webAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, web);
        QCOMPARE(plaintext::isWebAddress(QUrl(address)), web);
    }

    // A page may show the program's own pictures; nothing from a file or a
    // relative name, and only web links are handed on.
    void browserLoadsOnlyOwnResources()
    {
        res::init();
        QTemporaryDir dir;
        QFile file(dir.filePath("x.html"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("secret") == 6);
        file.close();
        SafeTextBrowser browser;
        QList<QUrl> opened;
        browser.openAddress = [&](const QUrl &url) { opened << url; };
        QVERIFY(
            browser.loadResource(QTextDocument::HtmlResource, QUrl::fromLocalFile(file.fileName()))
                .isNull());
        browser.setSearchPaths({dir.path()});
        QVERIFY(browser.loadResource(QTextDocument::HtmlResource, QUrl("x.html")).isNull());
        QVERIFY(
            !browser.loadResource(QTextDocument::ImageResource, QUrl(QString("qrc") + res::icon))
                 .isNull());
        emit browser.anchorClicked(QUrl::fromLocalFile(file.fileName()));
        emit browser.anchorClicked(QUrl("http://example.com/"));
        QCOMPARE(opened, QList<QUrl>{QUrl("http://example.com/")});
        QVERIFY(browser.toPlainText().isEmpty());
    }

    void messageBoxIsPlain()
    {
        QMessageBox *box = plaintext::messageBox(QMessageBox::Warning, "T", "<b>x</b>", nullptr);
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QCOMPARE(box->text(), QStringLiteral("<b>x</b>"));
        delete box;
        QCOMPARE(PlainLabel("<b>x</b>").textFormat(), Qt::PlainText);
    }
};

QTEST_MAIN(TestPlainText)
#include "tst_plaintext.moc"
