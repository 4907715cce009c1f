#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <deque>
#include <map>

class QEventLoop;
class QIODevice;
class QSocketNotifier;
class QTimer;

// An HTTP GET client on libcurl's multi interface, driven by the Qt event loop of the thread
// that owns it. get() waits in a nested event loop, so while a download runs the game goes on:
// windows repaint, timers tick, sockets are served and a "stop" button can call abort().
//
// The notifications are emitted on the owner's thread, never from inside a libcurl callback,
// so a slot may call abort() or run a dialog of its own.
class HttpCli : public QObject
{
    Q_OBJECT
public:
    explicit HttpCli(QObject *parent = nullptr);
    ~HttpCli() override;

    void setUrl(const QString &url) { requestUrl = url; }
    QString url() const { return requestUrl; }
    void setAgent(const QString &agent) { agentText = agent; }
    QString agent() const { return agentText; }
    void setAccept(const QString &accept) { acceptText = accept; }
    QString accept() const { return acceptText; }

    // The document body, and nothing else, is written here. Not owned; may be null, in which
    // case the body is counted and dropped.
    void setRcvdStream(QIODevice *stream) { this->stream = stream; }
    QIODevice *rcvdStream() const { return stream; }

    // Document bytes received so far by the running or last request.
    qint64 rcvdCount() const { return received; }
    // The length the server announced for the document, or -1 when it sent none.
    qint64 contentLength() const { return announcedLength; }
    // Status and reason of the last request. A request that failed without an error status
    // from the server (no such host, no connection, cut short, abort) carries 404 and a text
    // saying what went wrong.
    int statusCode() const { return status; }
    QString reasonPhrase() const { return reason; }

    bool isBusy() const { return easy != nullptr; }

    // Performs the GET and returns when it has ended: true for a status below 400. The
    // caller's event loop keeps running meanwhile; the application quitting aborts it.
    bool get();
    // Stops a running request at once (get() then fails with "Connection aborted on
    // request"); harmless when none runs.
    void abort();

    // Largest document accepted; a larger one is refused rather than filling the disk.
    static constexpr qint64 MaxDocumentSize = qint64(1) << 30;
    // A response with more header lines than this is refused.
    static constexpr int MaxHeaderLines = 500;

signals:
    // One response header line, without its line end.
    void headerData(const QByteArray &line);
    // The document of the final response begins.
    void docBegin();
    // More of the document arrived; count is the running total of document bytes.
    void docData(qint64 count);

private:
    enum class EventKind
    {
        header,
        begin,
        data
    };
    struct Event
    {
        EventKind kind;
        QByteArray line; // header
        qint64 count;    // data
    };
    struct Watch
    {
        QSocketNotifier *read = nullptr;
        QSocketNotifier *write = nullptr;
    };

    static int socketCallback(void *easy, int fd, int what, void *self, void *socketp);
    static int timerCallback(void *multi, long timeoutMs, void *self);
    static size_t headerCallback(char *data, size_t size, size_t count, void *self);
    static size_t writeCallback(char *data, size_t size, size_t count, void *self);

    void watchSocket(int fd, int what);
    void forgetSocket(int fd);
    void drive(int fd, int events);
    void pump();
    void deliverEvents();
    void checkDone();
    void finish(int curlCode);
    void headerLine(const QByteArray &line);
    size_t documentData(const char *data, size_t length);

    QString requestUrl;
    QString agentText;
    QString acceptText;
    QIODevice *stream = nullptr;
    qint64 received = 0;
    qint64 announcedLength = -1;
    int status = 0;
    QString reason;

    void *multi = nullptr;   // CURLM *
    void *easy = nullptr;    // CURL *, while a request runs
    void *headers = nullptr; // curl_slist *, the request's own header lines
    char errorBuffer[256] = {};
    QTimer *timer = nullptr;
    std::map<int, Watch> watches;
    std::deque<Event> pending;
    QEventLoop *waitLoop = nullptr;
    bool succeeded = false;

    // What the header and write callbacks learnt about the current response.
    int responseStatus = 0;
    QByteArray responseReason;
    bool responseRedirects = false;
    bool inDocument = false;
    bool refusedStatus = false;
    bool tooManyHeaders = false;
    bool tooLarge = false;
    bool writeFailed = false;
    int headerLines = 0;
    bool aborted = false;
};
