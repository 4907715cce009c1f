// The one place a request from a browser is read: the head of an HTTP/1.1
// request (request line and header lines), bounded in every dimension, since
// anyone on the network can send anything.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

namespace http {

// Bounds of a request head. A longer head is refused before it is read whole.
inline constexpr int MaxHeadBytes = 8192;
inline constexpr int MaxRequestLineBytes = 2048;
inline constexpr int MaxHeaders = 64;

enum class HeadState
{
    Incomplete, // no blank line yet, and still within MaxHeadBytes
    Complete,
    TooLarge
};

// Where the head ends in `buffer` (the length up to and including the blank
// line), or 0 when it has not ended yet.
int headLength(const QByteArray &buffer);
HeadState headState(const QByteArray &buffer);

struct Request
{
    bool valid = false;
    int errorStatus = 400; // the answer when not valid: 400, 405, 413, 414, 431, 505
    QByteArray method;     // GET or HEAD
    QByteArray path;       // the target's path, percent-decoded, without the query
    bool http11 = true;
    // Header names in lower case, values with surrounding blanks removed.
    QList<QPair<QByteArray, QByteArray>> headers;

    QByteArray header(const QByteArray &lowerName) const;
    bool hasToken(const QByteArray &lowerName, const QByteArray &lowerToken) const;
    bool keepAlive() const;
    bool isWebSocketUpgrade() const;
};

// Reads a complete head (as cut by headLength). Only GET and HEAD without a
// body are taken; anything else is an invalid request with its status.
Request parseHead(const QByteArray &head);

// The response head for `status` with the given extra header lines (each
// "Name: value", without CR LF), always with the page's safety headers.
QByteArray responseHead(int status, const QByteArray &contentType, qint64 contentLength,
                        bool keepAlive, const QList<QByteArray> &extra = {});
QByteArray reasonPhrase(int status);

} // namespace http
