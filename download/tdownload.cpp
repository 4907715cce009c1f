#include "download/tdownload.h"

#include "download/httpcli.h"
#include "download/jpegpicture.h"
#include "resources/resourcenames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

constexpr char WindowName[] = "download";
constexpr char TitleText[] = "Download The Zuno88 Lobby";
constexpr char ClosedText[] = "IS CLOSED";
constexpr char LobbyText[] = "Download The Zuno88 Lobby Now to play this  and other exciting "
                             "games online with other players!";
constexpr char GetCaption[] = "Download And Install The Zuno88 Lobby Now";
constexpr char AbortCaption[] = "Stop Download";
constexpr char SoloText[] =
    "To proceed to the game without the ability to play against others click the button below.";
constexpr char SoloCaption[] = "Play Solo Game";
constexpr char FirewallNote[] =
    "Note: Even if you are playing offline, you will need to configure your FIREWALL to allow "
    "the game to access the internet components.";
constexpr char StartText[] = "If you already have The Zuno88 Lobby and you wish to play with "
                             "others then click the button below to close this game and open "
                             "The Zuno88 Lobby.";
constexpr char StartCaption[] = "Play with Others";

constexpr char Agent[] = "Mozilla/3.0 (compatible)";
constexpr char Accept[] = "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
constexpr char InstallerParameters[] = "/SP- /silent /noicons";

constexpr char LoadingText[] = "Loading";
constexpr char ReceivedText[] = "Received ";
constexpr char BytesText[] = " bytes";
constexpr char FailedText[] = "Download Aborted";
constexpr char InstallingText[] = "Installing";
constexpr char AbortedText[] = "Download has been aborted.";
constexpr char DownloadingText[] = "Downloading: ";
constexpr char StartFailedText[] = "An Error has Occurred.";
constexpr char LobbyMissingText[] =
    "Please close the game and open the Zuno88 Lobby using the icon on your desktop or using "
    "the your Window's start-up menu.";
constexpr char CreateFailedText[] = "Cannot create file \"%1\". %2";
constexpr char ProgressFormat[] = "%p% of ";

constexpr int PictureWidth = 400;
constexpr int PictureHeight = 339;
constexpr int ProgressSteps = 1000;

constexpr char WindowStyle[] = R"(
QFrame#panel_lobby, QFrame#panel_solo, QFrame#panel_lobbystart {
    background-color: rgba(0, 0, 0, 150);
    border: 1px solid #b8950a;
    border-radius: 8px;
}
QLabel { color: white; background: transparent; border: none; }
QLabel#label_lobbytext, QLabel#label_solotext, QLabel#label_starttext {
    color: #ffd700; font-weight: bold; font-size: 13px;
}
QLabel#label_note { color: #c8c8d8; font-size: 11px; }
QLabel#infolabel, QLabel#infolabel3 { color: white; font-size: 12px; }
QLabel#image_lobby { background-color: #141a33; border: 1px solid #b8950a; }
QLabel#label_closed {
    color: #ff2a2a; font-size: 34px; font-weight: bold;
    background-color: rgba(0, 0, 0, 170);
    border: 3px solid #ff2a2a; border-radius: 6px; padding: 2px 14px;
}
QPushButton {
    color: #ffd700; font-weight: bold; font-size: 12px;
    background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3c4385, stop:1 #1b1f4a);
    border: 1px solid #b8950a; border-radius: 5px; padding: 6px 12px;
}
QPushButton:hover { background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1,
                                                      stop:0 #4c55a8, stop:1 #272c66); }
QPushButton:pressed { background-color: #14173a; }
QPushButton:disabled { color: #7c7c8c; border-color: #4a4a58; background-color: #202230; }
QProgressBar {
    color: white; font-size: 11px; text-align: center;
    background-color: rgba(0, 0, 0, 140);
    border: 1px solid #b8950a; border-radius: 4px; max-height: 16px;
}
QProgressBar::chunk { background-color: #c99a06; border-radius: 3px; }
)";

QLabel *textLabel(const char *name, const char *text, QWidget *parent)
{
    auto *label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    // Plain text keeps the caption exactly as written, double spaces included.
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QPushButton *button(const char *name, const char *caption, QWidget *parent)
{
    auto *b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

QFrame *panel(const char *name, QWidget *parent)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(name));
    return frame;
}

bool shellOpen(const QString &file, const QString &parameters)
{
    return QProcess::startDetached(file, QProcess::splitCommand(parameters));
}

// The last segment of the URL's path: everything up to and including each "/" goes.
QString lastSegment(const QString &url)
{
    return url.mid(url.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

QString readableSize(qint64 bytes)
{
    if (bytes < 1024) return QString::number(bytes) + QString::fromLatin1(BytesText);
    static const char *const units[] = {"KB", "MB", "GB", "TB"};
    double size = double(bytes) / 1024.0;
    int unit = 0;
    // Rounded to one decimal first, so 1048575 bytes reads "1.0 MB" and not "1024.0 KB".
    while (unit < 3 && qRound64(size * 10.0) >= 1024 * 10) {
        size /= 1024.0;
        ++unit;
    }
    return QString::number(size, 'f', 1) + QLatin1Char(' ') + QString::fromLatin1(units[unit]);
}

Tdownload::Tdownload(QWidget *parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QString::fromLatin1(WindowName));
    setWindowTitle(QString::fromLatin1(TitleText));
    setStyleSheet(QString::fromLatin1(WindowStyle));
    background = QPixmap(QString::fromLatin1(res::background));

    HttpCli1 = new HttpCli(this);
    HttpCli1->setObjectName(QStringLiteral("HttpCli1"));
    HttpCli1->setUrl(QString::fromLatin1(DefaultUrl));
    HttpCli1->setAgent(QString::fromLatin1(Agent));
    HttpCli1->setAccept(QString::fromLatin1(Accept));
    connect(HttpCli1, &HttpCli::headerData, this, &Tdownload::HttpCli1HeaderData);
    connect(HttpCli1, &HttpCli::docBegin, this, &Tdownload::HttpCli1DocBegin);
    connect(HttpCli1, &HttpCli::docData, this, &Tdownload::HttpCli1DocData);

    targetFolder = defaultTargetFolder();
    startProgram = shellOpen;
    showMessage = [this](const QString &text) {
        auto *box =
            new QMessageBox(QMessageBox::Information, QString(), QString(), QMessageBox::Ok, this);
        box->setTextFormat(Qt::PlainText);
        box->setText(text);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    };

    buildPanels();
}

void Tdownload::buildPanels()
{
    auto *lobbyPanel = panel("panel_lobby", this);
    auto *picture = new QLabel(lobbyPanel);
    picture->setObjectName(QStringLiteral("image_lobby"));
    picture->setFixedSize(PictureWidth, PictureHeight);
    picture->setAlignment(Qt::AlignCenter);
    const QImage lobbyImage = loadJpeg(QString::fromLatin1(res::lobby));
    // Without its picture the window still works; the frame just stays dark.
    if (!lobbyImage.isNull())
        picture->setPixmap(QPixmap::fromImage(lobbyImage.scaled(
            PictureWidth, PictureHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    auto *closed = new QLabel(QString::fromLatin1(ClosedText), picture);
    closed->setObjectName(QStringLiteral("label_closed"));
    closed->setTextFormat(Qt::PlainText);
    closed->setAlignment(Qt::AlignCenter);
    closed->adjustSize();
    // Between the sign and the speech bubbles of the picture.
    closed->move((PictureWidth - closed->width()) / 2, PictureHeight / 3);

    getbutton = button("getbutton", GetCaption, lobbyPanel);
    abortbutton = button("abortbutton", AbortCaption, lobbyPanel);
    infolabel = textLabel("infolabel", "", lobbyPanel);
    infolabel3 = textLabel("infolabel3", "", lobbyPanel);
    infolabel2 = textLabel("infolabel2", "", lobbyPanel);
    infolabel2->hide();
    for (QLabel *status : {infolabel, infolabel3})
        status->setMinimumHeight(status->fontMetrics().height() + 2);
    progressbar = new QProgressBar(lobbyPanel);
    progressbar->setObjectName(QStringLiteral("progressbar"));
    progressbar->setRange(0, ProgressSteps);
    // Kept in the layout while hidden, so the window does not jump when it appears.
    QSizePolicy keepPlace = progressbar->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    progressbar->setSizePolicy(keepPlace);
    progressbar->hide();

    auto *lobbyLayout = new QVBoxLayout(lobbyPanel);
    lobbyLayout->setContentsMargins(10, 10, 10, 10);
    lobbyLayout->setSpacing(6);
    lobbyLayout->addWidget(picture, 0, Qt::AlignHCenter);
    lobbyLayout->addWidget(textLabel("label_lobbytext", LobbyText, lobbyPanel));
    lobbyLayout->addWidget(getbutton);
    lobbyLayout->addWidget(infolabel);
    lobbyLayout->addWidget(infolabel3);
    lobbyLayout->addWidget(progressbar);
    lobbyLayout->addWidget(abortbutton);

    auto *soloPanel = panel("panel_solo", this);
    Button1 = button("Button1", SoloCaption, soloPanel);
    auto *soloLayout = new QVBoxLayout(soloPanel);
    soloLayout->setContentsMargins(12, 12, 12, 12);
    soloLayout->setSpacing(10);
    soloLayout->addStretch();
    soloLayout->addWidget(textLabel("label_solotext", SoloText, soloPanel));
    soloLayout->addWidget(Button1);
    soloLayout->addWidget(textLabel("label_note", FirewallNote, soloPanel));
    soloLayout->addStretch();

    auto *startPanel = panel("panel_lobbystart", this);
    Button2 = button("Button2", StartCaption, startPanel);
    auto *startLayout = new QVBoxLayout(startPanel);
    startLayout->setContentsMargins(12, 12, 12, 12);
    startLayout->setSpacing(10);
    startLayout->addStretch();
    startLayout->addWidget(textLabel("label_starttext", StartText, startPanel));
    startLayout->addWidget(Button2);
    startLayout->addStretch();

    auto *column = new QVBoxLayout;
    column->setSpacing(10);
    column->addWidget(soloPanel, 1);
    column->addWidget(startPanel, 1);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(10);
    layout->addWidget(lobbyPanel);
    layout->addLayout(column);
    soloPanel->setFixedWidth(270);
    startPanel->setFixedWidth(270);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(getbutton, &QPushButton::clicked, this, &Tdownload::getbuttonClick);
    connect(abortbutton, &QPushButton::clicked, this, &Tdownload::abortbuttonClick);
    connect(Button1, &QPushButton::clicked, this, &Tdownload::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tdownload::Button2Click);
}

void Tdownload::setUrl(const QString &url)
{
    HttpCli1->setUrl(url);
}

QString Tdownload::url() const
{
    return HttpCli1->url();
}

QString Tdownload::defaultTargetFolder()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (QFileInfo(programFolder).isWritable()) return programFolder;
    QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (downloads.isEmpty())
        downloads = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    return downloads;
}

void Tdownload::getbuttonClick()
{
    if (HttpCli1->isBusy()) return;
    const QString fileName = lastSegment(HttpCli1->url());
    const QString target = QDir(targetFolder).filePath(fileName);
    // The installer is written under a temporary name and only takes its own name once it
    // is complete: a failed or stopped download never leaves a broken installer behind, and
    // an earlier complete one stays as it was.
    QSaveFile file(target);
    if (fileName.isEmpty() || !file.open(QIODevice::WriteOnly)) {
        showMessage(QString::fromLatin1(CreateFailedText)
                        .arg(QDir::toNativeSeparators(target), file.errorString()));
        return;
    }

    outcomeFlag = 1;
    infolabel2->setText(fileName);
    HttpCli1->setRcvdStream(&file);
    getbutton->setEnabled(false);
    abortbutton->setEnabled(true);
    infolabel->setText(QString::fromLatin1(LoadingText));
    progressbar->hide();
    progressbar->setValue(0);

    QPointer<Tdownload> self(this);
    bool complete = HttpCli1->get();
    if (!self) return;
    HttpCli1->setRcvdStream(nullptr);
    if (complete) {
        complete = file.commit();
        if (complete)
            infolabel->setText(QString::fromLatin1(ReceivedText) +
                               QString::number(QFileInfo(target).size()) +
                               QString::fromLatin1(BytesText));
    } else {
        file.cancelWriting();
    }
    if (!complete) {
        infolabel->setText(QString::fromLatin1(FailedText));
        outcomeFlag = 2;
    }
    getbutton->setEnabled(true);
    abortbutton->setEnabled(false);

    if (outcomeFlag == 2) return;
    infolabel3->setText(QString::fromLatin1(InstallingText));
    QFile::setPermissions(target, QFile::permissions(target) | QFile::ExeOwner | QFile::ExeUser);
    if (!startProgram(target, QString::fromLatin1(InstallerParameters)))
        showMessage(QString::fromLatin1(StartFailedText));
    else
        emit exitRequested();
}

void Tdownload::abortbuttonClick()
{
    HttpCli1->abort();
    infolabel->setText(QString::fromLatin1(AbortedText));
    outcomeFlag = 2;
    infolabel3->setText(QString::fromLatin1(FailedText));
}

void Tdownload::Button1Click()
{
    hide();
}

void Tdownload::Button2Click()
{
    if (!QFileInfo(lobbyPath).isFile()) {
        // Without a lobby the game finds and hosts rooms itself.
        if (playWithOthers) {
            hide();
            playWithOthers();
            return;
        }
        showMessage(QString::fromLatin1(LobbyMissingText));
        return;
    }
    // Closing the game when the lobby did not start would leave the player with neither.
    if (!startProgram(lobbyPath, QString()))
        showMessage(QString::fromLatin1(StartFailedText));
    else
        emit exitRequested();
}

void Tdownload::abort()
{
    HttpCli1->abort();
}

void Tdownload::HttpCli1HeaderData()
{
    infolabel->setText(infolabel->text() + QLatin1Char('.'));
}

void Tdownload::HttpCli1DocBegin()
{
    infolabel3->setText(QString::fromLatin1(DownloadingText) + infolabel2->text());
    const qint64 length = HttpCli1->contentLength();
    if (length > 0) {
        progressbar->setFormat(QString::fromLatin1(ProgressFormat) + readableSize(length));
        progressbar->setValue(0);
        progressbar->show();
    }
}

void Tdownload::HttpCli1DocData(qint64 count)
{
    infolabel->setText(QString::number(count) + QString::fromLatin1(BytesText));
    const qint64 length = HttpCli1->contentLength();
    if (length > 0)
        progressbar->setValue(int(qMin<qint64>(count, length) * ProgressSteps / length));
}

void Tdownload::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!background.isNull()) painter.drawTiledPixmap(rect(), background);
}

void Tdownload::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (centred) return;
    centred = true;
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}
