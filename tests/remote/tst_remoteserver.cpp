#include "lockout.h"
#include "loopbackhttp.h"
#include "operatoraction.h"
#include "remotekey.h"
#include "remoteserver.h"
#include "requesthead.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkProxy>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWebSocket>

#include <memory>
#include <vector>

namespace {

// Qt 6.5 renamed the WebSocket's error signal and 6.8 warns about the old name, the
// only one 6.4 has.
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
constexpr auto webSocketError = &QWebSocket::errorOccurred;
#else
constexpr auto webSocketError = qOverload<QAbstractSocket::SocketError>(&QWebSocket::error);
#endif

// A server on 127.0.0.1 whose actions are written down and whose readout
// carries the last one, so that an answer shows what ran.
struct Served
{
    RemoteServer server;
    QStringList performed;
    Readout readout;
    qint64 now = 1'000'000;
    QList<QHostAddress> listen;
    QByteArray oldKey; // the key before the last restart

    explicit Served(QList<QHostAddress> addresses = {QHostAddress(QHostAddress::LocalHost)})
        : listen(std::move(addresses))
    {
        readout.speed = QStringLiteral("Paused...");
        readout.title = QStringLiteral("C:\\news\\<b>\"late\"</b>.txt");
        server.setActionHandler([this](OperatorAction action, int value) {
            performed.append(actionTakesValue(action)
                                 ? actionName(action) + u' ' + QString::number(value)
                                 : actionName(action));
            readout.speed = QStringLiteral("Speed ") + QString::number(performed.size());
            server.readoutChanged();
        });
        server.setReadoutSource([this] { return readout; });
        server.setClock([this] { return now; });
        if (!server.start(0, listen))
            qFatal("no loopback port: %s", qPrintable(server.errorText()));
    }
    void restart()
    {
        oldKey = key();
        server.stop();
        if (!server.start(0, listen))
            qFatal("no loopback port: %s", qPrintable(server.errorText()));
    }
    QByteArray key() const { return server.key(); }
    quint16 port() const { return server.port(); }
    QString origin() const { return QStringLiteral("http://127.0.0.1:%1").arg(port()); }
    QUrl webSocketUrl(const QByteArray &key) const
    {
        return QUrl(
            QStringLiteral("ws://127.0.0.1:%1/ws?k=%2").arg(port()).arg(QString::fromLatin1(key)));
    }
};

// Runs a table's steps against the server, one a line:
//   "N FROM TARGET STATUS"  N requests from FROM, each answered STATUS
//   "open N FROM"           N connections from FROM that send nothing yet
//   "held N"                the server holds N connections
//   "send I TARGET STATUS"  the I-th open connection sends its request
//   "ws N FROM"             N WebSockets from FROM, all open
//   "wait MS"               the lockout's clock moves on
//   "restart"               the server stops and starts again with a new key
// In a target, @K@ is the key and @OLD@ the key before the restart.
void runSteps(Served &s, const QStringList &steps)
{
    QObject owner;
    QList<QTcpSocket *> open;
    std::vector<std::unique_ptr<QWebSocket>> webSockets;
    const auto target = [&s](const QString &text) {
        return get(text.toLatin1().replace("@K@", s.key()).replace("@OLD@", s.oldKey));
    };
    for (const QString &step : steps) {
        const QStringList w = step.split(u' ');
        if (w.at(0) == QLatin1String("open")) {
            for (int i = 0; i < w.at(1).toInt(); ++i) {
                QTcpSocket *socket = connectTo(s.port(), &owner, w.at(2));
                QObject::connect(socket, &QTcpSocket::connected, socket,
                                 [socket] { socket->setProperty("reached", true); });
                open.append(socket);
            }
            // Reached once is enough: the server may already have closed the ones over a cap.
            for (QTcpSocket *socket : std::as_const(open))
                QTRY_VERIFY(socket->property("reached").toBool());
        } else if (w.at(0) == QLatin1String("held")) {
            QTRY_COMPARE(s.server.clientCount(), w.at(1).toInt());
        } else if (w.at(0) == QLatin1String("send")) {
            const QByteArray answer = exchangeOn(open.at(w.at(1).toInt()), target(w.at(2)));
            QVERIFY2(statusOf(answer) == w.at(3).toInt(), qPrintable(step + u' ' + answer));
        } else if (w.at(0) == QLatin1String("ws")) {
            for (int i = 0; i < w.at(1).toInt(); ++i) {
                auto client = std::make_unique<QWebSocket>(s.origin());
                client->setProxy(QNetworkProxy::NoProxy);
                client->open(s.webSocketUrl(s.key()));
                QTRY_COMPARE(client->state(), QAbstractSocket::ConnectedState);
                webSockets.push_back(std::move(client));
            }
        } else if (w.at(0) == QLatin1String("wait")) {
            s.now += w.at(1).toLongLong();
        } else if (w.at(0) == QLatin1String("restart")) {
            s.restart();
        } else {
            for (int i = 0; i < w.at(0).toInt(); ++i) {
                const QByteArray answer = exchange(s.port(), target(w.at(2)), w.at(1));
                QVERIFY2(statusOf(answer) == w.at(3).toInt(), qPrintable(step + u' ' + answer));
            }
        }
    }
}

} // namespace

class RemoteServerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void names_roundTrip();
    void values_data();
    void values();
    void key_isFreshHexComparedWhole();
    void requests_data();
    void requests();
    void page_isTheResourceWithTheKey();
    void clientGroup_data();
    void clientGroup();
    void lockout_data();
    void lockout();
    void clients_data();
    void clients();
    void trickle_isCutAtTheIdleLimit();
    void flood_everyRequestAnsweredOrRefused();
    void webSocket_readoutPushedAndActionsInOrder();
    void webSocket_refused_data();
    void webSocket_refused();
    void webSocket_badFramesClose_data();
    void webSocket_badFramesClose();
    void portInUse_saysSoAndStaysOff();
    void stop_closesClientsAndNextStartHasANewKey();
};

void RemoteServerTest::names_roundTrip()
{
    const QStringList names{QStringLiteral("faster"),
                            QStringLiteral("slower"),
                            QStringLiteral("coarse-faster"),
                            QStringLiteral("coarse-slower"),
                            QStringLiteral("pause"),
                            QStringLiteral("reverse"),
                            QStringLiteral("top"),
                            QStringLiteral("previous"),
                            QStringLiteral("next"),
                            QStringLiteral("speed"),
                            QStringLiteral("step"),
                            QStringLiteral("next-marker"),
                            QStringLiteral("previous-marker")};
    for (const QString &name : names) {
        const auto action = actionFromName(name);
        QVERIFY2(action, qPrintable(name));
        QCOMPARE(actionName(*action), name);
    }
    QVERIFY(!actionFromName(u"Faster"));
    QVERIFY(!actionFromName(u"state"));
    QVERIFY(!actionFromName(u""));
}

void RemoteServerTest::values_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("30") << "30" << true << 30;
    QTest::newRow("-0") << "-0" << true << 0;
    QTest::newRow("+7") << "+7" << true << 7;
    QTest::newRow("huge saturates") << "99999999999999999999" << true << 999999999;
    QTest::newRow("huge negative") << "-1000000000000" << true << -999999999;
    QTest::newRow("1e9") << "1e9" << false << 0;
    QTest::newRow("abc") << "abc" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("fraction") << "2.5" << false << 0;
    QTest::newRow("space") << " 5" << false << 0;
}

void RemoteServerTest::values()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    const auto parsed = actionValueFromText(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);
}

void RemoteServerTest::key_isFreshHexComparedWhole()
{
    const QByteArray a = makeRemoteKey();
    const QByteArray b = makeRemoteKey();
    QCOMPARE(a.size(), 32);
    QVERIFY(a != b);
    QCOMPARE(QByteArray::fromHex(a).toHex(), a);
    QVERIFY(sameKey(a, a));
    QVERIFY(!sameKey(a.left(31), a));
    QVERIFY(!sameKey(a + '0', a));
    QVERIFY(!sameKey(QByteArray(), a));
    QVERIFY(!sameKey(QByteArray(), QByteArray()));
    QByteArray last = a;
    last[31] = last[31] == '0' ? '1' : '0';
    QVERIFY(!sameKey(last, a));
}

void RemoteServerTest::requests_data()
{
    QTest::addColumn<QByteArray>("request"); // @K@ stands for the key
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("performed");

    QTest::newRow("state") << get("/api/state?k=@K@") << 200 << "";
    QTest::newRow("faster") << get("/api/faster?k=@K@") << 200 << "faster";
    QTest::newRow("coarse-slower") << get("/api/coarse-slower?k=@K@") << 200 << "coarse-slower";
    QTest::newRow("next-marker") << get("/api/next-marker?k=@K@") << 200 << "next-marker";
    QTest::newRow("speed 30") << get("/api/speed?k=@K@&v=30") << 200 << "speed 30";
    QTest::newRow("speed -0") << get("/api/speed?v=-0&k=@K@") << 200 << "speed 0";
    QTest::newRow("speed 1e9") << get("/api/speed?k=@K@&v=1e9") << 400 << "";
    QTest::newRow("speed abc") << get("/api/speed?k=@K@&v=abc") << 400 << "";
    QTest::newRow("speed without v") << get("/api/speed?k=@K@") << 400 << "";
    QTest::newRow("step 1000000000")
        << get("/api/step?k=@K@&v=1000000000") << 200 << "step 999999999";
    QTest::newRow("unknown action") << get("/api/fly?k=@K@") << 404 << "";
    QTest::newRow("unknown path") << get("/etc/passwd?k=@K@") << 404 << "";
    QTest::newRow("climbing path") << get("/../../etc/passwd?k=@K@") << 404 << "";
    QTest::newRow("no key") << get("/api/faster") << 401 << "";
    QTest::newRow("empty key") << get("/api/faster?k=") << 401 << "";
    QTest::newRow("wrong key") << get("/api/faster?k=0123456789abcdef0123456789abcdef") << 401
                               << "";
    QTest::newRow("long key") << get("/api/faster?k=" + QByteArray(7000, 'a')) << 401 << "";
    QTest::newRow("key and more") << get("/api/faster?k=@K@00") << 401 << "";
    QTest::newRow("percent-encoded key") << get("/api/faster?k=@%K@") << 200 << "faster";
    QTest::newRow("key in a header")
        << QByteArray("GET /api/faster HTTP/1.1\r\nAuthorization: Bearer @K@\r\nX-Key: @K@\r\n\r\n")
        << 401 << "";
    QTest::newRow("page without key") << get("/") << 401 << "";
    QTest::newRow("script without key") << get("/remote.js") << 401 << "";
    QTest::newRow("POST") << QByteArray("POST /api/faster?k=@K@ HTTP/1.1\r\n\r\n") << 405 << "";
    QTest::newRow("HEAD") << QByteArray("HEAD /api/state?k=@K@ HTTP/1.1\r\n\r\n") << 405 << "";
    QTest::newRow("OPTIONS") << QByteArray("OPTIONS * HTTP/1.1\r\n\r\n") << 400 << "";
    QTest::newRow("GET with a body")
        << QByteArray("GET /api/faster?k=@K@ HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello") << 400
        << "";
    QTest::newRow("not HTTP") << QByteArray("HELLO\r\n\r\n") << 400 << "";
    QTest::newRow("HTTP/2 line") << QByteArray("GET /api/state?k=@K@ HTTP/2\r\n\r\n") << 400 << "";
    QTest::newRow("head over 8 KiB")
        << QByteArray("GET /api/faster?k=@K@ HTTP/1.1\r\nX-Pad: " + QByteArray(9000, 'x') +
                      "\r\n\r\n")
        << 431 << "";
    QTest::newRow("endless head") << QByteArray(20000, 'G') << 431 << "";
    QTest::newRow("upgrade elsewhere")
        << QByteArray("GET /api/state?k=@K@ HTTP/1.1\r\nUpgrade: websocket\r\nConnection: "
                      "Upgrade\r\n\r\n")
        << 404 << "";
    QTest::newRow("upgrade from a foreign page")
        << QByteArray("GET /ws?k=@K@ HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                      "Origin: http://evil.example\r\n\r\n")
        << 403 << "";
    QTest::newRow("upgrade without origin")
        << QByteArray("GET /ws?k=@K@ HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n\r\n")
        << 403 << "";
    QTest::newRow("favicon") << get("/favicon.ico") << 404 << "";
    QTest::newRow("unknown path, wrong key") << get("/robots.txt?k=nope") << 404 << "";
    QTest::newRow("pipelined keyless request")
        << QByteArray(get("/api/state?k=@K@") + get("/api/faster")) << 400 << "";
    QTest::newRow("pipelined page request")
        << QByteArray(get("/?k=@K@") + get("/remote.js")) << 400 << "";
    QTest::newRow("Content-Length 0")
        << QByteArray("GET /api/faster?k=@K@ HTTP/1.1\r\nContent-Length: 0\r\n\r\n") << 200
        << "faster";
    QTest::newRow("Content-Length 0x5")
        << QByteArray("GET /api/faster?k=@K@ HTTP/1.1\r\nContent-Length: 0x5\r\n\r\n") << 400 << "";
    QTest::newRow("two Content-Lengths")
        << QByteArray("GET /api/faster?k=@K@ HTTP/1.1\r\nContent-Length: 0\r\n"
                      "Content-Length: 0\r\n\r\n")
        << 400 << "";
    QTest::newRow("Transfer-Encoding")
        << QByteArray("GET /api/faster?k=@K@ HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0"
                      "\r\n\r\n")
        << 400 << "";
    QTest::newRow("upgrade with a wrong key")
        << QByteArray("GET /ws?k=nope HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                      "Origin: http://127.0.0.1\r\n\r\n")
        << 401 << "";
}

void RemoteServerTest::requests()
{
    QFETCH(QByteArray, request);
    QFETCH(int, status);
    QFETCH(QString, performed);
    Served s;
    request.replace("@%K@", s.key().toPercentEncoding("", "0123456789abcdef"));
    request.replace("@K@", s.key());
    const QByteArray answer = exchange(s.port(), request);
    QCOMPARE(statusOf(answer), status);
    QCOMPARE(s.performed.join(u','), performed);
    if (status == 200) {
        const QJsonObject readout = QJsonDocument::fromJson(bodyOf(answer)).object();
        QCOMPARE(readout.value(QStringLiteral("speed")).toString(), s.readout.speed);
        QCOMPARE(readout.value(QStringLiteral("title")).toString(), s.readout.title);
        QCOMPARE(headerOf(answer, "Connection"), QByteArray("close"));
    }
    QVERIFY(!bodyOf(answer).contains(s.key()));
    QVERIFY(s.server.isRunning());
}

void RemoteServerTest::page_isTheResourceWithTheKey()
{
    Served s;
    const QByteArray answer = exchange(s.port(), get("/?k=" + s.key()));
    QCOMPARE(statusOf(answer), 200);
    QVERIFY(headerOf(answer, "Content-Security-Policy").startsWith("default-src 'none';"));
    QCOMPARE(headerOf(answer, "Referrer-Policy"), QByteArray("no-referrer"));
    const QByteArray page = bodyOf(answer);
    QVERIFY(page.contains(QByteArray("remote.js?k=" + s.key())));
    QVERIFY(!page.contains("@KEY@"));
    for (const char *label : {"Faster", "Slower", "Pause", "Reverse", "Coarse Faster"})
        QVERIFY2(page.contains(QByteArray("aria-label=\"" + QByteArray(label) + '"')), label);
    const QByteArray script = bodyOf(exchange(s.port(), get("/remote.js?k=" + s.key())));
    QVERIFY(script.contains("textContent"));
    // Texts from the prompter never become markup on the phone.
    for (const char *sink : {"innerHTML", "outerHTML", "insertAdjacentHTML", "document.write"})
        QVERIFY2(!script.contains(sink), sink);
}

void RemoteServerTest::clientGroup_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("same");
    QTest::newRow("IPv4 over IPv6") << "::ffff:10.0.0.2"
                                    << "10.0.0.2" << true;
    QTest::newRow("two IPv4 hosts") << "10.0.0.2"
                                    << "10.0.0.3" << false;
    QTest::newRow("loopback, both kinds") << "::1"
                                          << "127.0.0.1" << true;
    QTest::newRow("one /64") << "2001:db8:1:2::1"
                             << "2001:db8:1:2:aaaa:bbbb:cccc:dddd" << true;
    QTest::newRow("neighbouring /64s") << "2001:db8:1:2::1"
                                       << "2001:db8:1:3::1" << false;
}

void RemoteServerTest::clientGroup()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, same);
    QCOMPARE(::clientGroup(QHostAddress(a)) == ::clientGroup(QHostAddress(b)), same);
}

void RemoteServerTest::lockout_data()
{
    QTest::addColumn<QString>("listen"); // "dual": IPv4 and IPv6 on one socket
    QTest::addColumn<QStringList>("steps");
    const auto row = [](const char *name, const char *listen, const char *steps) {
        QTest::newRow(name) << QString::fromLatin1(listen)
                            << QString::fromLatin1(steps).split(u'|');
    };
    row("ten wrong keys refuse a minute", "127.0.0.1",
        "10 127.0.0.2 /api/faster?k=wrong 401|1 127.0.0.2 /api/faster?k=@K@ 429|"
        "wait 59999|1 127.0.0.2 /api/state?k=@K@ 429|wait 1|1 127.0.0.2 /api/state?k=@K@ 200");
    row("nine within a minute do not", "127.0.0.1",
        "9 127.0.0.2 /api/faster?k=wrong 401|wait 60000|1 127.0.0.2 /api/faster?k=wrong 401|"
        "1 127.0.0.2 /api/state?k=@K@ 200");
    row("one client locked, another not", "127.0.0.1",
        "10 127.0.0.2 /api/faster?k=wrong 401|1 127.0.0.3 /api/state?k=@K@ 200");
    row("a locked client stays locked when another fails", "127.0.0.1",
        "10 127.0.0.2 /api/faster?k=wrong 401|1 127.0.0.3 /api/faster?k=wrong 401|"
        "1 127.0.0.2 /api/state?k=@K@ 429");
    // 127.0.0.1 arrives as ::ffff:127.0.0.1, and ::1 is the same machine.
    row("dual-stack listener", "dual",
        "5 127.0.0.1 /api/faster?k=wrong 401|5 ::1 /api/faster?k=wrong 401|"
        "1 127.0.0.1 /api/state?k=@K@ 429|1 127.0.0.3 /api/state?k=@K@ 200");
    row("connections opened before the lockout", "127.0.0.1",
        "open 3 127.0.0.2|10 127.0.0.2 /api/faster?k=wrong 401|send 0 /api/state?k=@K@ 429|"
        "send 1 /api/faster?k=wrong 429|send 2 /api/faster?k=@K@ 429");
    row("a favicon or no key is no guess", "127.0.0.1",
        "12 127.0.0.2 /favicon.ico 404|12 127.0.0.2 / 401|12 127.0.0.2 /api/state?k= 401|"
        "1 127.0.0.2 /?k=@K@ 200");
    row("a client that has shown the key stays in", "127.0.0.1",
        "1 127.0.0.2 /?k=@K@ 200|12 127.0.0.2 /api/faster?k=guess 401|"
        "1 127.0.0.2 /api/state?k=@K@ 200");
    row("an old key after a restart is no guess", "127.0.0.1",
        "1 127.0.0.2 /?k=@K@ 200|restart|12 127.0.0.2 /api/state?k=@OLD@ 401|"
        "1 127.0.0.2 /api/state?k=@K@ 200");
    row("a restart trusts nobody", "127.0.0.1",
        "1 127.0.0.2 /?k=@K@ 200|restart|10 127.0.0.2 /api/state?k=guess 401|"
        "1 127.0.0.2 /api/state?k=@K@ 429");
}

void RemoteServerTest::lockout()
{
    QFETCH(QString, listen);
    QFETCH(QStringList, steps);
    // Qt binds no IPv6 socket to ::ffff:127.0.0.1 alone: the dual-stack row
    // listens everywhere, as the program can, and its clients stay on loopback.
    Served s(
        {listen == QLatin1String("dual") ? QHostAddress(QHostAddress::Any) : QHostAddress(listen)});
    s.server.setHeadLimit(60'000);
    runSteps(s, steps);
}

void RemoteServerTest::clients_data()
{
    QTest::addColumn<QStringList>("steps");
    const auto row = [](const char *name, const char *steps) {
        QTest::newRow(name) << QString::fromLatin1(steps).split(u'|');
    };
    row("idle connections of one client are capped",
        "open 16 127.0.0.2|held 8|1 127.0.0.3 /api/state?k=@K@ 200");
    row("idle ones of many clients leave room for the key holder",
        "1 127.0.0.9 /?k=@K@ 200|open 8 127.0.0.2|open 8 127.0.0.3|open 8 127.0.0.4|"
        "open 8 127.0.0.5|open 8 127.0.0.6|open 8 127.0.0.7|open 8 127.0.0.8|"
        "open 8 127.0.0.10|held 64|1 127.0.0.11 /api/state?k=@K@ 503|"
        "1 127.0.0.9 /api/state?k=@K@ 200");
    row("sixteen key holders at most", "ws 16 127.0.0.1|1 127.0.0.1 /api/state?k=@K@ 503");
}

// Sixteen threads that reconnect as soon as they are closed once kept
// everybody out: connections without the key must not.
void RemoteServerTest::clients()
{
    QFETCH(QStringList, steps);
    Served s;
    // Here the caps are under test, not the deadline for the head.
    s.server.setHeadLimit(60'000);
    runSteps(s, steps);
}

void RemoteServerTest::trickle_isCutAtTheIdleLimit()
{
    Served s;
    s.server.setHeadLimit(300);
    std::unique_ptr<QTcpSocket> socket(connectTo(s.port()));
    QVERIFY(socket->waitForConnected(5000));
    const QByteArray request = get("/api/faster?k=" + s.key());
    // A byte every 50 ms would take 2 s: the head is not complete in time.
    for (int i = 0; i < request.size() && socket->state() == QAbstractSocket::ConnectedState; ++i) {
        socket->write(request.mid(i, 1));
        QTest::qWait(50);
    }
    QTRY_COMPARE(socket->state(), QAbstractSocket::UnconnectedState);
    QVERIFY(s.performed.isEmpty());
    QCOMPARE(s.server.clientCount(), 0);
}

void RemoteServerTest::flood_everyRequestAnsweredOrRefused()
{
    Served s;
    QObject owner;
    int ok = 0;
    int busy = 0;
    int closed = 0;
    const int count = 400;
    for (int i = 0; i < count; ++i) {
        QTcpSocket *socket = connectTo(s.port(), &owner);
        auto answer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::connected, socket,
                [socket, &s] { socket->write(get("/api/state?k=" + s.key())); });
        connect(socket, &QTcpSocket::readyRead, socket,
                [socket, answer] { *answer += socket->readAll(); });
        connect(socket, &QTcpSocket::disconnected, socket, [&, answer] {
            ++closed;
            const int status = statusOf(*answer);
            ok += status == 200;
            busy += status == 503;
        });
    }
    QTRY_COMPARE_WITH_TIMEOUT(closed, count, 60000);
    QCOMPARE(ok + busy, count);
    QVERIFY(ok > 0);
    QTRY_COMPARE(s.server.clientCount(), 0);
    QCOMPARE(statusOf(exchange(s.port(), get("/api/state?k=" + s.key()))), 200);
}

void RemoteServerTest::webSocket_readoutPushedAndActionsInOrder()
{
    Served s;
    QWebSocket client(s.origin());
    client.setProxy(QNetworkProxy::NoProxy);
    QStringList received;
    connect(&client, &QWebSocket::textMessageReceived, this,
            [&](const QString &m) { received.append(m); });
    client.open(s.webSocketUrl(s.key()));
    QTRY_COMPARE(received.size(), 1);
    QCOMPARE(QJsonDocument::fromJson(received.at(0).toUtf8())["title"].toString(), s.readout.title);
    for (const char *m : {"faster", "speed 30", "step -4", "pause", "speed abc", "fly"})
        client.sendTextMessage(QLatin1String(m));
    QTRY_COMPARE(s.performed.size(), 4);
    QCOMPARE(s.performed, (QStringList{QStringLiteral("faster"), QStringLiteral("speed 30"),
                                       QStringLiteral("step -4"), QStringLiteral("pause")}));
    // The last readout reaches the client, though pushes are at most ten a second.
    QTRY_VERIFY(received.constLast().contains(QLatin1String("Speed 4")) || received.size() >= 2);
    QTRY_VERIFY(std::any_of(received.cbegin(), received.cend(), [](const QString &m) {
        return m.contains(QLatin1String("\"Speed 4\""));
    }));
    QVERIFY(std::any_of(received.cbegin(), received.cend(),
                        [](const QString &m) { return m.contains(QLatin1String("error")); }));
    QCOMPARE(s.server.webSocketCount(), 1);
}

void RemoteServerTest::webSocket_refused_data()
{
    QTest::addColumn<QString>("origin");
    QTest::addColumn<bool>("rightKey");
    QTest::newRow("foreign origin") << "http://evil.example" << true;
    QTest::newRow("other port") << "http://127.0.0.1:1" << true;
    QTest::newRow("our address and a digit") << "@1" << true;
    QTest::newRow("no origin") << "" << true;
    QTest::newRow("wrong key") << "@" << false;
}

void RemoteServerTest::webSocket_refused()
{
    QFETCH(QString, origin);
    QFETCH(bool, rightKey);
    Served s;
    QWebSocket client(origin.startsWith(u'@') ? s.origin() + origin.mid(1) : origin);
    client.setProxy(QNetworkProxy::NoProxy);
    QSignalSpy errors(&client, webSocketError);
    client.open(s.webSocketUrl(rightKey ? s.key() : QByteArray("0123")));
    QTRY_VERIFY(!errors.isEmpty() || client.state() == QAbstractSocket::UnconnectedState);
    QVERIFY(client.state() != QAbstractSocket::ConnectedState);
    QCOMPARE(s.server.webSocketCount(), 0);
}

void RemoteServerTest::webSocket_badFramesClose_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("1 MB text frame") << 0;
    QTest::newRow("binary frame") << 1;
    QTest::newRow("masked text that is not UTF-8") << 2;
    QTest::newRow("gone mid-message") << 3;
}

void RemoteServerTest::webSocket_badFramesClose()
{
    QFETCH(int, kind);
    Served s;
    if (kind < 2) {
        QWebSocket client(s.origin());
        client.setProxy(QNetworkProxy::NoProxy);
        client.open(s.webSocketUrl(s.key()));
        QTRY_COMPARE(client.state(), QAbstractSocket::ConnectedState);
        if (kind == 0)
            client.sendTextMessage(QString(1 << 20, u'w'));
        else
            client.sendBinaryMessage("faster");
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QAbstractSocket::UnconnectedState, 20000);
    } else {
        // A hand-made handshake, then a frame whose unmasked text is not UTF-8, or half a frame.
        std::unique_ptr<QTcpSocket> socket(connectTo(s.port()));
        QVERIFY(socket->waitForConnected(5000));
        socket->write("GET /ws?k=" + s.key() +
                      " HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: "
                      "Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                      "Sec-WebSocket-Version: 13\r\nOrigin: " +
                      s.origin().toLatin1() + "\r\n\r\n");
        QTRY_VERIFY(socket->bytesAvailable() > 0 || socket->waitForReadyRead(10));
        QTRY_COMPARE(s.server.webSocketCount(), 1);
        if (kind == 2) {
            socket->write(QByteArray::fromHex("818400000000FFFEFDFC"));
            QTRY_COMPARE_WITH_TIMEOUT(socket->state(), QAbstractSocket::UnconnectedState, 20000);
        } else {
            socket->write(QByteArray::fromHex("81FE1000AABBCCDD") + QByteArray(100, 'x'));
            socket->abort();
        }
    }
    QTRY_COMPARE(s.server.webSocketCount(), 0);
    QVERIFY(s.performed.isEmpty());
    QVERIFY(s.server.isRunning());
}

void RemoteServerTest::portInUse_saysSoAndStaysOff()
{
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::Any, 0));
    RemoteServer server;
    QSignalSpy running(&server, &RemoteServer::runningChanged);
    QVERIFY(!server.start(taken.serverPort(), QHostAddress::LocalHost));
    QVERIFY(!server.isRunning());
    QVERIFY(server.errorText().contains(QString::number(taken.serverPort())));
    QVERIFY(server.errorText().contains(QLatin1String("in use")));
    QVERIFY(server.key().isEmpty());
    QCOMPARE(running.size(), 0);
}

void RemoteServerTest::stop_closesClientsAndNextStartHasANewKey()
{
    Served s;
    const QByteArray firstKey = s.key();
    QWebSocket client(s.origin());
    client.setProxy(QNetworkProxy::NoProxy);
    client.open(s.webSocketUrl(firstKey));
    QTRY_COMPARE(client.state(), QAbstractSocket::ConnectedState);
    std::unique_ptr<QTcpSocket> halfway(connectTo(s.port()));
    QVERIFY(halfway->waitForConnected(5000));
    halfway->write("GET /api/faster?k=");
    QTRY_COMPARE(s.server.clientCount(), 2);

    s.server.stop();
    QVERIFY(!s.server.isRunning());
    QTRY_COMPARE(client.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(client.closeCode(), QWebSocketProtocol::CloseCodeGoingAway);
    QTRY_COMPARE(halfway->state(), QAbstractSocket::UnconnectedState);
    QVERIFY(s.performed.isEmpty());

    QVERIFY(s.server.start(0, QHostAddress::LocalHost));
    QVERIFY(s.key() != firstKey);
    QCOMPARE(statusOf(exchange(s.port(), get("/api/state?k=" + firstKey))), 401);
    QCOMPARE(statusOf(exchange(s.port(), get("/api/state?k=" + s.key()))), 200);
}

QTEST_GUILESS_MAIN(RemoteServerTest)
#include "tst_remoteserver.moc"
