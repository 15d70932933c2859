#include "remoteserver.h"

#include "handoffserver.h"
#include "httpcompat.h"
#include "lockout.h"
#include "remotekey.h"
#include "requesthead.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>
#include <QWebSocket>
#include <QWebSocketServer>

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 429:
        return "Too Many Requests";
    case 431:
        return "Request Header Fields Too Large";
    default:
        return "Service Unavailable";
    }
}

// An IPv4 client reached through the dual-stack socket is the same client as over IPv4.
QHostAddress plainAddress(const QHostAddress &address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : address;
}

QByteArray errorJson(const QString &text)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("error"), text}})
        .toJson(QJsonDocument::Compact);
}

QHttpServerResponse
jsonResponse(const QByteArray &json,
             QHttpServerResponse::StatusCode status = QHttpServerResponse::StatusCode::Ok)
{
    return QHttpServerResponse(QByteArrayLiteral("application/json"), json, status);
}

} // namespace

RemoteServer::RemoteServer(QObject *parent)
    : QObject(parent), m_clock([] { return QDeadlineTimer::current().deadline(); }),
      m_lockout(std::make_unique<Lockout>()), m_http(new QHttpServer(this)),
      m_handoff(new HandoffServer(this)),
      m_webSocketServer(std::make_unique<QWebSocketServer>(QStringLiteral("tavrix"),
                                                           QWebSocketServer::NonSecureMode))
{
    m_handoff->bindTo(*m_http);
    setUpRoutes();
    m_webSocketServer->setMaxPendingConnections(kMaxClients);
    connect(m_webSocketServer.get(), &QWebSocketServer::newConnection, this,
            &RemoteServer::onWebSocket);
    m_pushTimer.setSingleShot(true);
    connect(&m_pushTimer, &QTimer::timeout, this, &RemoteServer::push);
}

RemoteServer::~RemoteServer()
{
    stop();
    // The connections' signals reach members: the children go while those still exist.
    while (!children().isEmpty())
        delete children().constFirst();
}

bool RemoteServer::start(quint16 port, const QHostAddress &address)
{
    stop();
    m_error.clear();
    auto front = std::make_unique<QTcpServer>();
    if (!front->listen(address, port)) {
        m_error = front->serverError() == QAbstractSocket::AddressInUseError
                      ? tr("Port %1 is in use by another program. Choose another port and "
                           "start again.")
                            .arg(port)
                      : tr("Cannot listen on port %1: %2").arg(port).arg(front->errorString());
        return false;
    }
    m_front = std::move(front);
    connect(m_front.get(), &QTcpServer::newConnection, this, &RemoteServer::onNewConnection);
    m_key = makeRemoteKey();
    m_lockout->clear();
    m_lastPushed.clear();
    Q_EMIT runningChanged(true);
    return true;
}

void RemoteServer::stop()
{
    if (!m_front)
        return;
    m_front.reset();
    m_key.clear();
    m_pushTimer.stop();
    const QList<QPointer<QWebSocket>> sockets = std::exchange(m_webSockets, {});
    for (const QPointer<QWebSocket> &ws : sockets) {
        if (!ws)
            continue;
        ws->close(QWebSocketProtocol::CloseCodeGoingAway, tr("Remote control stopped"));
        // A peer that never answers the close frame does not keep the connection.
        QTimer::singleShot(1000, ws, [ws] { ws->abort(); });
    }
    const auto clients = std::exchange(m_clients, {});
    for (const auto &[socket, client] : clients)
        if (client.socket && !client.webSocket)
            client.socket->abort();
    Q_EMIT clientsChanged(0);
    Q_EMIT runningChanged(false);
}

bool RemoteServer::isRunning() const
{
    return m_front != nullptr;
}

quint16 RemoteServer::port() const
{
    return m_front ? m_front->serverPort() : 0;
}

void RemoteServer::onNewConnection()
{
    while (QTcpSocket *socket = m_front->nextPendingConnection()) {
        // Not the listener's child: a stop closes the listener before its clients.
        socket->setParent(this);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        if (m_clients.size() >= kMaxClients) {
            refuse(socket, 503, "Too many clients");
            continue;
        }
        if (m_lockout->isLocked(plainAddress(socket->peerAddress()).toString(), m_clock())) {
            refuse(socket, 429, "Too many wrong keys: try again in a minute");
            continue;
        }
        Client &client = m_clients[socket];
        client.socket = socket;
        client.idle = std::make_unique<QTimer>();
        client.idle->setSingleShot(true);
        // The head must be complete within the limit: a trickle does not restart it.
        connect(client.idle.get(), &QTimer::timeout, socket, &QTcpSocket::abort);
        client.idle->start(m_idleMs);
        socket->setReadBufferSize(kMaxHeadBytes + 1);
        client.reading =
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onHeadData(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { forget(socket); });
        connect(socket, &QObject::destroyed, this, [this, socket] { forget(socket); });
        Q_EMIT clientsChanged(clientCount());
        if (socket->bytesAvailable() > 0)
            onHeadData(socket);
    }
}

void RemoteServer::onHeadData(QTcpSocket *socket)
{
    const QByteArray received = socket->peek(kMaxHeadBytes + 1);
    const qsizetype end = requestHeadEnd(received);
    if (end < 0) {
        if (received.size() > kMaxHeadBytes)
            refuse(socket, 431, "Request over 8 KiB");
        return;
    }
    if (end > kMaxHeadBytes) {
        refuse(socket, 431, "Request over 8 KiB");
        return;
    }
    const std::optional<RequestHead> head = parseRequestHead(received.left(end));
    if (!head || !head->header("transfer-encoding").isEmpty() ||
        head->header("content-length").toLongLong() != 0) {
        refuse(socket, 400, "Malformed request");
        return;
    }
    if (head->method != "GET") {
        refuse(socket, 405, "Only GET");
        return;
    }
    if (!sameKey(head->queryValue("k"), m_key)) {
        m_lockout->fail(plainAddress(socket->peerAddress()).toString(), m_clock());
        refuse(socket, 401, "Wrong or missing key");
        return;
    }
    if (head->isWebSocketUpgrade()) {
        if (head->path != "/ws") {
            refuse(socket, 404, "No WebSocket here");
            return;
        }
        if (!originIsOurs(socket, head->header("origin"))) {
            refuse(socket, 403, "Foreign origin");
            return;
        }
    }
    admit(socket, *head);
}

void RemoteServer::admit(QTcpSocket *socket, const RequestHead &head)
{
    Client &client = m_clients.at(socket);
    disconnect(client.reading);
    if (head.isWebSocketUpgrade()) {
        // The WebSocket server owns the connection from here, its deletion included.
        client.webSocket = true;
        client.idle.reset();
        disconnect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        m_webSocketServer->setHandshakeTimeout(m_idleMs);
        m_webSocketServer->handleConnection(socket);
        Q_EMIT socket->readyRead();
        return;
    }
    // One request a connection: once the answer is out, the connection closes.
    connect(socket, &QTcpSocket::bytesWritten, socket, [socket] {
        if (socket->bytesToWrite() == 0)
            socket->disconnectFromHost();
    });
    client.idle->start(m_idleMs);
    m_handoff->handOver(socket);
}

void RemoteServer::refuse(QTcpSocket *socket, int status, const QByteArray &reason)
{
    if (const auto it = m_clients.find(socket); it != m_clients.end())
        disconnect(it->second.reading);
    const QByteArray body = reason + '\n';
    QByteArray answer = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) +
                        "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
                        QByteArray::number(body.size()) +
                        "\r\nConnection: close\r\nCache-Control: no-store\r\n";
    if (status == 405)
        answer += "Allow: GET\r\n";
    socket->write(answer + "\r\n" + body);
    socket->disconnectFromHost();
}

void RemoteServer::forget(QTcpSocket *socket)
{
    if (m_clients.erase(socket) > 0)
        Q_EMIT clientsChanged(clientCount());
}

bool RemoteServer::originIsOurs(const QTcpSocket *socket, const QByteArray &origin) const
{
    const QHostAddress local = plainAddress(socket->localAddress());
    const QString port = QString::number(socket->localPort());
    QStringList ours;
    if (local.protocol() == QAbstractSocket::IPv6Protocol)
        ours.append(QLatin1String("http://[") + local.toString() + QLatin1String("]:") + port);
    else
        ours.append(QLatin1String("http://") + local.toString() + u':' + port);
    if (local.isLoopback())
        ours.append(QLatin1String("http://localhost:") + port);
    return ours.contains(QString::fromLatin1(origin), Qt::CaseInsensitive);
}

void RemoteServer::setUpRoutes()
{
    using Method = QHttpServerRequest::Method;
    m_http->route(QStringLiteral("/"), Method::Get, [this] {
        return page(QStringLiteral(":/remote/index.html"), "text/html; charset=utf-8");
    });
    m_http->route(QStringLiteral("/remote.js"), Method::Get, [this] {
        return page(QStringLiteral(":/remote/remote.js"), "text/javascript; charset=utf-8");
    });
    m_http->route(QStringLiteral("/remote.css"), Method::Get, [this] {
        return page(QStringLiteral(":/remote/remote.css"), "text/css; charset=utf-8");
    });
    m_http->route(QStringLiteral("/api/<arg>"), Method::Get,
                  [this](const QString &name, const QHttpServerRequest &request) {
                      return api(name, request);
                  });
    addHeadersToEveryResponse(*m_http,
                              {{"Connection", "close"},
                               {"Cache-Control", "no-store"},
                               {"X-Content-Type-Options", "nosniff"},
                               // The key is in the address: no page it links to may see it.
                               {"Referrer-Policy", "no-referrer"},
                               {"Content-Security-Policy",
                                "default-src 'none'; script-src 'self'; style-src 'self'; "
                                "connect-src 'self'; img-src 'self'; frame-ancestors 'none'"}});
}

// Only the program's own resources: never a file of the disk.
QHttpServerResponse RemoteServer::page(const QString &resource, const QByteArray &type) const
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return QHttpServerResponse(QHttpServerResponse::StatusCode::NotFound);
    QByteArray content = file.readAll();
    // The key is hex: it needs no escaping in the page's addresses.
    content.replace("@KEY@", m_key);
    return QHttpServerResponse(type, content);
}

QHttpServerResponse RemoteServer::api(const QString &name, const QHttpServerRequest &request)
{
    using Status = QHttpServerResponse::StatusCode;
    if (name == QLatin1String("state"))
        return jsonResponse(readoutJson());
    const std::optional<OperatorAction> action = actionFromName(name);
    if (!action)
        return jsonResponse(errorJson(tr("No such action")), Status::NotFound);
    int value = 0;
    if (actionTakesValue(*action)) {
        const std::optional<int> number = actionValueFromText(
            request.query().queryItemValue(QStringLiteral("v"), QUrl::FullyDecoded));
        if (!number)
            return jsonResponse(errorJson(tr("v must be a whole number")), Status::BadRequest);
        value = *number;
    }
    if (m_perform)
        m_perform(*action, value);
    return jsonResponse(readoutJson());
}

void RemoteServer::onWebSocket()
{
    while (m_webSocketServer->hasPendingConnections()) {
        QWebSocket *ws = m_webSocketServer->nextPendingConnection();
        if (!ws)
            break;
        ws->setParent(this);
        ws->setMaxAllowedIncomingFrameSize(kMaxMessageBytes);
        ws->setMaxAllowedIncomingMessageSize(kMaxMessageBytes);
        connect(ws, &QWebSocket::textMessageReceived, this,
                [this, ws](const QString &message) { onWebSocketMessage(ws, message); });
        connect(ws, &QWebSocket::binaryMessageReceived, ws, [ws] {
            ws->close(QWebSocketProtocol::CloseCodeDatatypeNotSupported, tr("Text only"));
        });
        connect(ws, &QWebSocket::disconnected, this, [this, ws] {
            m_webSockets.removeAll(ws);
            ws->deleteLater();
            if (m_webSockets.isEmpty())
                m_pushTimer.stop();
        });
        if (!m_front) {
            ws->abort();
            continue;
        }
        m_webSockets.append(ws);
        ws->sendTextMessage(QString::fromUtf8(readoutJson()));
    }
}

// "faster", "speed 30": an action's name and, for set speed and set step, its number.
void RemoteServer::onWebSocketMessage(QWebSocket *socket, const QString &message)
{
    const qsizetype space = message.indexOf(u' ');
    const QStringView name = QStringView(message).left(space < 0 ? message.size() : space);
    const std::optional<OperatorAction> action = actionFromName(name);
    if (!action) {
        socket->sendTextMessage(QString::fromUtf8(errorJson(tr("No such action"))));
        return;
    }
    int value = 0;
    if (actionTakesValue(*action)) {
        const std::optional<int> number =
            actionValueFromText(space < 0 ? QStringView() : QStringView(message).mid(space + 1));
        if (!number) {
            socket->sendTextMessage(QString::fromUtf8(errorJson(tr("A whole number, please"))));
            return;
        }
        value = *number;
    }
    if (m_perform)
        m_perform(*action, value);
}

void RemoteServer::readoutChanged()
{
    if (m_webSockets.isEmpty() || m_pushTimer.isActive())
        return;
    const qint64 since = m_sincePush.isValid() ? m_sincePush.elapsed() : kPushMs;
    if (since >= kPushMs)
        push();
    else
        m_pushTimer.start(int(kPushMs - since));
}

void RemoteServer::push()
{
    m_sincePush.start();
    const QByteArray json = readoutJson();
    if (json == m_lastPushed)
        return;
    m_lastPushed = json;
    const QString text = QString::fromUtf8(json);
    for (const QPointer<QWebSocket> &ws : std::as_const(m_webSockets))
        if (ws)
            ws->sendTextMessage(text);
}

QByteArray RemoteServer::readoutJson() const
{
    const Readout r = m_readout ? m_readout() : Readout();
    const QJsonObject object{
        {QStringLiteral("speed"), r.speed},     {QStringLiteral("coarse"), r.coarse},
        {QStringLiteral("elapsed"), r.elapsed}, {QStringLiteral("remaining"), r.remaining},
        {QStringLiteral("title"), r.title},     {QStringLiteral("speedValue"), r.speedValue},
        {QStringLiteral("step"), r.step},       {QStringLiteral("paused"), r.paused},
        {QStringLiteral("percent"), r.percent}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}
