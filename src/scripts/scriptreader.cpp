#include "scriptreader.h"

#include "rtftext.h"
#include "tavrixerror.h"
#include "textdecoder.h"
#include "texts.h"

#include <QFile>
#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kFirstReadBytes = 64 * 1024;

[[noreturn]] void failToOpen(const QString &path, const QString &reason)
{
    throw TavrixError(texts::rsCannotOpenFile.arg(path, reason));
}

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024 * 1024), 'f', 1);
}

[[noreturn]] void failTooLarge(const QString &path, qint64 size, qint64 maxBytes)
{
    failToOpen(path, texts::rsFileTooLarge.arg(megabytes(size), megabytes(maxBytes)));
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { ::close(m_fd); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    int get() const { return m_fd; }

private:
    int m_fd;
};

// Reads to the end, refusing a file that has grown past maxBytes since fstat.
QByteArray readToEnd(const QString &path, int fd, qint64 expectedSize, qint64 maxBytes)
{
    QByteArray bytes(qsizetype(std::min(std::max(expectedSize, kFirstReadBytes), maxBytes) + 1),
                     Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        if (total == bytes.size()) {
            if (total > maxBytes)
                failTooLarge(path, total, maxBytes);
            bytes.resize(qsizetype(std::min(total * 2, maxBytes + 1)));
        }
        const ssize_t count = ::read(fd, bytes.data() + total, size_t(bytes.size() - total));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            failToOpen(path, systemErrorText(errno));
        if (count == 0)
            break;
        total += count;
    }
    bytes.truncate(qsizetype(total));
    return bytes;
}

} // namespace

QString systemErrorText(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

bool isRichTextPath(const QString &path)
{
    const QStringView name = QStringView(path).sliced(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && name.sliced(dot).toString().toUpper() == u".RTF";
}

QByteArray readFileBytes(const QString &path, qint64 maxBytes)
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer; fstat refuses it next.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        failToOpen(path, systemErrorText(errno));
    const FileDescriptor file(fd);
    struct stat info = {};
    if (::fstat(file.get(), &info) != 0)
        failToOpen(path, systemErrorText(errno));
    if (S_ISDIR(info.st_mode))
        failToOpen(path, systemErrorText(EISDIR));
    if (!S_ISREG(info.st_mode))
        failToOpen(path, texts::rsNotRegularFile);
    if (info.st_size > maxBytes)
        failTooLarge(path, info.st_size, maxBytes);
    return readToEnd(path, file.get(), info.st_size, maxBytes);
}

QStringList readPlainTextFile(const QString &path)
{
    return decodeLines(readFileBytes(path, kMaxScriptBytes));
}

QStringList readRichTextFile(const QString &path)
{
    const QByteArray bytes = readFileBytes(path, kMaxScriptBytes);
    if (std::optional<QStringList> lines = rtfToLines(bytes))
        return std::move(*lines);
    return cutLongLines(decodeLines(bytes));
}

QStringList readScript(const QString &path)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QStringList lines = isRichTextPath(path) ? readRichTextFile(path) : readPlainTextFile(path);
    if (lines.size() > kMaxScriptLines) {
        failToOpen(path, texts::rsScriptTooLong.arg(english.toString(lines.size()),
                                                    english.toString(kMaxScriptLines)));
    }
    qsizetype characters = 0;
    for (const QString &line : std::as_const(lines))
        characters += line.size();
    if (characters > kMaxScriptCharacters) {
        failToOpen(path, texts::rsScriptTooBig.arg(english.toString(characters),
                                                   english.toString(kMaxScriptCharacters)));
    }
    return lines;
}
