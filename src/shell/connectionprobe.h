#pragma once

#include <QByteArray>
#include <QNetworkCookieJar>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <memory>

class QTcpSocket;

// Asks one well-known web site for its home page to learn whether the Internet
// can be reached. Runs in the background so the window keeps painting and the
// prompter keeps scrolling; one object lives for the run and sends the site's
// cookies back with the next probe.
//
// One HTTP/1.1 GET over plain TCP, no proxy, redirects not followed, nothing
// retried. Only the status line and headers are read: a 2xx status means
// connected; any other status, an answer that is not HTTP, a header block
// that is cut off or never ends within the bound, or a failure to connect
// means not connected. The connection is closed as soon as the headers are
// in, before `finished` is emitted, so a body is never downloaded.
class ConnectionProbe final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ConnectionProbe)

public:
    static constexpr std::chrono::milliseconds defaultBound{5000};

    // Probes the site named in the table of texts, or the address in the
    // environment variable TAVRIX_PROBE_ADDRESS when that is set (a test hook).
    explicit ConnectionProbe(QObject *parent = nullptr);
    // `target` is an http address; `bound` limits the whole probe, from
    // start() to the end of the headers, host name lookup included.
    ConnectionProbe(const QUrl &target, std::chrono::milliseconds bound, QObject *parent = nullptr);
    ~ConnectionProbe() override;

    QUrl target() const { return m_target; }
    // Used from the next start() on; a running probe keeps the target it began with.
    void setTarget(const QUrl &target) { m_target = target; }
    std::chrono::milliseconds bound() const { return m_bound; }
    bool isRunning() const { return m_running; }

    // Begins a probe; does nothing while one is running. `finished` follows
    // exactly once, always from the event loop, never from inside start().
    // A slot of `finished` may start the next probe or delete this object.
    void start();

Q_SIGNALS:
    void finished(bool connected);

private:
    void connectToTarget();
    void sendRequest();
    // True when it ended the probe; `this` may be gone by then.
    bool readHead();
    void onConnectionEnded();
    void finish(bool connected);

    QUrl m_target;
    QUrl m_probing; // the target of the running probe
    std::chrono::milliseconds m_bound;
    QNetworkCookieJar m_cookies;
    QTimer m_launch;
    QTimer m_deadline;
    std::unique_ptr<QTcpSocket> m_socket;
    QByteArray m_head;
    qsizetype m_scanFrom = 0;
    bool m_running = false;
};
