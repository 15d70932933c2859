#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

class QHostAddress;

// What the lockout and the connection caps count as one client: an IPv4
// address (reached over IPv6 as ::ffff:a.b.c.d too), an IPv6 address's /64,
// since one host picks freely among the addresses of its network, and ::1
// as 127.0.0.1.
QString clientGroup(const QHostAddress &address);

// Refuses a client for a minute once it has failed ten times within one.
// A client that has shown the current key is trusted: its failures (a stale
// page, another page in the same browser) never lock it out. Times are
// milliseconds of any monotonic clock the caller keeps.
class Lockout final
{
public:
    static constexpr int kFailures = 10;
    static constexpr qint64 kWindowMs = 60'000;

    bool isLocked(const QString &client, qint64 now) const;
    void fail(const QString &client, qint64 now);
    void trust(const QString &client);
    bool isTrusted(const QString &client) const { return m_trusted.contains(client); }
    // A new key: nobody has shown it yet.
    void clear();

private:
    struct Client
    {
        QList<qint64> failures;
        qint64 lockedUntil = -1;
    };
    void forgetOld(qint64 now);

    QHash<QString, Client> m_clients;
    QSet<QString> m_trusted;
};
