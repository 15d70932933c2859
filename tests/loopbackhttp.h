#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTest>

#include <memory>

// Raw HTTP over loopback, for tests of the remote control's server, which
// runs in the test's own thread: every wait turns the event loop.

inline QTcpSocket *connectTo(quint16 port, QObject *parent = nullptr)
{
    auto *socket = new QTcpSocket(parent);
    socket->setProxy(QNetworkProxy::NoProxy);
    socket->connectToHost(QHostAddress::LocalHost, port);
    return socket;
}

// Sends the bytes and returns all that comes back until the server closes
// (10 s at most).
inline QByteArray exchange(quint16 port, const QByteArray &request)
{
    std::unique_ptr<QTcpSocket> socket(connectTo(port));
    QByteArray answer;
    QObject::connect(socket.get(), &QTcpSocket::readyRead, socket.get(),
                     [&] { answer += socket->readAll(); });
    QObject::connect(socket.get(), &QTcpSocket::connected, socket.get(),
                     [&] { socket->write(request); });
    for (int i = 0; i < 2000 && socket->state() != QAbstractSocket::UnconnectedState; ++i)
        QTest::qWait(5);
    return answer + socket->readAll();
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
