// The lobby download window driven through its widgets against a real HTTP server on
// 127.0.0.1: captions, status lines, what lands in the program folder, and what is started.
#include "download/httpcli.h"
#include "download/jpegpicture.h"
#include "download/tdownload.h"
#include "resources/resourcenames.h"
#include "testhttpserver.h"
#include "tests/support/testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

namespace {

const QString installerName = QStringLiteral("qrvsetup.exe");
const QString installerParameters = QStringLiteral("/SP- /silent /noicons");
const QString failedText = QStringLiteral("Download Aborted");

using testsupport::pattern;

// A window whose starter and message box only record, writing into a temporary folder.
struct Fixture
{
    QTemporaryDir folder;
    Tdownload window;
    QStringList started; // "file|parameters" per start
    QStringList messages;
    bool startSucceeds = true;
    QSignalSpy exits{&window, &Tdownload::exitRequested};

    Fixture()
    {
        window.setTargetFolder(folder.path());
        window.startProgram = [this](const QString &file, const QString &parameters) {
            started << file + QLatin1Char('|') + parameters;
            return startSucceeds;
        };
        window.showMessage = [this](const QString &text) { messages << text; };
    }
    template <typename T> T *find(const char *name) const
    {
        return window.findChild<T *>(QString::fromLatin1(name));
    }
    QString text(const char *name) const { return find<QLabel>(name)->text(); }
    QString installer() const { return QDir(folder.path()).filePath(installerName); }
    QStringList files() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden); }
    void clickGet() { QTest::mouseClick(find<QPushButton>("getbutton"), Qt::LeftButton); }
};

} // namespace

class tst_tdownload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void captions_data();
    void captions();
    void windowAtStart();
    void requestGoesToTheLobbyPath();
    void downloadAndInstall();
    void failures_data();
    void failures();
    void failureKeepsAnEarlierInstaller();
    void stopDuringDownload();
    void stopWhileIdleThenDownload();
    void statusLinesAdvance();
    void playSoloDuringDownload();
    void gameClosingDuringDownload();
    void installerCannotStart();
    void targetCannotBeCreated();
    void playWithOthers_data();
    void playWithOthers();
    void readableSizes_data();
    void readableSizes();
    void lobbyPicture();
    void jpegFromQImage();
    void damagedJpeg_data();
    void damagedJpeg();
    void looksRight();
};

void tst_tdownload::initTestCase()
{
    res::init();
}

void tst_tdownload::captions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::newRow("getbutton") << "getbutton"
                               << "Download And Install The Zuno88 Lobby Now";
    QTest::newRow("abortbutton") << "abortbutton"
                                 << "Stop Download";
    QTest::newRow("Button1") << "Button1"
                             << "Play Solo Game";
    QTest::newRow("Button2") << "Button2"
                             << "Play with Others";
    QTest::newRow("closed") << "label_closed"
                            << "IS CLOSED";
    QTest::newRow("lobby text") << "label_lobbytext"
                                << "Download The Zuno88 Lobby Now to play this  and other "
                                   "exciting games online with other players!";
    QTest::newRow("solo text") << "label_solotext"
                               << "To proceed to the game without the ability to play against "
                                  "others click the button below.";
    QTest::newRow("note") << "label_note"
                          << "Note: Even if you are playing offline, you will need to configure "
                             "your FIREWALL to allow the game to access the internet "
                             "components.";
    QTest::newRow("start text") << "label_starttext"
                                << "If you already have The Zuno88 Lobby and you wish to play "
                                   "with others then click the button below to close this game "
                                   "and open The Zuno88 Lobby.";
}

void tst_tdownload::captions()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    Fixture f;
    QObject *widget = f.window.findChild<QObject *>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->property("text").toString(), caption);
}

void tst_tdownload::windowAtStart()
{
    Fixture f;
    QCOMPARE(f.window.objectName(), QStringLiteral("download"));
    QCOMPARE(f.window.windowTitle(), QStringLiteral("Download The Zuno88 Lobby"));
    QVERIFY(f.window.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(f.window.windowType(), Qt::Tool);
    QVERIFY(f.text("infolabel").isEmpty());
    QVERIFY(f.text("infolabel3").isEmpty());
    QVERIFY(f.find<QPushButton>("getbutton")->isEnabled());
    QVERIFY(f.find<QPushButton>("abortbutton")->isEnabled());
    QCOMPARE(f.window.outcome(), 0);
    f.window.show();
    QVERIFY(!f.find<QLabel>("infolabel2")->isVisible());
    QVERIFY(!f.find<QProgressBar>("progressbar")->isVisible());
    QCOMPARE(f.window.lobby(), QStringLiteral("C:\\Program Files\\Zuno88\\Zuno88Lobby.exe"));
}

void tst_tdownload::requestGoesToTheLobbyPath()
{
    Fixture f;
    const QUrl url(f.window.url());
    QCOMPARE(url.scheme(), QStringLiteral("http"));
    QVERIFY(url.host().endsWith(QStringLiteral(".example")));
    QCOMPARE(url.path(), QStringLiteral("/lobby/qrvsetup.exe"));

    TestHttpServer server;
    server.answer = [](const QByteArray &) { return TestHttpServer::ok("MZ"); };
    f.window.setUrl(server.url());
    // A proxy in the environment must not be used: this one would refuse the request.
    qputenv("http_proxy",
            QByteArray("http://127.0.0.1:") + QByteArray::number(testsupport::freePort()));
    f.clickGet();
    qunsetenv("http_proxy");
    QCOMPARE(f.text("infolabel"), QStringLiteral("Received 2 bytes"));
    QCOMPARE(server.requests.size(), 1);
    const QByteArray request = server.requests.first();
    QVERIFY(request.startsWith("GET /lobby/qrvsetup.exe HTTP/1.0\r\n"));
    QVERIFY(request.contains("\r\nUser-Agent: Mozilla/3.0 (compatible)\r\n"));
    QVERIFY(request.contains(
        "\r\nAccept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"));
    QCOMPARE(request.count("Accept:"), 1);
    QVERIFY(!request.contains("Pragma") && !request.contains("Cache-Control"));
}

void tst_tdownload::downloadAndInstall()
{
    const QByteArray body = pattern(20000);
    TestHttpServer server;
    server.answer = [&](const QByteArray &) { return TestHttpServer::ok(body); };
    Fixture f;
    f.window.setUrl(server.url());
    f.clickGet();

    QCOMPARE(f.text("infolabel"), QStringLiteral("Received 20000 bytes"));
    QCOMPARE(f.text("infolabel2"), installerName);
    QCOMPARE(f.text("infolabel3"), QStringLiteral("Installing"));
    QCOMPARE(f.window.outcome(), 1);
    QVERIFY(f.find<QPushButton>("getbutton")->isEnabled());
    QVERIFY(!f.find<QPushButton>("abortbutton")->isEnabled());

    QFile file(f.installer());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), body);
    QVERIFY(file.permissions() & QFile::ExeOwner);
    QCOMPARE(f.files(), QStringList{installerName}); // no temporary left behind
    QCOMPARE(f.started, QStringList{f.installer() + '|' + installerParameters});
    QCOMPARE(f.exits.count(), 1);
    QVERIFY(f.messages.isEmpty());
}

void tst_tdownload::failures_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::newRow("404") << QByteArray("/lobby/qrvsetup.exe");
    QTest::newRow("headers then close") << QByteArray("/headersonly/qrvsetup.exe");
    QTest::newRow("cut short") << QByteArray("/short/qrvsetup.exe");
    QTest::newRow("nobody listens") << QByteArray();
}

void tst_tdownload::failures()
{
    QFETCH(QByteArray, path);
    TestHttpServer server;
    server.answer = [](const QByteArray &p) -> TestHttpServer::Answer {
        if (p.startsWith("/headersonly"))
            return {"HTTP/1.0 200 OK\r\nContent-Length: 4000\r\n", {}};
        if (p.startsWith("/short"))
            return {"HTTP/1.0 200 OK\r\nContent-Length: 4000\r\n", pattern(1500)};
        return TestHttpServer::status(404, "Not Found", "<html>gone</html>");
    };
    Fixture f;
    f.window.setUrl(
        path.isEmpty()
            ? QStringLiteral("http://127.0.0.1:%1/lobby/qrvsetup.exe").arg(testsupport::freePort())
            : server.url(QString::fromLatin1(path)));
    f.clickGet();

    QCOMPARE(f.text("infolabel"), failedText);
    QCOMPARE(f.window.outcome(), 2);
    QVERIFY(f.started.isEmpty());
    QCOMPARE(f.exits.count(), 0);
    QVERIFY(f.messages.isEmpty());
    QVERIFY(f.files().isEmpty()); // neither a half installer nor a temporary
    QVERIFY(f.find<QPushButton>("getbutton")->isEnabled());
    QVERIFY(!f.find<QPushButton>("abortbutton")->isEnabled());
}

void tst_tdownload::failureKeepsAnEarlierInstaller()
{
    TestHttpServer server; // answers 404
    Fixture f;
    {
        QFile earlier(f.installer());
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("complete installer");
    }
    f.window.setUrl(server.url());
    f.clickGet();
    QCOMPARE(f.text("infolabel"), failedText);
    QFile file(f.installer());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("complete installer"));
    QVERIFY(f.started.isEmpty());
}

void tst_tdownload::stopDuringDownload()
{
    TestHttpServer server;
    server.answer = [](const QByteArray &) {
        TestHttpServer::Answer a = TestHttpServer::ok(pattern(10000));
        a.sendNow = 3000;
        return a;
    };
    Fixture f;
    f.window.setUrl(server.url());
    f.window.show();
    auto *stop = f.find<QPushButton>("abortbutton");
    QString lineWhenStopped;
    // Stop is pressed as a player would, while the window waits for the rest.
    QObject::connect(f.window.httpClient(), &HttpCli::docData, stop, [&] {
        if (lineWhenStopped.isNull()) {
            lineWhenStopped = f.text("infolabel");
            QVERIFY(stop->isEnabled());
            QVERIFY(!f.find<QPushButton>("getbutton")->isEnabled());
            QTest::mouseClick(stop, Qt::LeftButton);
        }
    });
    f.clickGet();

    QCOMPARE(lineWhenStopped, QStringLiteral("3000 bytes"));
    QCOMPARE(f.text("infolabel"), failedText);
    QCOMPARE(f.text("infolabel3"), failedText);
    QCOMPARE(f.window.outcome(), 2);
    QVERIFY(f.started.isEmpty());
    QCOMPARE(f.exits.count(), 0);
    QVERIFY(f.files().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(server.lastClosed(), 5000);
}

void tst_tdownload::stopWhileIdleThenDownload()
{
    Fixture f;
    QTest::mouseClick(f.find<QPushButton>("abortbutton"), Qt::LeftButton);
    QCOMPARE(f.text("infolabel"), QStringLiteral("Download has been aborted."));
    QCOMPARE(f.text("infolabel3"), failedText);
    QCOMPARE(f.window.outcome(), 2);

    TestHttpServer server;
    server.answer = [](const QByteArray &) { return TestHttpServer::ok(pattern(100)); };
    f.window.setUrl(server.url());
    f.clickGet();
    QCOMPARE(f.text("infolabel"), QStringLiteral("Received 100 bytes"));
    QCOMPARE(f.window.outcome(), 1);
    QCOMPARE(f.started.size(), 1);
    QCOMPARE(f.exits.count(), 1);
}

void tst_tdownload::statusLinesAdvance()
{
    const QByteArray body = pattern(3000);
    TestHttpServer server;
    server.answer = [&](const QByteArray &) {
        TestHttpServer::Answer a = TestHttpServer::ok(body); // status line and two headers
        a.head += "Server: test\r\n";
        a.sendNow = 1000;
        return a;
    };
    Fixture f;
    f.window.setUrl(server.url());
    f.window.show();
    QStringList atBegin;
    QStringList lines;
    HttpCli *cli = f.window.httpClient();
    QObject::connect(cli, &HttpCli::docBegin, cli, [&] {
        // Connected after the window's own handler: what the player sees at this moment.
        atBegin << f.text("infolabel") << f.text("infolabel3");
        atBegin << f.find<QProgressBar>("progressbar")->text();
    });
    QObject::connect(cli, &HttpCli::docData, cli, [&] {
        lines << f.text("infolabel");
        server.sendMore(1000);
    });
    f.clickGet();

    QCOMPARE(atBegin, (QStringList{"Loading....", "Downloading: qrvsetup.exe", "0% of 2.9 KB"}));
    QCOMPARE(lines, (QStringList{"1000 bytes", "2000 bytes", "3000 bytes"}));
    QCOMPARE(f.find<QProgressBar>("progressbar")->text(), QStringLiteral("100% of 2.9 KB"));
    QCOMPARE(f.text("infolabel"), QStringLiteral("Received 3000 bytes"));
}

void tst_tdownload::playSoloDuringDownload()
{
    const QByteArray body = pattern(8000);
    TestHttpServer server;
    server.answer = [&](const QByteArray &) {
        TestHttpServer::Answer a = TestHttpServer::ok(body);
        a.sendNow = 2000;
        return a;
    };
    Fixture f;
    f.window.setUrl(server.url());
    f.window.show();
    auto *solo = f.find<QPushButton>("Button1");
    bool hiddenWhileRunning = false;
    QObject::connect(f.window.httpClient(), &HttpCli::docData, solo, [&](qint64 count) {
        if (count == 2000) {
            QTest::mouseClick(solo, Qt::LeftButton);
            hiddenWhileRunning = !f.window.isVisible() && f.window.httpClient()->isBusy();
            server.sendMore();
        }
    });
    f.clickGet();

    QVERIFY(hiddenWhileRunning);
    QCOMPARE(f.text("infolabel"), QStringLiteral("Received 8000 bytes"));
    QCOMPARE(f.started, QStringList{f.installer() + '|' + installerParameters});
    QCOMPARE(f.exits.count(), 1);
}

void tst_tdownload::gameClosingDuringDownload()
{
    TestHttpServer server;
    server.answer = [](const QByteArray &) {
        TestHttpServer::Answer a = TestHttpServer::ok(pattern(8000));
        a.sendNow = 1000;
        return a;
    };
    Fixture f;
    f.window.setUrl(server.url());
    QObject::connect(f.window.httpClient(), &HttpCli::docData, &f.window,
                     [&] { f.window.abort(); });
    f.clickGet();
    QCOMPARE(f.text("infolabel"), failedText);
    QVERIFY(f.started.isEmpty());
    QCOMPARE(f.exits.count(), 0);
    QVERIFY(f.files().isEmpty());
}

void tst_tdownload::installerCannotStart()
{
    TestHttpServer server;
    server.answer = [](const QByteArray &) { return TestHttpServer::ok(pattern(10)); };
    Fixture f;
    f.startSucceeds = false;
    f.window.setUrl(server.url());
    f.clickGet();
    QCOMPARE(f.started.size(), 1);
    QCOMPARE(f.messages, QStringList{"An Error has Occurred."});
    QCOMPARE(f.exits.count(), 0);
    QCOMPARE(f.text("infolabel3"), QStringLiteral("Installing"));
    QVERIFY(f.find<QPushButton>("getbutton")->isEnabled());
    QVERIFY(QFileInfo::exists(f.installer()));
}

void tst_tdownload::targetCannotBeCreated()
{
    TestHttpServer server;
    server.answer = [](const QByteArray &) { return TestHttpServer::ok(pattern(10)); };
    Fixture f;
    f.window.setTargetFolder(QDir(f.folder.path()).filePath(QStringLiteral("missing/deeper")));
    f.window.setUrl(server.url());
    f.clickGet();
    QCOMPARE(f.messages.size(), 1);
    QVERIFY2(f.messages.first().startsWith(QStringLiteral("Cannot create file")),
             qPrintable(f.messages.first()));
    QVERIFY(server.requests.isEmpty());
    QVERIFY(f.text("infolabel").isEmpty());
    QVERIFY(f.text("infolabel3").isEmpty());
    QCOMPARE(f.window.outcome(), 0);
    QVERIFY(f.find<QPushButton>("getbutton")->isEnabled());
    QVERIFY(f.started.isEmpty());
}

void tst_tdownload::playWithOthers_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("starts");
    QTest::addColumn<int>("exits");
    QTest::addColumn<QString>("message");
    QTest::newRow("not installed")
        << false << true << 0
        << "Please close the game and open the Zuno88 Lobby using the icon on your desktop or "
           "using the your Window's start-up menu.";
    QTest::newRow("installed") << true << true << 1 << QString();
    QTest::newRow("installed, start fails") << true << false << 0 << "An Error has Occurred.";
}

void tst_tdownload::playWithOthers()
{
    QFETCH(bool, installed);
    QFETCH(bool, starts);
    QFETCH(int, exits);
    QFETCH(QString, message);
    Fixture f;
    f.startSucceeds = starts;
    const QString lobby = QDir(f.folder.path()).filePath(QStringLiteral("Zuno88Lobby.exe"));
    if (installed) {
        QFile file(lobby);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    f.window.setLobbyPath(lobby);
    QTest::mouseClick(f.find<QPushButton>("Button2"), Qt::LeftButton);

    QCOMPARE(f.started, installed ? QStringList{lobby + '|'} : QStringList());
    QCOMPARE(f.exits.count(), exits);
    QCOMPARE(f.messages, message.isEmpty() ? QStringList() : QStringList{message});
}

void tst_tdownload::readableSizes_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << qint64(0) << "0 bytes";
    QTest::newRow("1024") << qint64(1024) << "1.0 KB";
    QTest::newRow("3000") << qint64(3000) << "2.9 KB";
    QTest::newRow("just under 1 MB") << qint64(1048575) << "1.0 MB";
    QTest::newRow("1.4 MB") << qint64(1468006) << "1.4 MB";
    QTest::newRow("beyond TB") << (qint64(5000) << 40) << "5000.0 TB";
}

void tst_tdownload::readableSizes()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(readableSize(bytes), text);
}

void tst_tdownload::lobbyPicture()
{
    QFile resource(QString::fromLatin1(res::lobby));
    if (!resource.exists()) QSKIP("The lobby picture is not among the resources.");
    QVERIFY(resource.open(QIODevice::ReadOnly));
    const QImage image = decodeJpeg(resource.readAll());
    QCOMPARE(image.size(), QSize(400, 339));

    Fixture f;
    const QPixmap shown = f.find<QLabel>("image_lobby")->pixmap();
    QCOMPARE(shown.size(), QSize(400, 339));
}

void tst_tdownload::jpegFromQImage()
{
    // Four flat quarters in known colours survive JPEG closely enough to tell apart.
    QImage source(64, 48, QImage::Format_RGB32);
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            source.setPixelColor(x, y, colours[(y >= 24) * 2 + (x >= 32)]);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!source.save(&buffer, "JPEG", 95)) QSKIP("Qt cannot write JPEG here.");

    const QImage image = decodeJpeg(bytes);
    QCOMPARE(image.size(), QSize(64, 48));
    const QPoint centres[] = {{16, 12}, {48, 12}, {16, 36}, {48, 36}};
    for (int i = 0; i < 4; ++i) {
        const QColor got = image.pixelColor(centres[i]);
        const QColor want = colours[i];
        QVERIFY2(qAbs(got.red() - want.red()) < 24 && qAbs(got.green() - want.green()) < 24 &&
                     qAbs(got.blue() - want.blue()) < 24,
                 qPrintable(got.name() + " for " + want.name()));
    }
}

void tst_tdownload::damagedJpeg_data()
{
    // Noise, so that most of the file is picture data and a cut lands inside it.
    QImage source(200, 150, QImage::Format_RGB32);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x)
            source.setPixel(x, y, qRgb((x * 37 + y * 11) & 0xFF, (x * y) & 0xFF, (x ^ y) & 0xFF));
    QByteArray good;
    QBuffer buffer(&good);
    buffer.open(QIODevice::WriteOnly);
    source.save(&buffer, "JPEG");

    // The frame header (SOF0) gives height and width right after its length and precision.
    QByteArray huge = good;
    const qsizetype sof = huge.indexOf("\xFF\xC0");
    if (sof >= 0) huge.replace(sof + 5, 4, QByteArray("\xFF\xF0\xFF\xF0", 4));

    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("decodes");
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("not a JPEG") << QByteArray("GIF89a, not what it claims") << false;
    QTest::newRow("only the start marker") << QByteArray("\xFF\xD8\xFF", 3) << false;
    QTest::newRow("65520 by 65520") << huge << false;
    QTest::newRow("cut in the picture data") << good.left(good.size() / 2) << true;
    QTest::newRow("cut in the tables") << good.left(100) << false;
}

void tst_tdownload::damagedJpeg()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, decodes);
    const QImage image = decodeJpeg(bytes);
    QCOMPARE(!image.isNull(), decodes);
    if (decodes) QCOMPARE(image.size(), QSize(200, 150));
    QVERIFY(loadJpeg(QStringLiteral("/nonexistent/lobby.jpg")).isNull());
}

void tst_tdownload::looksRight()
{
    const QString folder = qEnvironmentVariable("QUIB_SCREENSHOT_DIR");
    Fixture f;
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    if (!folder.isEmpty())
        QVERIFY(f.window.grab().save(QDir(folder).filePath(QStringLiteral("download-idle.png"))));
    f.find<QLabel>("infolabel")->setText(QStringLiteral("1468006 bytes"));
    f.find<QLabel>("infolabel3")->setText(QStringLiteral("Downloading: qrvsetup.exe"));
    auto *bar = f.find<QProgressBar>("progressbar");
    bar->setFormat(QStringLiteral("%p% of 2.8 MB"));
    bar->setValue(520);
    bar->show();
    const QPixmap shot = f.window.grab();
    QVERIFY(shot.width() > 600 && shot.height() > 500);
    if (!folder.isEmpty())
        QVERIFY(shot.save(QDir(folder).filePath(QStringLiteral("download.png"))));
}

QTEST_MAIN(tst_tdownload)
#include "tst_tdownload.moc"
