#include "connectionprobe.h"

#include "texts.h"

#include <QByteArrayView>
#include <QNetworkCookie>
#include <QNetworkProxy>
#include <QTcpSocket>

namespace {

// A home page's headers are a few KiB; anything beyond this is not an answer.
constexpr qsizetype maxHeadBytes = 64 * 1024;
// Bytes the socket takes in ahead of us; keeps a streamed body out of memory.
constexpr qint64 socketBufferBytes = 16 * 1024;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

QByteArrayView withoutCr(QByteArrayView line)
{
    return line.endsWith('\r') ? line.chopped(1) : line;
}

// The status code of a line "HTTP/d.d ddd[ reason]", or 0 when it is not one.
int statusCode(QByteArrayView line)
{
    line = withoutCr(line);
    if (line.size() < 12 || !line.startsWith("HTTP/") || !isDigit(line[5]) || line[6] != '.' ||
        !isDigit(line[7]) || line[8] != ' ' || !isDigit(line[9]) || !isDigit(line[10]) ||
        !isDigit(line[11]) || (line.size() > 12 && line[12] != ' '))
        return 0;
    return (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0');
}

// Length of the header block up to and including its closing empty line, or
// -1 while it is incomplete. Lines end in CR LF or, leniently, in LF alone.
// `lineStart` is where the scan resumes: the start of the first unfinished line.
qsizetype headLength(const QByteArray &data, qsizetype &lineStart)
{
    for (qsizetype lf = data.indexOf('\n', lineStart); lf >= 0;
         lf = data.indexOf('\n', lineStart)) {
        if (withoutCr(QByteArrayView(data).sliced(lineStart, lf - lineStart)).isEmpty())
            return lf + 1;
        lineStart = lf + 1;
    }
    return -1;
}

// The site probed, or TAVRIX_PROBE_ADDRESS when set: a test hook that keeps
// the tests' probes off the network.
QUrl probeAddress()
{
    const QString override = qEnvironmentVariable("TAVRIX_PROBE_ADDRESS");
    return QUrl(override.isEmpty() ? texts::rsProbeAddress : override);
}

} // namespace

ConnectionProbe::ConnectionProbe(QObject *parent)
    : ConnectionProbe(probeAddress(), defaultBound, parent)
{}

ConnectionProbe::ConnectionProbe(const QUrl &target, std::chrono::milliseconds bound,
                                 QObject *parent)
    : QObject(parent), m_target(target), m_bound(bound)
{
    m_launch.setSingleShot(true);
    m_deadline.setSingleShot(true);
    connect(&m_launch, &QTimer::timeout, this, &ConnectionProbe::connectToTarget);
    connect(&m_deadline, &QTimer::timeout, this, [this] { finish(false); });
}

ConnectionProbe::~ConnectionProbe()
{
    // The socket is closed when it goes; nobody is left to tell.
    if (m_socket)
        m_socket->disconnect(this);
}

void ConnectionProbe::start()
{
    if (m_running)
        return;
    m_running = true;
    m_probing = m_target;
    m_head.clear();
    m_scanFrom = 0;
    // Connecting may fail at once (a refused local port); that result must
    // still arrive from the event loop.
    m_launch.start(0);
    m_deadline.start(m_bound);
}

void ConnectionProbe::connectToTarget()
{
    if (!m_probing.isValid() || m_probing.scheme() != QLatin1String("http") ||
        m_probing.host().isEmpty()) {
        finish(false);
        return;
    }
    m_socket = std::make_unique<QTcpSocket>();
    QTcpSocket *socket = m_socket.get();
    // The probe goes straight to the site: through a proxy it would test the proxy.
    socket->setProxy(QNetworkProxy::NoProxy);
    socket->setReadBufferSize(socketBufferBytes);
    connect(socket, &QTcpSocket::connected, this, &ConnectionProbe::sendRequest);
    connect(socket, &QTcpSocket::readyRead, this, &ConnectionProbe::readHead);
    connect(socket, &QTcpSocket::errorOccurred, this, &ConnectionProbe::onConnectionEnded);
    connect(socket, &QTcpSocket::disconnected, this, &ConnectionProbe::onConnectionEnded);
    socket->connectToHost(m_probing.host(), quint16(m_probing.port(80)));
}

void ConnectionProbe::sendRequest()
{
    QByteArray path = m_probing.path(QUrl::FullyEncoded).toLatin1();
    if (path.isEmpty())
        path = "/";
    if (m_probing.hasQuery())
        path += '?' + m_probing.query(QUrl::FullyEncoded).toLatin1();
    QByteArray host = m_probing.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (m_probing.port(80) != 80)
        host += ':' + QByteArray::number(m_probing.port());

    QByteArray request = "GET " + path + " HTTP/1.1\r\n" + "Host: " + host + "\r\n" +
                         "Accept: text/html, */*\r\n" +
                         "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n";
    const QList<QNetworkCookie> cookies = m_cookies.cookiesForUrl(m_probing);
    if (!cookies.isEmpty()) {
        QByteArrayList pairs;
        for (const QNetworkCookie &cookie : cookies)
            pairs.append(cookie.toRawForm(QNetworkCookie::NameAndValueOnly));
        request += "Cookie: " + pairs.join("; ") + "\r\n";
    }
    request += "Connection: close\r\n\r\n";
    m_socket->write(request);
}

bool ConnectionProbe::readHead()
{
    m_head += m_socket->read(maxHeadBytes + 1 - m_head.size());
    const qsizetype length = headLength(m_head, m_scanFrom);
    if (length < 0) {
        if (m_head.size() <= maxHeadBytes)
            return false;
        finish(false);
        return true;
    }

    const QByteArrayList lines = m_head.left(length).split('\n');
    const int status = statusCode(lines.first());
    if (status == 0) {
        finish(false);
        return true;
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare("Set-Cookie", Qt::CaseInsensitive) == 0)
            m_cookies.setCookiesFromUrl(QNetworkCookie::parseCookies(line.mid(colon + 1).trimmed()),
                                        m_probing);
    }
    finish(status >= 200 && status <= 299);
    return true;
}

void ConnectionProbe::onConnectionEnded()
{
    // Bytes that came with the close still count. Once the probe has ended,
    // a slot of `finished` may have deleted this object.
    if (!readHead())
        finish(false);
}

void ConnectionProbe::finish(bool connected)
{
    if (!m_running)
        return;
    m_running = false;
    m_launch.stop();
    m_deadline.stop();
    if (m_socket) {
        QTcpSocket *socket = m_socket.release();
        socket->disconnect(this);
        socket->abort();
        // We may be inside one of the socket's own signals.
        socket->deleteLater();
    }
    m_head.clear();
    Q_EMIT finished(connected);
}
