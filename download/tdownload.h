#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

#include <functional>

class HttpCli;
class QLabel;
class QProgressBar;
class QPushButton;

// The lobby download window shown over a solo game: download and install the lobby, go on
// with the solo game, or close the game and start an installed lobby.
//
// The window never reaches into the main window: closing the game is asked for through
// exitRequested(), and the main window calls abort() when it closes during a download.
class Tdownload : public QWidget
{
    Q_OBJECT
public:
    explicit Tdownload(QWidget *parent = nullptr);

    // Where the installer comes from; the maker's server unless a test points elsewhere.
    void setUrl(const QString &url);
    QString url() const;
    // The folder the installer is written to.
    void setTargetFolder(const QString &folder) { targetFolder = folder; }
    QString folder() const { return targetFolder; }
    // The installed lobby that "Play with Others" starts.
    void setLobbyPath(const QString &path) { lobbyPath = path; }
    QString lobby() const { return lobbyPath; }

    // The outcome of the last download: 0 before any, 1 running or completed, 2 aborted or
    // failed.
    int outcome() const { return outcomeFlag; }
    HttpCli *httpClient() const { return HttpCli1; }

    // Starts a program file with a parameter string, like the desktop's "open"; false when it
    // could not be started. Tests put a recorder here.
    std::function<bool(const QString &file, const QString &parameters)> startProgram;
    // Opens the program's own way to play with others; "Play with Others" uses
    // it when no lobby is installed. The main window sets it.
    std::function<void()> playWithOthers;
    // Shows a message to the player without waiting for it to be read.
    std::function<void(const QString &text)> showMessage;

    // The folder the installer goes to when nothing else is set: the program's folder, or the
    // user's download folder when the program's folder is not writable (an installed game).
    static QString defaultTargetFolder();

    static constexpr char DefaultUrl[] = "http://www.zuno88.example/lobby/qrvsetup.exe";
    static constexpr char InstalledLobby[] = "C:\\Program Files\\Zuno88\\Zuno88Lobby.exe";

signals:
    // Close the game the way its File > Exit does.
    void exitRequested();

public slots:
    void getbuttonClick();
    void abortbuttonClick();
    void Button1Click();
    void Button2Click();
    // Stops a running download without touching the window (the game is closing).
    void abort();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void HttpCli1HeaderData();
    void HttpCli1DocBegin();
    void HttpCli1DocData(qint64 count);
    void buildPanels();

    HttpCli *HttpCli1 = nullptr;
    QPushButton *getbutton = nullptr;
    QPushButton *abortbutton = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QLabel *infolabel = nullptr;
    QLabel *infolabel2 = nullptr;
    QLabel *infolabel3 = nullptr;
    QProgressBar *progressbar = nullptr;
    QPixmap background;

    QString targetFolder;
    QString lobbyPath = QString::fromLatin1(InstalledLobby);
    int outcomeFlag = 0;
    bool centred = false;
};

// A size for people to read: "512 bytes", "12.5 KB", "1.4 MB".
QString readableSize(qint64 bytes);
