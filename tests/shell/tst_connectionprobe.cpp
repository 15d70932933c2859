#include "connectionprobe.h"
#include "texts.h"

#include <QFile>
#include <QNetworkInterface>
#include <QNetworkProxy>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

using namespace std::chrono_literals;

namespace {

// Bound for probes that are expected to be answered: large enough never to
// decide a case on a loaded machine.
constexpr auto answeredBound = 20s;
// Bound for probes that are never answered.
constexpr auto silentBound = 300ms;
// Wait for `finished`: generous, only there so that a hang fails the test.
constexpr int finishedWaitMs = 60000;

constexpr qint64 largeBodyBytes = 100 * 1024 * 1024;

const QByteArray ok = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 13\r\n\r\n"
                      "<html></html>";

// A one-purpose HTTP server on 127.0.0.1: it reads each request's header
// block, keeps it, and then does what its behaviour says.
class TestServer final : public QObject
{
public:
    enum class Behaviour
    {
        Answer,  // writes the next of the answers, then closes
        Hold,    // keeps the connection open and writes nothing until answerHeld()
        Trickle, // writes a never-ending header block, one byte at a time
        Stream,  // writes a 200 header block and then a 100 MB body
    };

    explicit TestServer(Behaviour behaviour, QByteArrayList answers = {},
                        const QHostAddress &address = QHostAddress(QHostAddress::LocalHost))
        : m_behaviour(behaviour), m_answers(std::move(answers))
    {
        connect(&m_server, &QTcpServer::newConnection, this, &TestServer::acceptAll);
        m_server.setProxy(QNetworkProxy::NoProxy);
        m_server.listen(address);
    }

    bool isListening() const { return m_server.isListening(); }
    QUrl url() const
    {
        return QUrl(QStringLiteral("http://%1:%2")
                        .arg(m_server.serverAddress().toString())
                        .arg(m_server.serverPort()));
    }
    const QByteArrayList &requests() const { return m_requests; }
    int openConnections() const { return m_open; }
    qint64 bodyBytesSent() const { return m_bodySent; }

    void answerHeld(const QByteArray &answer)
    {
        for (const QPointer<QTcpSocket> &socket : std::as_const(m_held)) {
            if (socket) {
                socket->write(answer);
                socket->disconnectFromHost();
            }
        }
        m_held.clear();
    }

private:
    void acceptAll()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            ++m_open;
            auto received = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
                --m_open;
                socket->deleteLater();
            });
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received] {
                const bool complete = received->contains("\r\n\r\n");
                received->append(socket->readAll());
                const qsizetype end = received->indexOf("\r\n\r\n");
                if (!complete && end >= 0)
                    serve(socket, received->left(end + 4));
            });
        }
    }

    void serve(QTcpSocket *socket, const QByteArray &request)
    {
        const qsizetype index = m_requests.size();
        m_requests.append(request);
        switch (m_behaviour) {
        case Behaviour::Answer:
            socket->write(m_answers.value(std::min(index, m_answers.size() - 1)));
            socket->disconnectFromHost();
            break;
        case Behaviour::Hold:
            m_held.append(socket);
            break;
        case Behaviour::Trickle: {
            auto *timer = new QTimer(socket);
            auto sent = std::make_shared<qsizetype>(0);
            connect(timer, &QTimer::timeout, socket, [socket, sent] {
                static const QByteArray head = "HTTP/1.1 200 OK\r\nX-Slow: ";
                socket->write(*sent < head.size() ? head.mid(*sent, 1) : QByteArray("a"));
                ++*sent;
            });
            timer->start(10ms);
            break;
        }
        case Behaviour::Stream:
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                          QByteArray::number(largeBodyBytes) + "\r\n\r\n");
            connect(socket, &QTcpSocket::bytesWritten, socket, [this, socket] { feed(socket); });
            feed(socket);
            break;
        }
    }

    // Keeps at most a few chunks queued, so the server itself stays small.
    void feed(QTcpSocket *socket)
    {
        static const QByteArray chunk(64 * 1024, 'x');
        while (socket->state() == QAbstractSocket::ConnectedState &&
               socket->bytesToWrite() < 4 * chunk.size() && m_bodySent < largeBodyBytes) {
            const qint64 n = std::min<qint64>(chunk.size(), largeBodyBytes - m_bodySent);
            socket->write(chunk.constData(), n);
            m_bodySent += n;
        }
    }

    Behaviour m_behaviour;
    QByteArrayList m_answers;
    QByteArrayList m_requests;
    QList<QPointer<QTcpSocket>> m_held;
    int m_open = 0;
    qint64 m_bodySent = 0;
    // Last, so that its sockets go first while the counters above still exist.
    QTcpServer m_server;
};

// Header lines of about `bytes` bytes in all.
QByteArray manyHeaders(qsizetype bytes)
{
    QByteArray headers;
    for (int i = 0; headers.size() < bytes; ++i)
        headers += "X-Filler-" + QByteArray::number(i) + ": " + QByteArray(100, 'f') + "\r\n";
    return headers;
}

// Starts the probe and waits for its one result.
std::optional<bool> probeOnce(ConnectionProbe &probe)
{
    QSignalSpy spy(&probe, &ConnectionProbe::finished);
    probe.start();
    if (!spy.wait(finishedWaitMs) || spy.size() != 1)
        return std::nullopt;
    return spy.at(0).at(0).toBool();
}

// The request's header fields as name and value, in the order sent.
QList<std::pair<QByteArray, QByteArray>> headerFields(const QByteArray &request)
{
    QList<std::pair<QByteArray, QByteArray>> fields;
    const QByteArrayList lines = request.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            fields.append({line.left(colon).toLower(), line.mid(colon + 1).trimmed()});
    }
    return fields;
}

// Every value sent under `name`, which matches without regard to case.
QByteArrayList headerValues(const QByteArray &request, const QByteArray &name)
{
    QByteArrayList values;
    for (const auto &[field, value] : headerFields(request)) {
        if (field == name.toLower())
            values.append(value);
    }
    return values;
}

// Resident memory figures of this process in KiB, from /proc.
qint64 statusKiB(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(QByteArray(field + ':')))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

bool resetPeakMemory()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

} // namespace

Q_DECLARE_METATYPE(TestServer::Behaviour)

class TestConnectionProbe : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answer_decidesConnection_data();
    void answer_decidesConnection();
    void noAnswer_endsWithinBound_data();
    void noAnswer_endsWithinBound();
    void unreachableTarget_isNoConnection_data();
    void unreachableTarget_isNoConnection();
    void request_hasExactRequestLineAndHeaders();
    void cookies_goBackWithTheNextProbe();
    void startWhileRunning_doesNothing();
    void setTarget_appliesFromTheNextProbe();
    void environment_overridesTheSiteProbed();
    void largeBody_isNotDownloaded();
    void proxySettings_areBypassed();
    void destroyedWhileRunning_endsQuietly();
    void deletedByFinishedSlot_isSafe_data();
    void deletedByFinishedSlot_isSafe();
    void startedAgainByFinishedSlot_runsOnce();
};

void TestConnectionProbe::answer_decidesConnection_data()
{
    QTest::addColumn<QByteArrayList>("answers");
    QTest::addColumn<bool>("connected");

    const QByteArray redirect = "HTTP/1.1 301 Moved Permanently\r\nLocation: /moved\r\n"
                                "Content-Length: 0\r\n\r\n";
    const QByteArray temporary = "HTTP/1.1 307 Temporary Redirect\r\nLocation: /moved\r\n"
                                 "Content-Length: 0\r\n\r\n";

    QTest::newRow("200") << QByteArrayList{ok} << true;
    QTest::newRow("204 without body") << QByteArrayList{"HTTP/1.1 204 No Content\r\n\r\n"} << true;
    QTest::newRow("200 with body ended by close")
        << QByteArrayList{"HTTP/1.1 200 OK\r\n\r\n<html></html>"} << true;
    // Larger than what the socket takes in at a time, smaller than the limit.
    QTest::newRow("200 after 40 KiB of headers")
        << QByteArrayList{"HTTP/1.1 200 OK\r\n" + manyHeaders(40 * 1024) + "\r\n"} << true;
    QTest::newRow("200 over HTTP/1.0") << QByteArrayList{"HTTP/1.0 200 OK\r\n\r\nhi"} << true;
    // The page behind the redirect would answer 200: following it would be wrong.
    QTest::newRow("301 not followed") << QByteArrayList{redirect, ok} << false;
    QTest::newRow("307 not followed") << QByteArrayList{temporary, ok} << false;
    QTest::newRow("101") << QByteArrayList{"HTTP/1.1 101 Switching Protocols\r\n\r\n"} << false;
    QTest::newRow("401 asking for credentials")
        << QByteArrayList{"HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"x\"\r\n"
                          "Content-Length: 0\r\n\r\n"}
        << false;
    QTest::newRow("404")
        << QByteArrayList{"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found"} << false;
    QTest::newRow("500")
        << QByteArrayList{"HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n"}
        << false;
    QTest::newRow("garbage text") << QByteArrayList{"hello there\r\n\r\n"} << false;
    QTest::newRow("garbage bytes")
        << QByteArrayList{QByteArray("\x00\xff\x13\x37\r\n\x80\x81\r\n\r\n", 12)} << false;
    QTest::newRow("html without status line")
        << QByteArrayList{"<html><body>hi</body></html>"} << false;
    QTest::newRow("status line without code") << QByteArrayList{"HTTP/1.1 OK\r\n\r\n"} << false;
    QTest::newRow("status code out of range")
        << QByteArrayList{"HTTP/1.1 2000 OK\r\nContent-Length: 0\r\n\r\n"} << false;
    QTest::newRow("header block over 64 KiB")
        << QByteArrayList{"HTTP/1.1 200 OK\r\n" + manyHeaders(65 * 1024) + "\r\n"} << false;
    QTest::newRow("LF line ends") << QByteArrayList{"HTTP/1.1 200 OK\nContent-Length: 0\n\n"}
                                  << true;
    QTest::newRow("closed without answer") << QByteArrayList{QByteArray()} << false;
    QTest::newRow("closed inside status line") << QByteArrayList{"HTTP/1.1 20"} << false;
    QTest::newRow("closed inside headers")
        << QByteArrayList{"HTTP/1.1 200 OK\r\nContent-Le"} << false;
    // The status line and headers arrived whole: the site is reachable.
    QTest::newRow("200 closed inside body")
        << QByteArrayList{"HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n<html>"} << true;
    QTest::newRow("404 closed inside body")
        << QByteArrayList{"HTTP/1.1 404 Not Found\r\nContent-Length: 1000\r\n\r\nno"} << false;
}

void TestConnectionProbe::answer_decidesConnection()
{
    QFETCH(QByteArrayList, answers);
    QFETCH(bool, connected);

    TestServer server(TestServer::Behaviour::Answer, answers);
    QVERIFY(server.isListening());
    ConnectionProbe probe(server.url(), answeredBound);

    const std::optional<bool> result = probeOnce(probe);
    QVERIFY(result.has_value());
    QCOMPARE(*result, connected);
    QVERIFY(!probe.isRunning());
    QCOMPARE(server.requests().size(), 1);
}

void TestConnectionProbe::noAnswer_endsWithinBound_data()
{
    QTest::addColumn<TestServer::Behaviour>("behaviour");
    QTest::newRow("accepts and stays silent") << TestServer::Behaviour::Hold;
    // Keeps the transfer alive, so only a bound on the whole probe ends it.
    QTest::newRow("headers trickle forever") << TestServer::Behaviour::Trickle;
}

void TestConnectionProbe::noAnswer_endsWithinBound()
{
    QFETCH(TestServer::Behaviour, behaviour);

    TestServer server(behaviour);
    QVERIFY(server.isListening());
    ConnectionProbe probe(server.url(), silentBound);

    const std::optional<bool> result = probeOnce(probe);
    QVERIFY(result.has_value());
    QCOMPARE(*result, false);
    QCOMPARE(server.requests().size(), 1);
    // The abandoned connection is closed, not left open in the background.
    QTRY_COMPARE_WITH_TIMEOUT(server.openConnections(), 0, finishedWaitMs);
}

void TestConnectionProbe::unreachableTarget_isNoConnection_data()
{
    QTest::addColumn<QUrl>("target");

    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();

    QTest::newRow("connection refused") << QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port));
    QTest::newRow("unsupported scheme") << QUrl(QStringLiteral("gopher://127.0.0.1:%1").arg(port));
    QTest::newRow("empty address") << QUrl();
}

void TestConnectionProbe::unreachableTarget_isNoConnection()
{
    QFETCH(QUrl, target);

    ConnectionProbe probe(target, answeredBound);
    QSignalSpy spy(&probe, &ConnectionProbe::finished);
    probe.start();
    // The window relies on the result arriving later, never from inside start().
    QCOMPARE(spy.size(), 0);
    QVERIFY(probe.isRunning());
    QVERIFY(spy.wait(finishedWaitMs));
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
    QVERIFY(!probe.isRunning());
}

void TestConnectionProbe::request_hasExactRequestLineAndHeaders()
{
    TestServer server(TestServer::Behaviour::Answer, {ok});
    QVERIFY(server.isListening());
    ConnectionProbe probe(server.url(), answeredBound);
    QCOMPARE(probe.target().path(), QString());

    QCOMPARE(probeOnce(probe), std::optional<bool>(true));
    QCOMPARE(server.requests().size(), 1);
    const QByteArray request = server.requests().first();
    QCOMPARE(request.left(request.indexOf("\r\n")), QByteArray("GET / HTTP/1.1"));
    QCOMPARE(headerValues(request, "Accept"), QByteArrayList{"text/html, */*"});
    QCOMPARE(headerValues(request, "User-Agent"),
             QByteArrayList{"Mozilla/3.0 (compatible; Indy Library)"});
    QCOMPARE(headerValues(request, "Host"),
             QByteArrayList{"127.0.0.1:" + QByteArray::number(server.url().port())});
}

void TestConnectionProbe::cookies_goBackWithTheNextProbe()
{
    const QByteArray setsCookie = "HTTP/1.1 200 OK\r\nSet-Cookie: visitor=a1b2c3; Path=/\r\n"
                                  "Content-Length: 2\r\n\r\nhi";
    TestServer server(TestServer::Behaviour::Answer, {setsCookie, ok});
    QVERIFY(server.isListening());

    ConnectionProbe probe(server.url(), answeredBound);
    QCOMPARE(probeOnce(probe), std::optional<bool>(true));
    QCOMPARE(probeOnce(probe), std::optional<bool>(true));
    QCOMPARE(server.requests().size(), 2);
    QCOMPARE(headerValues(server.requests().at(0), "Cookie"), QByteArrayList());
    QCOMPARE(headerValues(server.requests().at(1), "Cookie"), QByteArrayList{"visitor=a1b2c3"});

    // Cookies live in memory only: another run starts without them.
    ConnectionProbe fresh(server.url(), answeredBound);
    QCOMPARE(probeOnce(fresh), std::optional<bool>(true));
    QCOMPARE(server.requests().size(), 3);
    QCOMPARE(headerValues(server.requests().at(2), "Cookie"), QByteArrayList());
}

void TestConnectionProbe::startWhileRunning_doesNothing()
{
    TestServer server(TestServer::Behaviour::Hold);
    QVERIFY(server.isListening());
    ConnectionProbe probe(server.url(), answeredBound);
    QSignalSpy spy(&probe, &ConnectionProbe::finished);

    probe.start();
    QTRY_COMPARE_WITH_TIMEOUT(server.requests().size(), 1, finishedWaitMs);
    QVERIFY(probe.isRunning());
    probe.start();
    QVERIFY(probe.isRunning());
    server.answerHeld(ok);
    QVERIFY(spy.wait(finishedWaitMs));
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QVERIFY(!probe.isRunning());

    // A later start() is a new probe; by its end a stray second request from
    // the ignored start() would have shown up as a request or a result.
    probe.start();
    QTRY_COMPARE_WITH_TIMEOUT(server.requests().size(), 2, finishedWaitMs);
    server.answerHeld(ok);
    QTRY_COMPARE_WITH_TIMEOUT(spy.size(), 2, finishedWaitMs);
    QCOMPARE(spy.at(1).at(0).toBool(), true);
    QCOMPARE(server.requests().size(), 2);
}

void TestConnectionProbe::setTarget_appliesFromTheNextProbe()
{
    TestServer first(TestServer::Behaviour::Hold);
    TestServer second(TestServer::Behaviour::Answer,
                      {"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"});
    QVERIFY(first.isListening());
    QVERIFY(second.isListening());
    ConnectionProbe probe(first.url(), answeredBound);
    QSignalSpy spy(&probe, &ConnectionProbe::finished);

    probe.start();
    QTRY_COMPARE_WITH_TIMEOUT(first.requests().size(), 1, finishedWaitMs);
    probe.setTarget(second.url());
    QCOMPARE(probe.target(), second.url());
    // The running probe keeps its target, Host field included.
    first.answerHeld(ok);
    QVERIFY(spy.wait(finishedWaitMs));
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QCOMPARE(headerValues(first.requests().at(0), "Host"),
             QByteArrayList{first.url().authority().toLatin1()});
    QVERIFY(second.requests().isEmpty());

    QCOMPARE(probeOnce(probe), std::optional<bool>(false));
    QCOMPARE(second.requests().size(), 1);
    QCOMPARE(first.requests().size(), 1);
}

void TestConnectionProbe::environment_overridesTheSiteProbed()
{
    qputenv("TAVRIX_PROBE_ADDRESS", "http://127.0.0.1:9/");
    const ConnectionProbe overridden;
    qunsetenv("TAVRIX_PROBE_ADDRESS");
    QCOMPARE(overridden.target(), QUrl(QStringLiteral("http://127.0.0.1:9/")));
    const ConnectionProbe usual;
    QCOMPARE(usual.target(), QUrl(texts::rsProbeAddress));
}

void TestConnectionProbe::largeBody_isNotDownloaded()
{
    TestServer server(TestServer::Behaviour::Stream);
    QVERIFY(server.isListening());
    ConnectionProbe probe(server.url(), answeredBound);

    const qint64 before = statusKiB("VmRSS");
    QVERIFY(before > 0);
    QVERIFY(resetPeakMemory());

    QCOMPARE(probeOnce(probe), std::optional<bool>(true));
    // The probe hangs up rather than reading the body to its end.
    QTRY_COMPARE_WITH_TIMEOUT(server.openConnections(), 0, finishedWaitMs);
    QVERIFY2(server.bodyBytesSent() < largeBodyBytes,
             QByteArray::number(server.bodyBytesSent()).constData());

    const qint64 peak = statusKiB("VmHWM");
    QVERIFY(peak > 0);
    const qint64 growthKiB = peak - before;
    QVERIFY2(growthKiB < 32 * 1024, QByteArray::number(growthKiB).constData());
}

void TestConnectionProbe::proxySettings_areBypassed()
{
    // Qt never sends loopback traffic through a proxy, so this case needs one
    // of the machine's other addresses.
    QHostAddress ownAddress;
    const QList<QHostAddress> addresses = QNetworkInterface::allAddresses();
    for (const QHostAddress &address : addresses) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback()) {
            ownAddress = address;
            break;
        }
    }
    if (ownAddress.isNull())
        QSKIP("This machine has no address besides loopback.");

    // A proxy nobody listens on: a probe that used it would fail.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 deadPort = closed.serverPort();
    closed.close();
    const QNetworkProxy previous = QNetworkProxy::applicationProxy();
    QNetworkProxy::setApplicationProxy(
        QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), deadPort));
    const auto restore = qScopeGuard([&previous] { QNetworkProxy::setApplicationProxy(previous); });

    TestServer server(TestServer::Behaviour::Answer, {ok}, ownAddress);
    QVERIFY(server.isListening());
    ConnectionProbe probe(server.url(), answeredBound);
    QCOMPARE(probeOnce(probe), std::optional<bool>(true));
    QCOMPARE(server.requests().size(), 1);
}

void TestConnectionProbe::destroyedWhileRunning_endsQuietly()
{
    TestServer server(TestServer::Behaviour::Hold);
    QVERIFY(server.isListening());
    auto probe = std::make_unique<ConnectionProbe>(server.url(), answeredBound);
    QSignalSpy spy(probe.get(), &ConnectionProbe::finished);
    probe->start();
    QTRY_COMPARE_WITH_TIMEOUT(server.requests().size(), 1, finishedWaitMs);
    probe.reset();
    QTRY_COMPARE_WITH_TIMEOUT(server.openConnections(), 0, finishedWaitMs);
    QCOMPARE(spy.size(), 0);
}

void TestConnectionProbe::deletedByFinishedSlot_isSafe_data()
{
    QTest::addColumn<TestServer::Behaviour>("behaviour");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<bool>("connected");

    // One row for each way a probe ends.
    QTest::newRow("headers read") << TestServer::Behaviour::Answer << ok << "http" << true;
    QTest::newRow("connection closed")
        << TestServer::Behaviour::Answer << QByteArray() << "http" << false;
    QTest::newRow("bound reached")
        << TestServer::Behaviour::Hold << QByteArray() << "http" << false;
    QTest::newRow("address not usable")
        << TestServer::Behaviour::Answer << QByteArray() << "gopher" << false;
}

void TestConnectionProbe::deletedByFinishedSlot_isSafe()
{
    QFETCH(TestServer::Behaviour, behaviour);
    QFETCH(QByteArray, answer);
    QFETCH(QString, scheme);
    QFETCH(bool, connected);

    TestServer server(behaviour, {answer});
    QVERIFY(server.isListening());
    QUrl target = server.url();
    target.setScheme(scheme);
    auto probe = std::make_unique<ConnectionProbe>(target, silentBound);
    std::optional<bool> result;
    connect(probe.get(), &ConnectionProbe::finished, probe.get(), [&probe, &result](bool c) {
        result = c;
        probe.reset();
    });
    probe->start();
    QTRY_VERIFY_WITH_TIMEOUT(!probe, finishedWaitMs);
    QCOMPARE(result, std::optional<bool>(connected));
    // Let the sockets left behind be torn down while the test still watches.
    QTRY_COMPARE_WITH_TIMEOUT(server.openConnections(), 0, finishedWaitMs);
}

void TestConnectionProbe::startedAgainByFinishedSlot_runsOnce()
{
    TestServer server(TestServer::Behaviour::Answer, {ok});
    QVERIFY(server.isListening());
    ConnectionProbe probe(server.url(), answeredBound);
    QList<bool> results;
    connect(&probe, &ConnectionProbe::finished, &probe, [&probe, &results](bool connected) {
        results.append(connected);
        if (results.size() == 1)
            probe.start();
    });
    probe.start();
    QTRY_COMPARE_WITH_TIMEOUT(results.size(), 2, finishedWaitMs);
    QCOMPARE(results, QList<bool>({true, true}));
    QCOMPARE(server.requests().size(), 2);
    QVERIFY(!probe.isRunning());
}

QTEST_GUILESS_MAIN(TestConnectionProbe)
#include "tst_connectionprobe.moc"
