#pragma once

#include "operatoraction.h"
#include "readout.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class HandoffServer;
class Lockout;
class QHttpServer;
class QHttpServerRequest;
class QHttpServerResponse;
class QTcpServer;
class QTcpSocket;
class QWebSocket;
class QWebSocketServer;
struct RequestHead;

// The remote control's server: the phone page, the GET endpoints and the
// WebSocket readout, behind one key.
//
// Qt's HTTP server (6.4) reads whole requests of any size, keeps idle
// connections forever and upgrades WebSockets before any handler sees them.
// So a front of its own accepts every connection, reads the head (8 KiB at
// most, within 2 s), checks the caps, lockout, method, key and Origin, and
// only then answers an API call itself or hands the connection to the HTTP
// server (the page) or the WebSocket server. One request a connection.
// Actions reach the handler queued, never inside a socket's signal.
class RemoteServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RemoteServer)

public:
    static constexpr quint16 kDefaultPort = 8125;
    static constexpr qsizetype kMaxHeadBytes = 8 * 1024;
    // Connections that have shown the key.
    static constexpr int kMaxClients = 16;
    // Connections still sending their first head, from clients that have not
    // shown the key: all of them, and from one client (lockout.h says what one is).
    static constexpr int kMaxWaiting = 64;
    static constexpr int kMaxWaitingPerClient = 8;
    static constexpr int kHeadMs = 2'000;
    static constexpr int kIdleMs = 10'000;
    // Keys of earlier starts that a page left open may still send.
    static constexpr int kOldKeys = 8;
    static constexpr int kPushMs = 100;
    static constexpr qint64 kMaxMessageBytes = 1024;

    using ActionHandler = std::function<void(OperatorAction, int)>;
    using ReadoutSource = std::function<Readout()>;
    using Clock = std::function<qint64()>;

    explicit RemoteServer(QObject *parent = nullptr);
    ~RemoteServer() override;

    void setActionHandler(ActionHandler handler) { m_perform = std::move(handler); }
    void setReadoutSource(ReadoutSource source) { m_readout = std::move(source); }
    // The lockout's clock, in milliseconds; a monotonic one by default.
    void setClock(Clock clock) { m_clock = std::move(clock); }
    // Time to send the whole head, and to take the answer; tests shorten them.
    void setHeadLimit(int milliseconds) { m_headMs = milliseconds; }
    void setIdleLimit(int milliseconds) { m_idleMs = milliseconds; }

    // Starts with a fresh key, listening on each address on one port; false
    // and errorText() when one of them cannot be had.
    bool start(quint16 port, const QList<QHostAddress> &addresses);
    bool start(quint16 port, const QHostAddress &address)
    {
        return start(port, QList<QHostAddress>{address});
    }
    // Closes every connection; WebSocket clients get a close frame.
    void stop();
    bool isRunning() const;
    quint16 port() const;
    QByteArray key() const { return m_key; }
    QString errorText() const { return m_error; }
    QList<QHostAddress> addresses() const;
    int clientCount() const { return int(m_clients.size()); }
    int webSocketCount() const { return int(m_webSockets.size()); }

    // The readout may have changed: pushed to WebSocket clients, at most
    // every kPushMs, and only while there are any.
    void readoutChanged();

Q_SIGNALS:
    void runningChanged(bool running);
    void clientsChanged(int count);

private:
    struct Client
    {
        QPointer<QTcpSocket> socket;
        std::unique_ptr<QTimer> idle;
        QMetaObject::Connection reading;
        QString group;
        bool admitted = false;
        bool webSocket = false;
    };
    enum class Target
    {
        Nothing,
        Page,
        Api,
        WebSocket
    };

    void onNewConnection(QTcpServer *front);
    void onHeadData(QTcpSocket *socket);
    // Connections still sending their head: from `group`, or when empty from
    // every client that has not shown the key.
    int waiting(const QString &group) const;
    int admitted() const;
    bool isOldKey(const QByteArray &key) const;
    void admit(QTcpSocket *socket, const RequestHead &head, Target target);
    void answerApi(QTcpSocket *socket, const RequestHead &head);
    // Runs `step` from the event loop, unless the server stopped meanwhile.
    void queue(std::function<void()> step);
    void answer(QTcpSocket *socket, int status, const QByteArray &type, const QByteArray &body,
                const QByteArray &extraHeaders = {});
    void refuse(QTcpSocket *socket, int status, const QByteArray &reason);
    void forget(QTcpSocket *socket);
    void onWebSocket();
    void onWebSocketMessage(QWebSocket *socket, const QString &message);
    void push();
    QByteArray readoutJson() const;
    bool originIsOurs(const QTcpSocket *socket, const QByteArray &origin) const;
    void createServers();
    void setUpRoutes();
    QHttpServerResponse page(const QString &resource, const QByteArray &type) const;

    ActionHandler m_perform;
    ReadoutSource m_readout;
    Clock m_clock;
    int m_headMs = kHeadMs;
    int m_idleMs = kIdleMs;
    QByteArray m_key;
    QList<QByteArray> m_oldKeys;
    quint64 m_run = 0; // counts starts, so that a step queued before a stop does not run after it
    QString m_error;
    std::vector<std::unique_ptr<QTcpServer>> m_fronts;
    std::unique_ptr<Lockout> m_lockout;
    QHttpServer *m_http = nullptr;
    HandoffServer *m_handoff = nullptr;
    std::unique_ptr<QWebSocketServer> m_webSocketServer;
    std::unordered_map<QTcpSocket *, Client> m_clients;
    QList<QPointer<QWebSocket>> m_webSockets;
    QTimer m_pushTimer;
    QElapsedTimer m_sincePush;
    QByteArray m_lastPushed;
};
