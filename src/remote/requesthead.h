#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

#include <optional>

// The head of one HTTP request, as the remote server reads it before anything
// else sees the connection.
struct RequestHead
{
    QByteArray method;
    QByteArray path;                              // percent-decoded, without the query
    QList<QPair<QByteArray, QByteArray>> query;   // percent-decoded, in order
    QList<QPair<QByteArray, QByteArray>> headers; // names in lower case

    // The first query value or header named `name`; empty when absent.
    QByteArray queryValue(const QByteArray &name) const;
    QByteArray header(const QByteArray &lowerName) const;
    bool hasQuery(const QByteArray &name) const;
    bool isWebSocketUpgrade() const;
    // No Transfer-Encoding, and at most one Content-Length, of digits only,
    // that is zero: anything else could hide a second request in a "body".
    bool announcesNoBody() const;
};

// Where the head ends (just past its blank line) in the bytes received so
// far; -1 while it has not ended.
qsizetype requestHeadEnd(const QByteArray &received);
// Parses a complete head; nothing when it is not HTTP/1.x or is malformed.
std::optional<RequestHead> parseRequestHead(const QByteArray &head);
