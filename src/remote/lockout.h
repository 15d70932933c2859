#pragma once

#include <QHash>
#include <QList>
#include <QString>

// Refuses a client address for a minute once it has failed ten times within
// one. Times are milliseconds of any monotonic clock the caller keeps.
class Lockout final
{
public:
    static constexpr int kFailures = 10;
    static constexpr qint64 kWindowMs = 60'000;

    bool isLocked(const QString &address, qint64 now) const;
    void fail(const QString &address, qint64 now);
    void clear() { m_clients.clear(); }

private:
    struct Client
    {
        QList<qint64> failures;
        qint64 lockedUntil = -1;
    };
    void forgetOld(qint64 now);

    QHash<QString, Client> m_clients;
};
