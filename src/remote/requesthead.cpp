#include "requesthead.h"

namespace {

QList<QPair<QByteArray, QByteArray>> parseQuery(const QByteArray &query)
{
    QList<QPair<QByteArray, QByteArray>> pairs;
    for (const QByteArray &item : query.split('&')) {
        if (item.isEmpty())
            continue;
        const qsizetype eq = item.indexOf('=');
        QByteArray name = eq < 0 ? item : item.left(eq);
        QByteArray value = eq < 0 ? QByteArray() : item.mid(eq + 1);
        // A form's '+' is a space; the key is hex, so only a deliberate one gets here.
        name.replace('+', ' ');
        value.replace('+', ' ');
        pairs.append(
            {QByteArray::fromPercentEncoding(name), QByteArray::fromPercentEncoding(value)});
    }
    return pairs;
}

bool isToken(const QByteArray &text)
{
    if (text.isEmpty())
        return false;
    for (const char c : text)
        if (c <= ' ' || c >= 0x7f || QByteArrayView("()<>@,;:\\\"/[]?={}").contains(c))
            return false;
    return true;
}

} // namespace

QByteArray RequestHead::queryValue(const QByteArray &name) const
{
    for (const auto &[n, v] : query)
        if (n == name)
            return v;
    return {};
}

bool RequestHead::hasQuery(const QByteArray &name) const
{
    for (const auto &pair : query)
        if (pair.first == name)
            return true;
    return false;
}

QByteArray RequestHead::header(const QByteArray &lowerName) const
{
    for (const auto &[n, v] : headers)
        if (n == lowerName)
            return v;
    return {};
}

bool RequestHead::isWebSocketUpgrade() const
{
    return header("upgrade").trimmed().compare("websocket", Qt::CaseInsensitive) == 0;
}

bool RequestHead::announcesNoBody() const
{
    int lengths = 0;
    for (const auto &[n, v] : headers) {
        if (n == "transfer-encoding")
            return false;
        if (n != "content-length")
            continue;
        if (++lengths > 1 || v.isEmpty())
            return false;
        for (const char c : v)
            if (c != '0')
                return false;
    }
    return true;
}

qsizetype requestHeadEnd(const QByteArray &received)
{
    const qsizetype end = received.indexOf("\r\n\r\n");
    return end < 0 ? -1 : end + 4;
}

std::optional<RequestHead> parseRequestHead(const QByteArray &head)
{
    QList<QByteArray> lines = head.split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        return std::nullopt;
    const QList<QByteArray> request = lines.takeFirst().split(' ');
    if (request.size() != 3 || !isToken(request.at(0)) || !request.at(1).startsWith('/') ||
        (request.at(2) != "HTTP/1.1" && request.at(2) != "HTTP/1.0"))
        return std::nullopt;
    RequestHead result;
    result.method = request.at(0);
    const QByteArray &target = request.at(1);
    const qsizetype question = target.indexOf('?');
    result.path = QByteArray::fromPercentEncoding(question < 0 ? target : target.left(question));
    if (question >= 0)
        result.query = parseQuery(target.mid(question + 1));
    for (const QByteArray &line : std::as_const(lines)) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !isToken(line.left(colon)))
            return std::nullopt;
        result.headers.append({line.left(colon).toLower(), line.mid(colon + 1).trimmed()});
    }
    return result;
}
