#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTest>

#include <memory>

// Raw HTTP over loopback, for tests of the remote control's server, which
// runs in the test's own thread: every wait turns the event loop.

// A connection to `port` on this machine, from a loopback address of the
// test's choice when `from` is given (all of 127.0.0.0/8 is this machine, so
// that one test plays many clients; "::1" goes over IPv6).
inline QTcpSocket *connectTo(quint16 port, QObject *parent = nullptr, const QString &from = {})
{
    auto *socket = new QTcpSocket(parent);
    socket->setProxy(QNetworkProxy::NoProxy);
    if (!from.isEmpty() && !socket->bind(QHostAddress(from), 0))
        qFatal("cannot bind to %s", qPrintable(from));
    socket->connectToHost(from.contains(u':') ? QHostAddress(QHostAddress::LocalHostIPv6)
                                              : QHostAddress(QHostAddress::LocalHost),
                          port);
    return socket;
}

// Sends the bytes on the connection and returns all that comes back until
// the server closes (10 s at most).
inline QByteArray exchangeOn(QTcpSocket *socket, const QByteArray &request)
{
    // A refusal may come, and the connection close, before the request is out.
    for (int i = 0; i < 2000 && socket->state() != QAbstractSocket::ConnectedState &&
                    socket->state() != QAbstractSocket::UnconnectedState;
         ++i)
        QTest::qWait(5);
    socket->write(request);
    QByteArray answer;
    for (int i = 0; i < 2000 && socket->state() != QAbstractSocket::UnconnectedState; ++i) {
        QTest::qWait(5);
        answer += socket->readAll();
    }
    return answer + socket->readAll();
}

inline QByteArray exchange(quint16 port, const QByteArray &request, const QString &from = {})
{
    std::unique_ptr<QTcpSocket> socket(connectTo(port, nullptr, from));
    return exchangeOn(socket.get(), request);
}

inline int statusOf(const QByteArray &answer)
{
    return answer.startsWith("HTTP/1.") ? answer.mid(9, 3).toInt() : 0;
}

inline QByteArray bodyOf(const QByteArray &answer)
{
    return answer.mid(answer.indexOf("\r\n\r\n") + 4);
}

// The value of the answer's header NAME, the name matched regardless of case as in
// HTTP (Qt 6.8 writes names in lower case, 6.4 as given); empty when there is none.
inline QByteArray headerOf(const QByteArray &answer, const QByteArray &name)
{
    const QList<QByteArray> lines = answer.left(answer.indexOf("\r\n\r\n")).split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

inline QByteArray get(const QByteArray &target)
{
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}
