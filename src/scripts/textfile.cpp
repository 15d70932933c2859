#include "textfile.h"

#include "scriptreader.h"
#include "tavrixerror.h"
#include "texts.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// QSaveFile words some refusals in its own terms; the operator sees the system's.
QString failureText(const QString &path, const QSaveFile &file)
{
    const QFileInfo target(path);
    if (target.isDir())
        return systemErrorText(EISDIR);
    if (target.exists() && !target.isWritable())
        return systemErrorText(EACCES);
    return file.errorString();
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    // The close of a written file can report the write's failure.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

// Room for `size` bytes of the open file: 0, or the errno of the refusal.
int reserve(int fd, off_t oldSize, off_t size)
{
    if (size <= oldSize)
        return 0;
    int error = ::posix_fallocate(fd, 0, size);
    if (error == EOPNOTSUPP || error == ENOSYS || error == EINVAL) {
        // A file system without reservations: free space is the best guess left.
        struct statvfs space = {};
        if (::fstatvfs(fd, &space) != 0)
            return errno;
        const auto free = static_cast<unsigned long long>(space.f_bavail) * space.f_frsize;
        error = static_cast<unsigned long long>(size - oldSize) > free ? ENOSPC : 0;
    }
    return error;
}

bool writeAllAt(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pwrite(fd, bytes.constData() + done, std::size_t(bytes.size() - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// The folder takes no new file, but the file itself may be written: its new
// size is reserved first, so that a full disk refuses the save before a byte
// of the old text is overwritten, and the file is cut to its new length only
// once the new text is in.
void writeInPlace(const QString &path, const QByteArray &bytes)
{
    Descriptor file(
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0)
        throw TavrixError(texts::rsCannotCreateFile.arg(path, systemErrorText(errno)));
    struct stat info = {};
    if (::fstat(file.get(), &info) != 0)
        throw TavrixError(texts::rsCannotCreateFile.arg(path, systemErrorText(errno)));
    if (!S_ISREG(info.st_mode))
        throw TavrixError(texts::rsCannotCreateFile.arg(path, texts::rsNotRegularFile));
    const off_t size = off_t(bytes.size());
    if (const int error = reserve(file.get(), info.st_size, size))
        throw TavrixError(texts::rsCannotReserveSpace.arg(path, systemErrorText(error)));
    if (!writeAllAt(file.get(), bytes) || ::ftruncate(file.get(), size) != 0 ||
        ::fsync(file.get()) != 0 || !file.close())
        throw TavrixError(texts::rsStreamWriteError);
}

} // namespace

QByteArray formatText(const QString &text)
{
    QString crlf = text;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    crlf.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return crlf.toUtf8();
}

void writeTextFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // Unbuffered, a write that stops part-way fails here and not in commit().
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // A folder that takes no new file still lets an existing writable file be rewritten.
        const QFileInfo target(path);
        if (target.isFile() && target.isWritable() && !QFileInfo(target.path()).isWritable()) {
            writeInPlace(path, bytes);
            return;
        }
        throw TavrixError(texts::rsCannotCreateFile.arg(path, failureText(path, file)));
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        throw TavrixError(texts::rsStreamWriteError);
    }
    // The finished file could not replace the old one: the file was never created.
    if (!file.commit())
        throw TavrixError(texts::rsCannotCreateFile.arg(path, file.errorString()));
}

QString plainTextFileFor(const QString &scriptPath)
{
    if (scriptKindFor(scriptPath) == ScriptKind::PlainText)
        return scriptPath;
    return scriptPath.left(scriptPath.lastIndexOf(QLatin1Char('.'))) + QStringLiteral(".txt");
}
