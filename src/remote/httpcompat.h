#pragma once

#include <QByteArray>
#include <QList>

#include <utility>

class QHttpServer;

using HttpHeaderList = QList<std::pair<QByteArray, QByteArray>>;

// Adds the headers to every response the server's routes give. Qt 6.8 replaced the
// hook and the way to add a header that Qt 6.4 has; this is the one place that knows both.
void addHeadersToEveryResponse(QHttpServer &server, const HttpHeaderList &headers);
