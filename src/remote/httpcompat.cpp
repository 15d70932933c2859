#include "httpcompat.h"

#include <QHttpServer>
#include <QHttpServerResponse>
#include <QtGlobal>

#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
#include <QHttpHeaders>
#include <QHttpServerRequest>
#endif

void addHeadersToEveryResponse(QHttpServer &server, const HttpHeaderList &headers)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    server.addAfterRequestHandler(
        &server, [headers](const QHttpServerRequest &, QHttpServerResponse &response) {
            QHttpHeaders all = response.headers();
            for (const auto &[name, value] : headers)
                all.append(name, value);
            response.setHeaders(std::move(all));
        });
#else
    server.afterRequest([headers](QHttpServerResponse &&response) {
        for (const auto &[name, value] : headers)
            response.addHeader(name, value);
        return std::move(response);
    });
#endif
}
