#include "handoffserver.h"

#include <QTcpSocket>

void HandoffServer::handOver(QTcpSocket *socket)
{
    // addPendingConnection announces it; newConnection too, for takers that wait for that.
    addPendingConnection(socket);
    Q_EMIT newConnection();
    // The head is already buffered: nothing new will arrive to say so.
    Q_EMIT socket->readyRead();
}
