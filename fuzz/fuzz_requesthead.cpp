// Reads any bytes as the head of a request to the remote server: a head that
// parses has a method token, a path from the root and clean header names.
#include "requesthead.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype end = requestHeadEnd(bytes);
    if (end > bytes.size() || (end >= 0 && !bytes.left(end).endsWith("\r\n\r\n")))
        std::abort();
    const std::optional<RequestHead> head = parseRequestHead(end < 0 ? bytes : bytes.left(end));
    if (!head)
        return 0;
    if (head->method.isEmpty() || head->method.contains(' ') || !head->path.startsWith('/'))
        std::abort();
    for (const auto &[name, value] : head->headers) {
        if (name.isEmpty() || name != name.toLower() || name.contains(':') || name.contains('\r') ||
            name.contains('\n') || value.contains('\n'))
            std::abort();
    }
    // A head taken for one without a body hides no length a server might honour.
    if (head->announcesNoBody()) {
        int lengths = 0;
        for (const auto &[name, value] : head->headers) {
            if (name == "transfer-encoding")
                std::abort();
            if (name == "content-length" && (++lengths > 1 || value.toULongLong() != 0 ||
                                             value.isEmpty() || value.contains('x')))
                std::abort();
        }
    }
    (void)head->isWebSocketUpgrade();
    (void)head->queryValue("k");
    return 0;
}
