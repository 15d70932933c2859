#pragma once

// Runs part of a test in a forked child process and hands its result back
// through a pipe: as an unprivileged user when the test runs as root (file
// permissions do not bind root), or as the caller, for resource limits that
// must not touch the test process itself.
//
//     const ChildOutcome outcome = runInChild(ChildUser::Unprivileged, [&] {
//         return readFailure(path).toUtf8();
//     });
//     QVERIFY_CHILD(outcome);
//     QCOMPARE(outcome.result, expected);
//
// The child reaches files only through folders it may enter: make them with
// makeSharedTemporaryDir() and give files the permissions the case needs.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

enum class ChildUser
{
    Caller,
    Unprivileged // "nobody" when running as root; the caller otherwise
};

struct ChildOutcome
{
    enum class Status
    {
        Done,        // the function ran; `result` is what it returned
        Unavailable, // no child could be made or drop its privileges; `why` says why
        Failed       // the child died or the function threw; `why` says how
    };
    Status status = Status::Failed;
    QByteArray result;
    QString why;
};

// Skips the test row only when no child could run it; fails when the child failed.
#define QVERIFY_CHILD(outcome)                                                                     \
    do {                                                                                           \
        if ((outcome).status == ChildOutcome::Status::Unavailable)                                 \
            QSKIP(qPrintable((outcome).why));                                                      \
        QVERIFY2((outcome).status == ChildOutcome::Status::Done, qPrintable((outcome).why));       \
    } while (false)

namespace childprocess {

inline QString systemText(const char *call)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(call),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

inline bool writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, std::size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

inline QByteArray readAll(int fd)
{
    QByteArray bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof(buffer));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return bytes;
        bytes.append(buffer, count);
    }
}

// Supplementary groups first: once the user id is gone, they can no longer be dropped.
inline bool dropPrivileges(uid_t user, gid_t group, QByteArray &why)
{
    if (::setgroups(0, nullptr) != 0) {
        why = systemText("setgroups").toUtf8();
        return false;
    }
    if (::setresgid(group, group, group) != 0) {
        why = systemText("setresgid").toUtf8();
        return false;
    }
    if (::setresuid(user, user, user) != 0) {
        why = systemText("setresuid").toUtf8();
        return false;
    }
    if (::geteuid() != user || ::getegid() != group) {
        why = "the user and group ids did not change";
        return false;
    }
    return true;
}

} // namespace childprocess

inline bool runsAsRoot()
{
    return ::geteuid() == 0;
}

inline ChildOutcome runInChild(ChildUser user, const std::function<QByteArray()> &work)
{
    using childprocess::systemText;
    const bool drop = user == ChildUser::Unprivileged && runsAsRoot();
    // Looked up before the fork: the name service is no business of a forked child.
    uid_t unprivilegedUser = 65534;
    gid_t unprivilegedGroup = 65534;
    if (const passwd *nobody = ::getpwnam("nobody")) {
        unprivilegedUser = nobody->pw_uid;
        unprivilegedGroup = nobody->pw_gid;
    }

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return {ChildOutcome::Status::Unavailable, {}, systemText("pipe2")};
    const pid_t child = ::fork();
    if (child < 0) {
        const QString why = systemText("fork");
        ::close(fds[0]);
        ::close(fds[1]);
        return {ChildOutcome::Status::Unavailable, {}, why};
    }
    if (child == 0) {
        ::close(fds[0]);
        char status = 'D';
        QByteArray message;
        if (drop && !childprocess::dropPrivileges(unprivilegedUser, unprivilegedGroup, message)) {
            status = 'U';
        } else {
            try {
                message = work();
            } catch (const std::exception &error) {
                status = 'F';
                message = QByteArray("the function threw: ") + error.what();
            } catch (...) {
                status = 'F';
                message = "the function threw";
            }
        }
        const bool sent = childprocess::writeAll(fds[1], &status, 1) &&
                          childprocess::writeAll(fds[1], message.constData(), message.size());
        // No exit handlers: they belong to the test process.
        ::_exit(sent ? 0 : 1);
    }
    ::close(fds[1]);
    const QByteArray reply = childprocess::readAll(fds[0]);
    ::close(fds[0]);
    int waitStatus = 0;
    while (::waitpid(child, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(waitStatus) || WEXITSTATUS(waitStatus) != 0 || reply.isEmpty()) {
        const QString how = WIFSIGNALED(waitStatus)
                                ? QStringLiteral("signal %1").arg(WTERMSIG(waitStatus))
                                : QStringLiteral("exit status %1").arg(WEXITSTATUS(waitStatus));
        return {ChildOutcome::Status::Failed,
                {},
                QStringLiteral("the child process died (%1)").arg(how)};
    }
    const QByteArray message = reply.mid(1);
    switch (reply.at(0)) {
    case 'D':
        return {ChildOutcome::Status::Done, message, {}};
    case 'U':
        return {ChildOutcome::Status::Unavailable,
                {},
                QStringLiteral("Running as root, and the child cannot drop to user %1: %2")
                    .arg(unprivilegedUser)
                    .arg(QString::fromUtf8(message))};
    default:
        return {ChildOutcome::Status::Failed, {}, QString::fromUtf8(message)};
    }
}

// A temporary folder under /tmp that every user may enter and read, not write.
inline std::unique_ptr<QTemporaryDir> makeSharedTemporaryDir()
{
    auto dir = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/tavrix-test-XXXXXX"));
    if (dir->isValid()) {
        QFile::setPermissions(dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                               QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                               QFileDevice::ExeOther);
    }
    return dir;
}
