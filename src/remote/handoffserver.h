#pragma once

#include <QTcpServer>

// A server that listens nowhere: the remote server's front hands it the
// connections it has checked, and the HTTP server bound to it takes them.
class HandoffServer final : public QTcpServer
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HandoffServer)

public:
    explicit HandoffServer(QObject *parent = nullptr) : QTcpServer(parent) {}

    void handOver(QTcpSocket *socket);
};
