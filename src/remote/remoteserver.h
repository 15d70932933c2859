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
// most, within 10 s), checks limit, lockout, method, key and Origin, and only
// then hands the connection to the HTTP server or the WebSocket server.
class RemoteServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RemoteServer)

public:
    static constexpr quint16 kDefaultPort = 8125;
    static constexpr qsizetype kMaxHeadBytes = 8 * 1024;
    static constexpr int kMaxClients = 16;
    static constexpr int kIdleMs = 10'000;
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
    // Idle and trickle limit; tests shorten it.
    void setIdleLimit(int milliseconds) { m_idleMs = milliseconds; }

    // Starts with a fresh key; false and errorText() when the port cannot be had.
    bool start(quint16 port, const QHostAddress &address = QHostAddress::Any);
    // Closes every connection; WebSocket clients get a close frame.
    void stop();
    bool isRunning() const;
    quint16 port() const;
    QByteArray key() const { return m_key; }
    QString errorText() const { return m_error; }
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
        bool webSocket = false;
    };

    void onNewConnection();
    void onHeadData(QTcpSocket *socket);
    void admit(QTcpSocket *socket, const RequestHead &head);
    void refuse(QTcpSocket *socket, int status, const QByteArray &reason);
    void forget(QTcpSocket *socket);
    void onWebSocket();
    void onWebSocketMessage(QWebSocket *socket, const QString &message);
    void push();
    QByteArray readoutJson() const;
    bool originIsOurs(const QTcpSocket *socket, const QByteArray &origin) const;
    void setUpRoutes();
    QHttpServerResponse page(const QString &resource, const QByteArray &type) const;
    QHttpServerResponse api(const QString &name, const QHttpServerRequest &request);

    ActionHandler m_perform;
    ReadoutSource m_readout;
    Clock m_clock;
    int m_idleMs = kIdleMs;
    QByteArray m_key;
    QString m_error;
    std::unique_ptr<QTcpServer> m_front;
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
