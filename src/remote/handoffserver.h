#pragma once

#include <QTcpServer>

class QAbstractHttpServer;

// A server that listens nowhere: the remote server's front hands it the
// connections it has checked, and the HTTP server bound to it takes them.
class HandoffServer final : public QTcpServer
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HandoffServer)

public:
    explicit HandoffServer(QObject *parent = nullptr) : QTcpServer(parent) {}

    // Binds the HTTP server to this one.
    void bindTo(QAbstractHttpServer &http);
    void handOver(QTcpSocket *socket);
};
