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
#include <QWebSocket>
#include <QWebSocketServer>

#include <algorithm>

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
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

// What every answer the front writes itself carries; the HTTP server adds the page's own.
constexpr char kAnswerHeaders[] = "Connection: close\r\nCache-Control: no-store\r\n"
                                  "X-Content-Type-Options: nosniff\r\n"
                                  "Referrer-Policy: no-referrer\r\n"
                                  "Content-Security-Policy: default-src 'none'; "
                                  "frame-ancestors 'none'\r\n";
constexpr char kJson[] = "application/json";

QByteArray errorJson(const QString &text)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("error"), text}})
        .toJson(QJsonDocument::Compact);
}

} // namespace

RemoteServer::RemoteServer(QObject *parent)
    : QObject(parent), m_clock([] { return QDeadlineTimer::current().deadline(); }),
      m_lockout(std::make_unique<Lockout>())
{
    m_pushTimer.setSingleShot(true);
    connect(&m_pushTimer, &QTimer::timeout, this, &RemoteServer::push);
}

// The HTTP and WebSocket servers load the TLS library when they are made (4 MB
// resident), so they are made when the operator first starts the remote.
void RemoteServer::createServers()
{
    if (m_http)
        return;
    m_http = new QHttpServer(this);
    m_handoff = new HandoffServer(this);
    m_webSocketServer = std::make_unique<QWebSocketServer>(QStringLiteral("tavrix"),
                                                           QWebSocketServer::NonSecureMode);
    m_handoff->bindTo(*m_http);
    setUpRoutes();
    m_webSocketServer->setMaxPendingConnections(kMaxClients);
    connect(m_webSocketServer.get(), &QWebSocketServer::newConnection, this,
            &RemoteServer::onWebSocket);
}

RemoteServer::~RemoteServer()
{
    stop();
    // The connections' signals reach members: the children go while those still exist.
    while (!children().isEmpty())
        delete children().constFirst();
}

bool RemoteServer::start(quint16 port, const QList<QHostAddress> &addresses)
{
    stop();
    createServers();
    m_error.clear();
    std::vector<std::unique_ptr<QTcpServer>> fronts;
    for (const QHostAddress &address : addresses) {
        if (std::any_of(fronts.cbegin(), fronts.cend(),
                        [&](const auto &f) { return f->serverAddress() == address; }))
            continue;
        // Port 0 picks one; every address then shares it.
        const quint16 wanted = fronts.empty() ? port : fronts.front()->serverPort();
        auto front = std::make_unique<QTcpServer>();
        if (!front->listen(address, wanted)) {
            m_error = front->serverError() == QAbstractSocket::AddressInUseError
                          ? tr("Port %1 is in use by another program. Choose another port and "
                               "start again.")
                                .arg(wanted)
                          : tr("Cannot listen on %1 port %2: %3")
                                .arg(address.toString())
                                .arg(wanted)
                                .arg(front->errorString());
            return false;
        }
        fronts.push_back(std::move(front));
    }
    if (fronts.empty()) {
        m_error = tr("No address to listen on.");
        return false;
    }
    m_fronts = std::move(fronts);
    for (const auto &front : m_fronts)
        connect(front.get(), &QTcpServer::newConnection, this,
                [this, f = front.get()] { onNewConnection(f); });
    ++m_run;
    m_key = makeRemoteKey();
    m_lockout->clear();
    m_lastPushed.clear();
    Q_EMIT runningChanged(true);
    return true;
}

void RemoteServer::stop()
{
    if (m_fronts.empty())
        return;
    m_fronts.clear();
    ++m_run;
    m_oldKeys.prepend(std::exchange(m_key, {}));
    if (m_oldKeys.size() > kOldKeys)
        m_oldKeys.removeLast();
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
    return !m_fronts.empty();
}

quint16 RemoteServer::port() const
{
    return m_fronts.empty() ? 0 : m_fronts.front()->serverPort();
}

QList<QHostAddress> RemoteServer::addresses() const
{
    QList<QHostAddress> result;
    for (const auto &front : m_fronts)
        result.append(front->serverAddress());
    return result;
}

int RemoteServer::waiting(const QString &group) const
{
    return int(std::count_if(m_clients.cbegin(), m_clients.cend(), [&](const auto &entry) {
        const Client &c = entry.second;
        return !c.admitted && (group.isEmpty() ? !m_lockout->isTrusted(c.group) : c.group == group);
    }));
}

int RemoteServer::admitted() const
{
    return int(std::count_if(m_clients.cbegin(), m_clients.cend(),
                             [](const auto &entry) { return entry.second.admitted; }));
}

bool RemoteServer::isOldKey(const QByteArray &key) const
{
    return std::any_of(m_oldKeys.cbegin(), m_oldKeys.cend(),
                       [&](const QByteArray &old) { return sameKey(key, old); });
}

void RemoteServer::onNewConnection(QTcpServer *front)
{
    while (QTcpSocket *socket = front->nextPendingConnection()) {
        // Not the listener's child: a stop closes the listener before its clients.
        socket->setParent(this);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        const QString group = clientGroup(socket->peerAddress());
        // Idle connections of clients without the key wait in a room of their
        // own: they cannot keep out a client that has shown it.
        if (waiting(group) >= kMaxWaitingPerClient ||
            (!m_lockout->isTrusted(group) && waiting({}) >= kMaxWaiting)) {
            refuse(socket, 503, "Too many connections waiting");
            continue;
        }
        if (m_lockout->isLocked(group, m_clock())) {
            refuse(socket, 429, "Too many wrong keys: try again in a minute");
            continue;
        }
        Client &client = m_clients[socket];
        client.socket = socket;
        client.group = group;
        client.idle = std::make_unique<QTimer>();
        client.idle->setSingleShot(true);
        // The head must be complete within the limit: a trickle does not restart it.
        connect(client.idle.get(), &QTimer::timeout, socket, &QTcpSocket::abort);
        client.idle->start(m_headMs);
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
    const Client &client = m_clients.at(socket);
    const std::optional<RequestHead> head = parseRequestHead(received.left(end));
    if (!head || !head->announcesNoBody()) {
        refuse(socket, 400, "Malformed request");
        return;
    }
    // Whatever follows the head would reach the HTTP server unchecked.
    if (socket->bytesAvailable() > end) {
        refuse(socket, 400, "One request a connection");
        return;
    }
    if (head->method != "GET") {
        refuse(socket, 405, "Only GET");
        return;
    }
    // On every request, not only when connecting: a connection may have been
    // opened before the lockout began.
    if (m_lockout->isLocked(client.group, m_clock())) {
        refuse(socket, 429, "Too many wrong keys: try again in a minute");
        return;
    }
    Target target = Target::Nothing;
    if (head->isWebSocketUpgrade())
        target = head->path == "/ws" ? Target::WebSocket : Target::Nothing;
    else if (head->path == "/" || head->path == "/remote.js" || head->path == "/remote.css")
        target = Target::Page;
    else if (head->path.startsWith("/api/"))
        target = Target::Api;
    // A favicon or anything else a browser asks for by itself is no guess.
    if (target == Target::Nothing) {
        refuse(socket, 404, "Not found");
        return;
    }
    const QByteArray key = head->queryValue("k");
    if (!sameKey(key, m_key)) {
        // Only a guess counts: no key is a browser asking by itself, an old
        // key a page left open from an earlier start.
        const bool old = isOldKey(key);
        if (!key.isEmpty() && !old)
            m_lockout->fail(client.group, m_clock());
        refuse(socket, 401,
               old ? "The remote control was started again: open its new address"
                   : "Wrong or missing key");
        return;
    }
    m_lockout->trust(client.group);
    if (target == Target::WebSocket && !originIsOurs(socket, head->header("origin"))) {
        refuse(socket, 403, "Foreign origin");
        return;
    }
    if (admitted() >= kMaxClients) {
        refuse(socket, 503, "Too many clients");
        return;
    }
    admit(socket, *head, target);
}

void RemoteServer::admit(QTcpSocket *socket, const RequestHead &head, Target target)
{
    Client &client = m_clients.at(socket);
    client.admitted = true;
    disconnect(client.reading);
    if (target == Target::WebSocket) {
        // The WebSocket server owns the connection from here, its deletion included.
        client.webSocket = true;
        client.idle.reset();
        disconnect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        m_webSocketServer->setHandshakeTimeout(m_idleMs);
        m_webSocketServer->handleConnection(socket);
        Q_EMIT socket->readyRead();
        return;
    }
    client.idle->start(m_idleMs);
    if (target == Target::Api) {
        answerApi(socket, head);
        return;
    }
    // One request a connection: once the answer is out, the connection closes,
    // and bytes that come after the head are never read. Connected before the
    // HTTP server's own reader, so that it runs first. Qt 6.8 announces a
    // readyRead of its own after answering, with nothing to read: only bytes count.
    auto handedOver = std::make_shared<bool>(false);
    connect(socket, &QTcpSocket::readyRead, socket, [socket, handedOver] {
        if (*handedOver && socket->bytesAvailable() > 0)
            socket->abort();
    });
    connect(socket, &QTcpSocket::bytesWritten, socket, [socket] {
        if (socket->bytesToWrite() == 0)
            socket->disconnectFromHost();
    });
    m_handoff->handOver(socket);
    *handedOver = true;
}

void RemoteServer::answerApi(QTcpSocket *socket, const RequestHead &head)
{
    const QString name = QString::fromUtf8(head.path.mid(5));
    if (name == QLatin1String("state")) {
        answer(socket, 200, kJson, readoutJson());
        return;
    }
    const std::optional<OperatorAction> action = actionFromName(name);
    if (!action) {
        answer(socket, 404, kJson, errorJson(tr("No such action")));
        return;
    }
    int value = 0;
    if (actionTakesValue(*action)) {
        const std::optional<int> number =
            actionValueFromText(QString::fromUtf8(head.queryValue("v")));
        if (!number) {
            answer(socket, 400, kJson, errorJson(tr("v must be a whole number")));
            return;
        }
        value = *number;
    }
    // The answer carries the readout the action left.
    queue([this, socket = QPointer<QTcpSocket>(socket), action = *action, value] {
        if (m_perform)
            m_perform(action, value);
        if (socket)
            answer(socket, 200, kJson, readoutJson());
    });
}

void RemoteServer::queue(std::function<void()> step)
{
    QMetaObject::invokeMethod(
        this,
        [this, run = m_run, step = std::move(step)] {
            if (run == m_run)
                step();
        },
        Qt::QueuedConnection);
}

void RemoteServer::answer(QTcpSocket *socket, int status, const QByteArray &type,
                          const QByteArray &body, const QByteArray &extraHeaders)
{
    const QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) +
                            "\r\nContent-Type: " + type +
                            "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n" +
                            kAnswerHeaders + extraHeaders + "\r\n";
    socket->write(head + body);
    socket->disconnectFromHost();
}

void RemoteServer::refuse(QTcpSocket *socket, int status, const QByteArray &reason)
{
    if (const auto it = m_clients.find(socket); it != m_clients.end())
        disconnect(it->second.reading);
    answer(socket, status, "text/plain; charset=utf-8", reason + '\n',
           status == 405 ? QByteArray("Allow: GET\r\n") : QByteArray());
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
        if (m_fronts.empty()) {
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
    // Never inside the socket's signal: an action that turned the event loop
    // would let this socket's next frames and its deletion run under it.
    queue([this, action = *action, value] {
        if (m_perform)
            m_perform(action, value);
    });
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
