#include "web/httprequest.h"

namespace http {

namespace {

const QByteArray Crlf("\r\n");
const QByteArray EndOfHead("\r\n\r\n");

bool isTokenChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           QByteArray("!#$%&'*+-.^_`|~").contains(c);
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Percent-decodes a path; false for a malformed escape or a NUL byte.
bool decodePath(const QByteArray &raw, QByteArray &out)
{
    out.clear();
    for (int i = 0; i < raw.size(); ++i) {
        const char c = raw.at(i);
        if (c != '%') {
            out += c;
            continue;
        }
        if (i + 2 >= raw.size()) return false;
        const int hi = hexValue(raw.at(i + 1));
        const int lo = hexValue(raw.at(i + 2));
        if (hi < 0 || lo < 0 || (hi == 0 && lo == 0)) return false;
        out += char(hi * 16 + lo);
        i += 2;
    }
    return true;
}

Request refused(int status)
{
    Request request;
    request.errorStatus = status;
    return request;
}

} // namespace

int headLength(const QByteArray &buffer)
{
    const int end = int(buffer.indexOf(EndOfHead));
    return end < 0 ? 0 : end + int(EndOfHead.size());
}

HeadState headState(const QByteArray &buffer)
{
    const int length = headLength(buffer);
    if (length > 0) return length <= MaxHeadBytes ? HeadState::Complete : HeadState::TooLarge;
    return buffer.size() > MaxHeadBytes ? HeadState::TooLarge : HeadState::Incomplete;
}

QByteArray Request::header(const QByteArray &lowerName) const
{
    for (const auto &h : headers)
        if (h.first == lowerName) return h.second;
    return {};
}

bool Request::hasToken(const QByteArray &lowerName, const QByteArray &lowerToken) const
{
    for (const auto &h : headers) {
        if (h.first != lowerName) continue;
        for (const QByteArray &part : h.second.split(','))
            if (part.trimmed().toLower() == lowerToken) return true;
    }
    return false;
}

bool Request::keepAlive() const
{
    if (hasToken("connection", "close")) return false;
    return http11 || hasToken("connection", "keep-alive");
}

bool Request::isWebSocketUpgrade() const
{
    return hasToken("upgrade", "websocket") && hasToken("connection", "upgrade");
}

Request parseHead(const QByteArray &head)
{
    if (head.size() > MaxHeadBytes) return refused(431);
    QList<QByteArray> lines = head.split('\n');
    // Every line ends in CR LF; the split leaves the CR and two empty tails.
    QList<QByteArray> cut;
    for (QByteArray line : lines) {
        if (line.endsWith('\r')) line.chop(1);
        cut.append(line);
    }
    while (!cut.isEmpty() && cut.last().isEmpty())
        cut.removeLast();
    if (cut.isEmpty()) return refused(400);

    const QByteArray &requestLine = cut.first();
    if (requestLine.size() > MaxRequestLineBytes) return refused(414);
    const QList<QByteArray> parts = requestLine.split(' ');
    if (parts.size() != 3) return refused(400);
    Request request;
    request.method = parts.at(0);
    const QByteArray &target = parts.at(1);
    const QByteArray &version = parts.at(2);
    if (version == "HTTP/1.1")
        request.http11 = true;
    else if (version == "HTTP/1.0")
        request.http11 = false;
    else if (version.startsWith("HTTP/"))
        return refused(505);
    else
        return refused(400);
    if (request.method.isEmpty()) return refused(400);
    for (char c : request.method)
        if (!isTokenChar(c)) return refused(400);

    if (cut.size() - 1 > MaxHeaders) return refused(431);
    for (int i = 1; i < cut.size(); ++i) {
        const QByteArray &line = cut.at(i);
        const int colon = int(line.indexOf(':'));
        if (colon <= 0) return refused(400);
        const QByteArray name = line.left(colon);
        for (char c : name)
            if (!isTokenChar(c)) return refused(400);
        for (char c : line)
            if ((c >= 0 && c < 0x20 && c != '\t') || c == 0x7f) return refused(400);
        request.headers.append({name.toLower(), line.mid(colon + 1).trimmed()});
    }

    if (request.method != "GET" && request.method != "HEAD") return refused(405);
    // Nothing the page sends has a body; a request that announces one is not ours.
    const QByteArray length = request.header("content-length");
    if ((!length.isEmpty() && length != "0") || !request.header("transfer-encoding").isEmpty())
        return refused(413);
    if (request.http11 && request.header("host").isEmpty()) return refused(400);

    if (!target.startsWith('/')) return refused(400);
    QByteArray rawPath = target;
    const int query = int(rawPath.indexOf('?'));
    if (query >= 0) rawPath.truncate(query);
    const int fragment = int(rawPath.indexOf('#'));
    if (fragment >= 0) rawPath.truncate(fragment);
    if (!decodePath(rawPath, request.path)) return refused(400);
    request.valid = true;
    request.errorStatus = 0;
    return request;
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 304:
        return "Not Modified";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 413:
        return "Content Too Large";
    case 414:
        return "URI Too Long";
    case 426:
        return "Upgrade Required";
    case 431:
        return "Request Header Fields Too Large";
    case 503:
        return "Service Unavailable";
    case 505:
        return "HTTP Version Not Supported";
    default:
        return "Error";
    }
}

QByteArray responseHead(int status, const QByteArray &contentType, qint64 contentLength,
                        bool keepAlive, const QList<QByteArray> &extra)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + Crlf;
    if (!contentType.isEmpty()) head += "Content-Type: " + contentType + Crlf;
    head += "Content-Length: " + QByteArray::number(contentLength) + Crlf;
    // The page runs only its own files: no inline or evaluated script, no
    // framing by other sites, no guessing of types.
    head += "Content-Security-Policy: default-src 'none'; script-src 'self'; style-src 'self'; "
            "img-src 'self' data:; media-src 'self'; connect-src 'self'; manifest-src 'self'; "
            "font-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'" +
            Crlf;
    head += "X-Content-Type-Options: nosniff" + Crlf;
    head += "X-Frame-Options: DENY" + Crlf;
    head += "Referrer-Policy: no-referrer" + Crlf;
    head += "Cache-Control: no-cache" + Crlf;
    for (const QByteArray &line : extra)
        head += line + Crlf;
    head += keepAlive ? "Connection: keep-alive" : "Connection: close";
    head += Crlf + Crlf;
    return head;
}

} // namespace http
