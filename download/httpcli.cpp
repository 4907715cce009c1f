#include "download/httpcli.h"

#include <QEventLoop>
#include <QIODevice>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <curl/curl.h>

#include <utility>

namespace {

constexpr char AbortReason[] = "Connection aborted on request";
constexpr char TooManyHeadersReason[] = "Too many header lines in the answer";
constexpr char TooLargeReason[] = "The document is too large";
constexpr char WriteFailedReason[] = "The document could not be written: ";
constexpr char NoHandleReason[] = "The request could not be prepared";
constexpr char StatusReason[] = "HTTP error ";
// Failures that bring no error status of the server's own carry this one, as an abort does.
constexpr int FailureStatus = 404;
// Bind to any local IPv4 address; the request is made over IPv4 only.
constexpr char LocalAddress[] = "0.0.0.0";
constexpr long MaxRedirects = 5;
constexpr char AllowedProtocols[] = "http,https";
// A reason phrase is shown to people; a hostile server could send kilobytes of it.
constexpr int MaxReasonLength = 200;

void initCurlOnce()
{
    static const CURLcode rc = curl_global_init(CURL_GLOBAL_DEFAULT);
    Q_UNUSED(rc);
}

QByteArray withoutLineEnd(QByteArray line)
{
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return line;
}

// The answers libcurl follows by itself when they name a new location.
bool isFollowedRedirect(int status)
{
    switch (status) {
    case 300:
    case 301:
    case 302:
    case 303:
    case 307:
    case 308:
        return true;
    default:
        return false;
    }
}

} // namespace

HttpCli::HttpCli(QObject *parent) : QObject(parent)
{
    initCurlOnce();
    timer = new QTimer(this);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this] { drive(CURL_SOCKET_TIMEOUT, 0); });

    multi = curl_multi_init();
    if (multi) {
        curl_multi_setopt(multi, CURLMOPT_SOCKETFUNCTION, &HttpCli::socketCallback);
        curl_multi_setopt(multi, CURLMOPT_SOCKETDATA, this);
        curl_multi_setopt(multi, CURLMOPT_TIMERFUNCTION, &HttpCli::timerCallback);
        curl_multi_setopt(multi, CURLMOPT_TIMERDATA, this);
    }
}

HttpCli::~HttpCli()
{
    abort();
    if (multi) curl_multi_cleanup(multi);
}

bool HttpCli::get()
{
    if (easy) return false;

    received = 0;
    announcedLength = -1;
    status = 0;
    reason.clear();
    succeeded = false;
    aborted = false;
    responseStatus = 0;
    responseReason.clear();
    responseRedirects = false;
    inDocument = false;
    refusedStatus = false;
    tooManyHeaders = false;
    tooLarge = false;
    writeFailed = false;
    headerLines = 0;
    pending.clear();
    errorBuffer[0] = '\0';

    CURL *handle = multi ? curl_easy_init() : nullptr;
    if (!handle) {
        status = FailureStatus;
        reason = QString::fromLatin1(NoHandleReason);
        return false;
    }

    curl_easy_setopt(handle, CURLOPT_URL, requestUrl.toUtf8().constData());
    curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
    if (!agentText.isEmpty())
        curl_easy_setopt(handle, CURLOPT_USERAGENT, agentText.toLatin1().constData());
    curl_slist *list = nullptr;
    if (!acceptText.isEmpty())
        list = curl_slist_append(list, ("Accept: " + acceptText.toLatin1()).constData());
    headers = list;
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, list);
    // The game takes its configuration from nowhere but its own files: no proxy from the
    // environment either.
    curl_easy_setopt(handle, CURLOPT_PROXY, "");
    curl_easy_setopt(handle, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(handle, CURLOPT_INTERFACE, LocalAddress);
    curl_easy_setopt(handle, CURLOPT_IPRESOLVE, long(CURL_IPRESOLVE_V4));
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, AllowedProtocols);
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, AllowedProtocols);
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, MaxRedirects);
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(MaxDocumentSize));
    // One request, one connection: nothing idles in a cache with a notifier on it.
    curl_easy_setopt(handle, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &HttpCli::headerCallback);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &HttpCli::writeCallback);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, this);

    easy = handle;
    if (curl_multi_add_handle(multi, handle) != CURLM_OK) {
        finish(CURLE_FAILED_INIT);
        return false;
    }

    QPointer<HttpCli> self(this);
    QEventLoop loop;
    waitLoop = &loop;
    if (easy) loop.exec();
    if (!self) return false;
    waitLoop = nullptr;
    // The loop also ends when the application quits; the request must not outlive that.
    if (easy) abort();
    return succeeded;
}

void HttpCli::abort()
{
    if (!easy) return;
    aborted = true;
    pending.clear();
    finish(CURLE_ABORTED_BY_CALLBACK);
}

void HttpCli::finish(int curlCode)
{
    CURL *handle = easy;
    const auto code = CURLcode(curlCode);

    succeeded = false;
    if (aborted) {
        status = FailureStatus;
        reason = QString::fromLatin1(AbortReason);
    } else if (refusedStatus) {
        status = responseStatus;
        reason = QString::fromLatin1(responseReason);
        if (reason.isEmpty()) reason = QString::fromLatin1(StatusReason) + QString::number(status);
    } else if (code == CURLE_OK) {
        long answered = 0;
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &answered);
        status = int(answered);
        reason = QString::fromLatin1(responseReason);
        succeeded = status > 0 && status < 400;
        if (!succeeded && reason.isEmpty())
            reason = QString::fromLatin1(StatusReason) + QString::number(status);
    } else {
        status = FailureStatus;
        if (tooManyHeaders)
            reason = QString::fromLatin1(TooManyHeadersReason);
        else if (tooLarge || code == CURLE_FILESIZE_EXCEEDED)
            reason = QString::fromLatin1(TooLargeReason);
        else if (writeFailed)
            reason = QString::fromLatin1(WriteFailedReason) +
                     (stream ? stream->errorString() : QString());
        else if (errorBuffer[0])
            reason = QString::fromLocal8Bit(errorBuffer);
        else
            reason = QString::fromLatin1(curl_easy_strerror(code));
    }

    // Cleared first: removing the handle calls back into the socket bookkeeping.
    easy = nullptr;
    curl_multi_remove_handle(multi, handle);
    curl_easy_cleanup(handle);
    curl_slist_free_all(static_cast<curl_slist *>(headers));
    headers = nullptr;
    if (waitLoop) waitLoop->quit();
}

int HttpCli::socketCallback(void *, int fd, int what, void *self, void *)
{
    static_cast<HttpCli *>(self)->watchSocket(fd, what);
    return 0;
}

int HttpCli::timerCallback(void *, long timeoutMs, void *self)
{
    auto *cli = static_cast<HttpCli *>(self);
    if (timeoutMs < 0)
        cli->timer->stop();
    else
        cli->timer->start(int(qMin(timeoutMs, long(24 * 3600 * 1000))));
    return 0;
}

size_t HttpCli::headerCallback(char *data, size_t size, size_t count, void *self)
{
    auto *cli = static_cast<HttpCli *>(self);
    const size_t length = size * count;
    cli->headerLine(QByteArray(data, qsizetype(length)));
    // A wrong count makes libcurl stop the transfer at once.
    return cli->tooManyHeaders || cli->refusedStatus ? 0 : length;
}

size_t HttpCli::writeCallback(char *data, size_t size, size_t count, void *self)
{
    return static_cast<HttpCli *>(self)->documentData(data, size * count);
}

void HttpCli::watchSocket(int fd, int what)
{
    if (what == CURL_POLL_REMOVE) {
        forgetSocket(fd);
        return;
    }
    Watch &watch = watches[fd];
    const bool wantRead = what == CURL_POLL_IN || what == CURL_POLL_INOUT;
    const bool wantWrite = what == CURL_POLL_OUT || what == CURL_POLL_INOUT;
    if (wantRead && !watch.read) {
        watch.read = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(watch.read, &QSocketNotifier::activated, this,
                [this, fd] { drive(fd, CURL_CSELECT_IN); });
    }
    if (wantWrite && !watch.write) {
        watch.write = new QSocketNotifier(fd, QSocketNotifier::Write, this);
        connect(watch.write, &QSocketNotifier::activated, this,
                [this, fd] { drive(fd, CURL_CSELECT_OUT); });
    }
    if (watch.read) watch.read->setEnabled(wantRead);
    if (watch.write) watch.write->setEnabled(wantWrite);
}

void HttpCli::forgetSocket(int fd)
{
    const auto it = watches.find(fd);
    if (it == watches.end()) return;
    // The notifier may be the one whose signal is running right now, so it goes later; the
    // descriptor may be reused by the next socket meanwhile, which gets a notifier of its own.
    for (QSocketNotifier *notifier : {it->second.read, it->second.write}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    watches.erase(it);
}

void HttpCli::drive(int fd, int events)
{
    if (!multi) return;
    int running = 0;
    curl_multi_socket_action(multi, fd, events, &running);
    pump();
}

void HttpCli::pump()
{
    QPointer<HttpCli> self(this);
    deliverEvents();
    if (self) checkDone();
}

void HttpCli::deliverEvents()
{
    QPointer<HttpCli> self(this);
    // A slot may run an event loop of its own and so come back here; each event still goes
    // out once and in order because it leaves the queue before it is emitted.
    while (self && !pending.empty()) {
        const Event event = std::move(pending.front());
        pending.pop_front();
        switch (event.kind) {
        case EventKind::header:
            emit headerData(event.line);
            break;
        case EventKind::begin:
            emit docBegin();
            break;
        case EventKind::data:
            emit docData(event.count);
            break;
        }
    }
}

void HttpCli::checkDone()
{
    int left = 0;
    while (easy) {
        CURLMsg *message = curl_multi_info_read(multi, &left);
        if (!message) break;
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy)
            finish(message->data.result);
    }
}

void HttpCli::headerLine(const QByteArray &raw)
{
    const QByteArray line = withoutLineEnd(raw);
    if (line.isEmpty()) {
        // The end of one answer's header block.
        if (responseStatus >= 100 && responseStatus < 200) return;
        if (responseStatus >= 400 || responseStatus <= 0)
            refusedStatus = true;
        else if (!responseRedirects) {
            inDocument = true;
            pending.push_back({EventKind::begin, {}, 0});
        }
        return;
    }

    if (++headerLines > MaxHeaderLines) {
        tooManyHeaders = true;
        return;
    }
    if (line.startsWith("HTTP/")) {
        // A new answer: an interim one, a redirection or the final one.
        QList<QByteArray> parts = line.simplified().split(' ');
        responseStatus = parts.size() > 1 ? parts.at(1).toInt() : 0;
        parts.remove(0, qMin<qsizetype>(2, parts.size()));
        responseReason = parts.join(' ').left(MaxReasonLength);
        responseRedirects = false;
        inDocument = false;
        announcedLength = -1;
    } else {
        const qsizetype colon = line.indexOf(':');
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (colon > 0 && name == "content-length") {
            bool ok = false;
            const qint64 length = value.toLongLong(&ok);
            announcedLength = ok && length >= 0 ? length : -1;
        } else if (colon > 0 && name == "location" && isFollowedRedirect(responseStatus)) {
            responseRedirects = true;
        }
    }
    pending.push_back({EventKind::header, line, 0});
}

size_t HttpCli::documentData(const char *data, size_t length)
{
    // The body of an answer that is not the document (a redirection) is read and dropped.
    if (!inDocument) return length;
    if (qint64(length) > MaxDocumentSize - received) {
        tooLarge = true;
        return 0;
    }
    if (stream && stream->write(data, qint64(length)) != qint64(length)) {
        writeFailed = true;
        return 0;
    }
    received += qint64(length);
    // Pieces that arrive before the next delivery are announced once, with the latest count.
    if (!pending.empty() && pending.back().kind == EventKind::data)
        pending.back().count = received;
    else
        pending.push_back({EventKind::data, {}, received});
    return length;
}
