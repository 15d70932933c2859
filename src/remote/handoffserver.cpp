#include "handoffserver.h"

#include <QAbstractHttpServer>
#include <QTcpSocket>

#include <functional>

namespace {

QtMessageHandler g_previousHandler = nullptr;

// Qt warns whenever a server that does not listen is bound or handed a
// connection; for this one that is the point, so those two warnings are
// dropped while it happens and every other message passes on.
void dropNotListening(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && (message.contains(QLatin1String("called while not listening")) ||
                                 message.contains(QLatin1String("is not listening"))))
        return;
    if (g_previousHandler)
        g_previousHandler(type, context, message);
}

void quietly(const std::function<void()> &step)
{
    g_previousHandler = qInstallMessageHandler(dropNotListening);
    step();
    qInstallMessageHandler(g_previousHandler);
}

} // namespace

void HandoffServer::bindTo(QAbstractHttpServer &http)
{
    // Qt 6.8 binds only a server that listens: this one listens on loopback for the
    // moment of binding and stops before the event loop could accept anything there.
    const bool listening = listen(QHostAddress::LocalHost, 0);
    quietly([&] { http.bind(this); });
    if (listening)
        close();
}

void HandoffServer::handOver(QTcpSocket *socket)
{
    // The HTTP server takes it when addPendingConnection announces it.
    quietly([&] { addPendingConnection(socket); });
    // The head is already buffered: nothing new will arrive to say so.
    Q_EMIT socket->readyRead();
}
