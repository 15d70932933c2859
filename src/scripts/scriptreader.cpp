#include "scriptreader.h"

#include "documentlines.h"
#include "markdowntext.h"
#include "odttext.h"
#include "rtftext.h"
#include "tavrixerror.h"
#include "textdecoder.h"
#include "texts.h"
#include "wordtext.h"
#include "ziparchive.h"

#include <QFile>
#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

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

QString count(qsizetype number)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(number);
}

bool tooManyLines(qsizetype lines)
{
    return lines > kMaxScriptLines;
}

bool tooManyCharacters(qsizetype characters)
{
    return characters > kMaxScriptCharacters;
}

void checkLineCount(const QString &path, qsizetype lines)
{
    if (tooManyLines(lines))
        failToOpen(path, texts::rsScriptTooLong.arg(count(lines), count(kMaxScriptLines)));
}

void checkCharacterCount(const QString &path, qsizetype characters)
{
    if (tooManyCharacters(characters)) {
        failToOpen(path, texts::rsScriptTooBig.arg(count(characters), count(kMaxScriptCharacters)));
    }
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

// A regular file open for reading, or TavrixError with the system's reason.
class ScriptFile
{
public:
    explicit ScriptFile(const QString &path) : m_path(path), m_file(open(path))
    {
        struct stat info = {};
        if (::fstat(m_file.get(), &info) != 0)
            failToOpen(path, systemErrorText(errno));
        if (S_ISDIR(info.st_mode))
            failToOpen(path, systemErrorText(EISDIR));
        if (!S_ISREG(info.st_mode))
            failToOpen(path, texts::rsNotRegularFile);
        m_size = info.st_size;
    }

    qint64 size() const { return m_size; }
    // A descriptor of the file of its own, read from the start.
    int duplicate() const
    {
        const int fd = ::fcntl(m_file.get(), F_DUPFD_CLOEXEC, 0);
        if (fd < 0 || ::lseek(fd, 0, SEEK_SET) != 0)
            failToOpen(m_path, systemErrorText(errno));
        return fd;
    }

    void refuseOver(qint64 maxBytes) const
    {
        if (m_size > maxBytes)
            failTooLarge(m_path, m_size, maxBytes);
    }

    // At most `capacity` next bytes; 0 at the end.
    qsizetype read(char *buffer, qsizetype capacity) const
    {
        for (;;) {
            const ssize_t count = ::read(m_file.get(), buffer, std::size_t(capacity));
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0)
                failToOpen(m_path, systemErrorText(errno));
            return qsizetype(count);
        }
    }

    // Appends the rest of the file to `bytes`, refusing a file that has grown
    // past maxBytes since it was opened.
    void readToEnd(QByteArray &bytes, qint64 maxBytes) const
    {
        qint64 total = bytes.size();
        bytes.resize(qsizetype(std::min(std::max({m_size, total, kFirstReadBytes}), maxBytes) + 1));
        for (;;) {
            if (total == bytes.size()) {
                if (total > maxBytes)
                    failTooLarge(m_path, total, maxBytes);
                bytes.resize(qsizetype(std::min(total * 2, maxBytes + 1)));
            }
            const qsizetype count = read(bytes.data() + total, bytes.size() - total);
            if (count == 0)
                break;
            total += count;
        }
        bytes.truncate(qsizetype(total));
    }

    // Up to `maxBytes` first bytes.
    QByteArray readHead(qint64 maxBytes) const
    {
        QByteArray head(qsizetype(maxBytes), Qt::Uninitialized);
        qsizetype total = 0;
        while (total < head.size()) {
            const qsizetype count = read(head.data() + total, head.size() - total);
            if (count == 0)
                break;
            total += count;
        }
        head.truncate(total);
        return head;
    }

private:
    static int open(const QString &path)
    {
        // O_NONBLOCK: opening a FIFO must not wait for a writer; fstat refuses it next.
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            failToOpen(path, systemErrorText(errno));
        return fd;
    }

    QString m_path;
    FileDescriptor m_file;
    qint64 m_size = 0;
};

// The lines are counted before they are made, so that a file of millions of
// short lines is refused without building them.
QStringList plainTextLines(const QString &path, const QByteArray &bytes, bool cut, ReadLoss *loss)
{
    checkLineCount(path, measureLines(bytes).lines);
    if (loss)
        loss->endsAtNul = textEndsAtNul(bytes);
    QStringList lines = decodeLines(bytes);
    if (cut)
        lines = cutLongLines(std::move(lines));
    qsizetype characters = 0;
    for (const QString &line : std::as_const(lines))
        characters += line.size();
    checkCharacterCount(path, characters);
    return lines;
}

} // namespace

QString systemErrorText(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

bool isRichTextPath(const QString &path)
{
    return scriptKindFor(path) == ScriptKind::RichText;
}

QByteArray readFileBytes(const QString &path, qint64 maxBytes)
{
    const ScriptFile file(path);
    file.refuseOver(maxBytes);
    QByteArray bytes;
    file.readToEnd(bytes, maxBytes);
    return bytes;
}

ScriptKind scriptKindFor(const QString &path)
{
    const QStringView name = QStringView(path).sliced(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString extension = dot < 0 ? QString() : name.sliced(dot + 1).toString().toLower();
    if (extension == u"rtf")
        return ScriptKind::RichText;
    if (extension == u"docx")
        return ScriptKind::WordDocument;
    if (extension == u"odt")
        return ScriptKind::OpenDocument;
    if (extension == u"md" || extension == u"markdown")
        return ScriptKind::Markdown;
    return ScriptKind::PlainText;
}

namespace {

qint64 byteCapFor(ScriptKind kind)
{
    switch (kind) {
    case ScriptKind::RichText:
        return kMaxRichTextBytes;
    case ScriptKind::WordDocument:
    case ScriptKind::OpenDocument:
        return kMaxDocumentBytes;
    case ScriptKind::PlainText:
    case ScriptKind::Markdown:
        break;
    }
    return kMaxScriptBytes;
}

// Takes `fd`. Throws TavrixError with the reason alone.
DocumentText readZippedDocument(const QByteArray &head, int fd, ScriptKind kind)
{
    if (!head.startsWith("PK\x03\x04")) {
        ::close(fd);
        throw TavrixError(head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")
                              ? texts::rsDocumentOldOrLocked
                              : texts::rsNotADocument);
    }
    const ZipArchive archive(fd);
    return kind == ScriptKind::WordDocument
               ? wordDocumentText(archive, kMaxScriptLines, kMaxScriptCharacters)
               : openDocumentText(archive, kMaxScriptLines, kMaxScriptCharacters);
}

} // namespace

void checkScriptOpens(const QString &path)
{
    const ScriptFile file(path);
    file.refuseOver(byteCapFor(scriptKindFor(path)));
}

DocumentText readDocumentFile(const QString &path)
{
    const ScriptKind kind = scriptKindFor(path);
    const ScriptFile file(path);
    file.refuseOver(byteCapFor(kind));
    DocumentText text;
    if (kind == ScriptKind::Markdown) {
        QByteArray bytes;
        file.readToEnd(bytes, kMaxScriptBytes);
        checkLineCount(path, measureLines(bytes).lines);
        text = markdownToLines(decodeText(bytes), kMaxScriptLines, kMaxScriptCharacters);
    } else {
        const QByteArray head = file.readHead(8);
        try {
            text = readZippedDocument(head, file.duplicate(), kind);
        } catch (const TavrixError &error) {
            // The reader says what is wrong; the operator also needs to know with which file.
            failToOpen(path, error.message());
        }
    }
    checkLineCount(path, text.lineCount);
    checkCharacterCount(path, text.characterCount);
    return text;
}

QStringList readPlainTextFile(const QString &path, ReadLoss *loss)
{
    return plainTextLines(path, readFileBytes(path, kMaxScriptBytes), false, loss);
}

QStringList readRichTextFile(const QString &path, ReadLoss *loss)
{
    if (loss)
        *loss = ReadLoss();
    const ScriptFile file(path);
    file.refuseOver(kMaxRichTextBytes);
    QByteArray head = file.readHead(kFirstReadBytes);
    if (!startsRtf(head)) {
        // Plain text under an .rtf name: the plain text cap holds.
        file.refuseOver(kMaxScriptBytes);
        file.readToEnd(head, kMaxScriptBytes);
        return plainTextLines(path, head, true, loss);
    }

    qsizetype served = 0;
    qint64 total = head.size();
    const ByteSource source = [&](char *buffer, qsizetype capacity) -> qsizetype {
        if (served < head.size()) {
            const qsizetype count = std::min(capacity, head.size() - served);
            std::memcpy(buffer, head.constData() + served, std::size_t(count));
            served += count;
            return count;
        }
        const qsizetype count = file.read(buffer, capacity);
        total += count;
        if (total > kMaxRichTextBytes)
            failTooLarge(path, total, kMaxRichTextBytes);
        return count;
    };
    const std::optional<RtfText> text =
        rtfToLines(source, LineLimits{kMaxScriptLines, kMaxScriptCharacters});
    if (!text) // cannot be: the head starts a document
        return {};
    checkLineCount(path, text->lineCount);
    checkCharacterCount(path, text->characterCount);
    return text->lines;
}

QStringList scriptFromText(const QString &title, const QString &text)
{
    const QStringList lines = splitLines(text);
    checkLineCount(title, lines.size());
    qsizetype characters = 0;
    for (const QString &line : lines)
        characters += line.size();
    checkCharacterCount(title, characters);
    return lines;
}

QStringList readScript(const QString &path, ReadLoss *loss, QList<qsizetype> *headings)
{
    if (headings)
        headings->clear();
    switch (scriptKindFor(path)) {
    case ScriptKind::PlainText:
        return readPlainTextFile(path, loss);
    case ScriptKind::RichText:
        return readRichTextFile(path, loss);
    case ScriptKind::WordDocument:
    case ScriptKind::OpenDocument:
    case ScriptKind::Markdown:
        break;
    }
    if (loss)
        *loss = ReadLoss();
    DocumentText text = readDocumentFile(path);
    if (headings)
        *headings = std::move(text.headings);
    return std::move(text.lines);
}
