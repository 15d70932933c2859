#include "lockout.h"

#include <QHostAddress>

QString clientGroup(const QHostAddress &address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    if (isV4)
        return QHostAddress(v4).toString();
    if (address == QHostAddress(QHostAddress::LocalHostIPv6))
        return QHostAddress(QHostAddress::LocalHost).toString();
    if (address.protocol() != QAbstractSocket::IPv6Protocol)
        return address.toString();
    Q_IPV6ADDR bytes = address.toIPv6Address();
    std::fill(bytes.c + 8, bytes.c + 16, quint8(0));
    return QHostAddress(bytes).toString() + QLatin1String("/64");
}

bool Lockout::isLocked(const QString &client, qint64 now) const
{
    if (m_trusted.contains(client))
        return false;
    const auto it = m_clients.constFind(client);
    return it != m_clients.cend() && it->lockedUntil > now;
}

void Lockout::fail(const QString &client, qint64 now)
{
    forgetOld(now);
    if (m_trusted.contains(client))
        return;
    Client &record = m_clients[client];
    record.failures.append(now);
    if (record.failures.size() >= kFailures) {
        record.lockedUntil = now + kWindowMs;
        record.failures.clear();
    }
}

void Lockout::trust(const QString &client)
{
    m_trusted.insert(client);
    m_clients.remove(client);
}

void Lockout::clear()
{
    m_clients.clear();
    m_trusted.clear();
}

// Keeps the table as small as the last minute's failing clients.
void Lockout::forgetOld(qint64 now)
{
    for (auto it = m_clients.begin(); it != m_clients.end();) {
        QList<qint64> &failures = it->failures;
        while (!failures.isEmpty() && failures.constFirst() <= now - kWindowMs)
            failures.removeFirst();
        if (failures.isEmpty() && it->lockedUntil <= now)
            it = m_clients.erase(it);
        else
            ++it;
    }
}
