// The remote control: from a remote action to the band's next repaint, the
// server's wake-ups and memory while idle, and sixteen clients at once.
#include "bench.h"
#include "benchwindows.h"

#include "htmlview.h"
#include "prompterwindow.h"
#include "remoteserver.h"
#include "remotewindow.h"
#include "startup.h"

#include <QAbstractEventDispatcher>
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QNetworkProxy>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QWebSocket>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

double residentKilobytes()
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble();
    return 0;
}

// Event loop wake-ups of this thread.
struct WakeCount
{
    qint64 count = 0;
    QMetaObject::Connection connection;
    WakeCount()
    {
        connection = QObject::connect(QAbstractEventDispatcher::instance(),
                                      &QAbstractEventDispatcher::awake, [this] { ++count; });
    }
    ~WakeCount() { QObject::disconnect(connection); }
};

bool waitFor(const std::function<bool()> &done, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return done();
}

struct Remote
{
    BenchDialogs dialogs;
    Windows windows = createWindows(dialogs);
    PrompterWindow &form = *windows.prompter;
    RemoteWindow *window = control<RemoteWindow>(form, "remoteWindow");
    RemoteServer &server = window->server();
    quint16 port = 0;

    Remote()
    {
        form.show();
        control<HtmlView>(form, "page")->waitUntilReady();
        form.showEditedScript(newsScript(2000));
        control<HtmlView>(form, "page")->waitUntilReady();
        QCoreApplication::processEvents();
    }
    void start()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
        probe.close();
        control<QSpinBox>(*window, "portBox")->setValue(port);
        control<QCheckBox>(*window, "remoteSwitch")->setChecked(true);
        if (!server.isRunning())
            qFatal("the remote server did not start: %s", qPrintable(server.errorText()));
    }
    QUrl webSocketUrl() const
    {
        return QUrl(QStringLiteral("ws://127.0.0.1:%1/ws?k=%2")
                        .arg(port)
                        .arg(QString::fromLatin1(server.key())));
    }
    QString origin() const { return QStringLiteral("http://127.0.0.1:%1").arg(port); }
};

std::unique_ptr<QWebSocket> openWebSocket(const Remote &r)
{
    auto ws = std::make_unique<QWebSocket>(r.origin());
    ws->setProxy(QNetworkProxy::NoProxy);
    ws->open(r.webSocketUrl());
    if (!waitFor([&] { return ws->state() == QAbstractSocket::ConnectedState; }, 5000))
        qFatal("no WebSocket to the remote server");
    return ws;
}

void sendGet(quint16 port, const QByteArray &target, std::vector<std::unique_ptr<QTcpSocket>> &pool)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->setProxy(QNetworkProxy::NoProxy);
    QTcpSocket *s = socket.get();
    QObject::connect(s, &QTcpSocket::connected, s, [s, target] {
        s->write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    });
    QObject::connect(s, &QTcpSocket::readyRead, s, [s] { s->readAll(); });
    s->connectToHost(QHostAddress::LocalHost, port);
    pool.push_back(std::move(socket));
}

// Sixteen clients on a thread of their own, each sending "speed N" twenty times
// a second; N is the client's number times 100000 plus its count of sends.
class LoadClients final : public QObject
{
public:
    LoadClients(QUrl url, QString origin, int clients, int perSecond)
        : m_url(std::move(url)), m_origin(std::move(origin)), m_clients(clients),
          m_period(1000 / perSecond)
    {}
    void begin()
    {
        openNext();
        m_timer = new QTimer(this);
        m_timer->setTimerType(Qt::PreciseTimer);
        connect(m_timer, &QTimer::timeout, this, [this] {
            for (size_t c = 0; c < m_sockets.size(); ++c) {
                if (m_sockets[c]->state() != QAbstractSocket::ConnectedState)
                    continue;
                m_sockets[c]->sendTextMessage(
                    QStringLiteral("speed %1").arg(qint64(c) * 100000 + m_sent[c]));
                ++m_sent[c];
                ++sent;
            }
        });
        m_timer->start(m_period);
    }
    void finish() { m_timer->stop(); }
    // One after another: the server keeps at most a few handshakes of one address waiting.
    void openNext()
    {
        if (int(m_sockets.size()) == m_clients)
            return;
        auto *ws = new QWebSocket(m_origin, QWebSocketProtocol::VersionLatest, this);
        ws->setProxy(QNetworkProxy::NoProxy);
        connect(ws, &QWebSocket::connected, this, &LoadClients::openNext);
        m_sockets.push_back(ws);
        m_sent.push_back(0);
        ws->open(m_url);
    }
    std::atomic<int> sent{0};

private:
    QUrl m_url;
    QString m_origin;
    int m_clients;
    int m_period;
    std::vector<QWebSocket *> m_sockets;
    std::vector<int> m_sent;
    QTimer *m_timer = nullptr;
};

} // namespace

TAVRIX_BENCH_CASE(remote)
{
    const double residentBefore = residentKilobytes();
    Remote r;
    const double residentWindows = residentKilobytes();
    QLabel *speed = control<QLabel>(r.form, "speedLabel");
    PaintWatch watch(speed);

    // Wake-ups of the band's thread, paused: server off, on without clients, on with one.
    const auto wakeups = [](const char *name) {
        WakeCount wakes;
        runEventLoop(3000);
        report(name, double(wakes.count) / 3.0, "per_s");
    };
    r.form.perform(OperatorAction::SetSpeed, 0);
    QCoreApplication::processEvents();
    wakeups("remote_idle_wakeups_server_off");
    r.start();
    wakeups("remote_idle_wakeups_no_client");
    {
        auto idle = openWebSocket(r);
        wakeups("remote_idle_wakeups_one_client");
        report("remote_memory_growth_server_and_client",
               (residentKilobytes() - residentWindows) / 1024.0, "MB");
    }
    Q_UNUSED(residentBefore);

    // Action to the speed label's next paint, alternating between two speeds.
    const auto latency = [&](const char *name, const std::function<void(bool)> &act) {
        r.form.perform(OperatorAction::SetSpeed, 10);
        QCoreApplication::processEvents();
        reportActionToRepaint(name, watch, act);
    };
    {
        auto ws = openWebSocket(r);
        latency("remote_websocket_action_to_repaint", [&](bool faster) {
            ws->sendTextMessage(faster ? QStringLiteral("faster") : QStringLiteral("slower"));
        });
    }
    {
        std::vector<std::unique_ptr<QTcpSocket>> pool;
        latency("remote_get_action_to_repaint", [&](bool faster) {
            sendGet(r.port, (faster ? "/api/faster?k=" : "/api/slower?k=") + r.server.key(), pool);
        });
        waitFor([&] { return r.server.clientCount() == 0; }, 5000);
    }

    // Sixteen clients at twenty actions a second each, while the band scrolls at full speed.
    std::mutex mutex;
    std::map<int, std::vector<int>> applied;
    r.server.setActionHandler([&](OperatorAction action, int value) {
        {
            const std::lock_guard lock(mutex);
            applied[value / 100000].push_back(value % 100000);
        }
        r.form.perform(action, 300);
    });
    r.form.perform(OperatorAction::SetSpeed, 300);
    const auto framesPerSecond = [](int milliseconds) {
        const qint64 before = repaintTally().passes;
        runEventLoop(milliseconds);
        return double(repaintTally().passes - before) * 1000.0 / milliseconds;
    };
    report("remote_load_band_repaints_without_clients", framesPerSecond(3000), "per_s");
    constexpr int kClients = 16;
    constexpr int kSeconds = 10;
    QThread thread;
    auto *clients = new LoadClients(r.webSocketUrl(), r.origin(), kClients, 20);
    clients->moveToThread(&thread);
    QObject::connect(&thread, &QThread::finished, clients, &QObject::deleteLater);
    thread.start();
    QMetaObject::invokeMethod(clients, [clients] { clients->begin(); });
    report("remote_load_band_repaints_with_16_clients", framesPerSecond(kSeconds * 1000), "per_s");
    QMetaObject::invokeMethod(
        clients, [clients] { clients->finish(); }, Qt::BlockingQueuedConnection);
    // What is on its way arrives before the clients go.
    runEventLoop(1000);
    const int sent = clients->sent;
    thread.quit();
    thread.wait();
    int total = 0;
    bool inOrder = true;
    for (const auto &[client, values] : applied) {
        total += int(values.size());
        for (size_t i = 0; i < values.size(); ++i)
            inOrder = inOrder && values[i] == int(i);
    }
    report("remote_load_seconds", kSeconds, "s");
    report("remote_load_actions_sent", sent, "count");
    report("remote_load_actions_applied", total, "count");
    report("remote_load_every_action_once_in_order",
           inOrder && total == sent && int(applied.size()) == kClients, "bool");
    r.form.perform(OperatorAction::SetSpeed, 0);
}
