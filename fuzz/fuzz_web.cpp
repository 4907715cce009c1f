// What a stranger's browser (or anything else) sends to the web port: request
// heads of any shape, the paths they ask for, and the small texts the page's
// side reads (join tokens, the letters of a round). Nothing outside the
// embedded files is ever found, and every answer stays inside its bounds.
#include "fuzz/fuzzsupport.h"
#include "web/httprequest.h"
#include "web/webfiles.h"
#include "web/webplayer.h"

using fuzzsupport::Input;

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzsupport::startQt<QCoreApplication>(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input in(data, size);
    const quint8 mode = in.byte();
    const QByteArray bytes = in.rest();

    if (mode % 3 == 1) {
        int count = -1;
        cmd::toClient::Letters letters;
        letters.read(bytes);
        const QString caption = WebPlayer::lettersCaption(letters, count);
        FUZZ_CHECK(count >= 0, "letter count never negative");
        FUZZ_CHECK(caption.size() <= bytes.size(), "caption only from the message");
        const bool token = WebPlayer::validToken(bytes);
        FUZZ_CHECK(!token || (bytes.size() >= WebPlayer::MinTokenChars &&
                              bytes.size() <= WebPlayer::MaxTokenChars && !bytes.contains('+')),
                   "tokens are short and plain");
        return 0;
    }

    const http::HeadState state = http::headState(bytes);
    const int length = http::headLength(bytes);
    if (state == http::HeadState::Incomplete)
        FUZZ_CHECK(length == 0 && bytes.size() <= http::MaxHeadBytes, "incomplete head is small");
    if (state != http::HeadState::Complete) return 0;
    FUZZ_CHECK(length > 0 && length <= http::MaxHeadBytes, "complete head within bounds");

    const http::Request request = http::parseHead(bytes.left(length));
    if (!request.valid) {
        const int s = request.errorStatus;
        FUZZ_CHECK(s == 400 || s == 405 || s == 413 || s == 414 || s == 431 || s == 505,
                   "refusals are client errors");
        return 0;
    }
    FUZZ_CHECK(request.method == "GET" || request.method == "HEAD", "only GET and HEAD");
    FUZZ_CHECK(request.path.startsWith('/'), "paths are absolute");
    FUZZ_CHECK(request.headers.size() <= http::MaxHeaders, "bounded headers");
    const webfiles::File file = webfiles::lookup(request.path);
    if (file.found) {
        FUZZ_CHECK(request.path == "/categories.json" || webfiles::isPlainPath(request.path),
                   "only plain paths are served");
        FUZZ_CHECK(!file.contentType.isEmpty(), "every file has a type");
    }
    const QByteArray head = http::responseHead(file.found ? 200 : 404, file.contentType,
                                               file.body.size(), request.keepAlive());
    FUZZ_CHECK(head.endsWith("\r\n\r\n") && head.count("\r\n\r\n") == 1, "one response head");
    return 0;
}
