#include "lockout.h"

bool Lockout::isLocked(const QString &address, qint64 now) const
{
    const auto it = m_clients.constFind(address);
    return it != m_clients.cend() && it->lockedUntil > now;
}

void Lockout::fail(const QString &address, qint64 now)
{
    forgetOld(now);
    Client &client = m_clients[address];
    client.failures.append(now);
    if (client.failures.size() >= kFailures) {
        client.lockedUntil = now + kWindowMs;
        client.failures.clear();
    }
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
