#include "registrystore.h"

#include "texts.h"

#include "tavrixerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString hive = QStringLiteral("HKEY_CURRENT_USER");

// Another copy saving holds the lock for milliseconds; a dead one's lock is
// taken over by QLockFile's stale-lock detection.
constexpr int lockWaitMs = 10000;

QString fullKey(const QString &key)
{
    return key.isEmpty() ? hive : hive + u'\\' + key;
}

struct Loaded
{
    std::optional<RegFile> file; // nullopt: the file exists but cannot be read
    int error = 0;               // why not: an errno value, or 0 for not a regular file
};

// A missing file is an empty store. Anything but a regular file (a FIFO, a
// device, a folder) is unreadable: opened without blocking, never read.
Loaded load(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return errno == ENOENT ? Loaded{RegFile(), 0} : Loaded{std::nullopt, errno};
    const auto closing = qScopeGuard([fd] { ::close(fd); });
    struct stat info = {};
    if (::fstat(fd, &info) != 0)
        return {std::nullopt, errno};
    if (S_ISDIR(info.st_mode))
        return {std::nullopt, EISDIR};
    if (!S_ISREG(info.st_mode))
        return {std::nullopt, 0};
    // One byte past the cap is enough to know that the file is over it.
    constexpr qint64 cap = RegFile::MaxFileSize + 1;
    QByteArray bytes(qsizetype(std::min<qint64>(info.st_size + 1, cap)), Qt::Uninitialized);
    qsizetype total = 0;
    for (;;) {
        if (total == bytes.size()) {
            // The file grew since fstat: read on, up to the cap.
            if (bytes.size() >= cap)
                break;
            bytes.resize(qsizetype(std::min<qint64>(bytes.size() * 2, cap)));
        }
        const ssize_t count = ::read(fd, bytes.data() + total, std::size_t(bytes.size() - total));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return {std::nullopt, errno};
        if (count == 0)
            break;
        total += count;
    }
    bytes.truncate(total);
    return {RegFile::parse(bytes), 0};
}

} // namespace

RegistryStore::RegistryStore(const QString &root, const QString &filePath)
    : m_root(root), m_filePath(filePath), m_unreadableAtStart(!load(filePath).file)
{}

RegistryStore::~RegistryStore()
{
    release();
}

QString RegistryStore::defaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/tavrix/user.reg");
}

QString RegistryStore::damagedCopyPath(const QString &filePath)
{
    return filePath + QStringLiteral(".bad");
}

std::optional<QString> RegistryStore::readProblem() const
{
    const Loaded loaded = load(m_filePath);
    if (loaded.file)
        return std::nullopt;
    const QString reason = loaded.error == 0 ? texts::rsNotRegularFile
                                             : QString::fromLocal8Bit(std::strerror(loaded.error));
    return texts::rsCannotOpenFile.arg(m_filePath, reason);
}

RegistryStore::Location RegistryStore::locate(const QString &path) const
{
    QStringList parts;
    for (QStringView part : QStringView(m_root).tokenize(u'\\', Qt::SkipEmptyParts))
        parts.append(part.toString());
    for (QStringView part : QStringView(path).tokenize(u'\\', Qt::SkipEmptyParts))
        parts.append(part.toString());
    Location location;
    if (!parts.isEmpty())
        location.name = parts.takeLast();
    location.key = parts.join(u'\\');
    return location;
}

template <typename Read> auto RegistryStore::reading(Read read) const
{
    if (!m_document)
        m_document = load(m_filePath).file.value_or(RegFile());
    // Outside a batch every read sees the file as it is now.
    const auto forget = qScopeGuard([this] {
        if (m_depth == 0)
            m_document.reset();
    });
    return read(*m_document);
}

bool RegistryStore::valueExists(const QString &path) const
{
    const Location at = locate(path);
    return reading([&](const RegFile &file) {
        return file.type(fullKey(at.key), at.name) != RegFile::Type::Missing;
    });
}

bool RegistryStore::keyExists(const QString &path) const
{
    const Location at = locate(path);
    const QString key = at.key.isEmpty() ? at.name : at.key + u'\\' + at.name;
    return reading([&](const RegFile &file) { return file.hasKey(fullKey(key)); });
}

int RegistryStore::readInteger(const QString &path, int defaultValue) const
{
    const Location at = locate(path);
    return reading([&](const RegFile &file) {
        const QString key = fullKey(at.key);
        if (const auto number = file.dword(key, at.name))
            return int(*number);
        if (const auto text = file.string(key, at.name)) {
            bool ok = false;
            const int number = text->toInt(&ok, 10);
            if (ok)
                return number;
        }
        return defaultValue;
    });
}

QString RegistryStore::readString(const QString &path, const QString &defaultValue) const
{
    const Location at = locate(path);
    return reading([&](const RegFile &file) {
        return file.string(fullKey(at.key), at.name).value_or(defaultValue);
    });
}

void RegistryStore::writeInteger(const QString &path, int value)
{
    const Location at = locate(path);
    write(at,
          [&](RegFile &file) { return file.setDword(fullKey(at.key), at.name, quint32(value)); });
}

void RegistryStore::writeString(const QString &path, const QString &value)
{
    const Location at = locate(path);
    write(at, [&](RegFile &file) { return file.setString(fullKey(at.key), at.name, value); });
}

void RegistryStore::write(const Location &location, const std::function<bool(RegFile &)> &change)
{
    Batch batch(*this);
    RegFile &file = documentForWrite(location.key);
    // The file format cannot hold the name or text (a line feed).
    if (!change(file))
        failOpen(location.key);
    m_dirty = true;
    batch.commit();
}

RegFile &RegistryStore::documentForWrite(const QString &key)
{
    if (m_lock)
        return *m_document;
    if (!QDir().mkpath(QFileInfo(m_filePath).absolutePath()))
        throw TavrixError(texts::rsUnableToCreateKey.arg(key));
    auto lock = std::make_unique<QLockFile>(m_filePath + QStringLiteral(".lock"));
    if (!lock->tryLock(lockWaitMs))
        failOpen(key);
    // Re-read under the lock, so that what another copy saved is kept.
    std::optional<RegFile> current = load(m_filePath).file;
    if (!current && m_unreadableAtStart)
        throw KnownError(texts::rsSettingsNotSaved.arg(readProblem().value_or(m_filePath)));
    if (!current)
        failOpen(key);
    m_document = std::move(*current);
    m_lock = std::move(lock);
    m_batchKey = key;
    return *m_document;
}

void RegistryStore::beginUpdate()
{
    ++m_depth;
}

void RegistryStore::endUpdate()
{
    if (m_depth == 0 || --m_depth > 0)
        return;
    const auto done = qScopeGuard([this] { release(); });
    if (m_dirty)
        commit();
}

void RegistryStore::cancelUpdate()
{
    if (m_depth == 0 || --m_depth > 0)
        return;
    release();
}

void RegistryStore::commit()
{
    if (m_document->damaged() && QFileInfo::exists(m_filePath)) {
        const QString copy = damagedCopyPath(m_filePath);
        QFile::remove(copy);
        if (!QFile::copy(m_filePath, copy))
            failOpen(m_batchKey);
    }
    const QByteArray bytes = m_document->serialise();
    QSaveFile file(m_filePath);
    // Unbuffered: commit() does not see a write that fails as it flushes its buffer, and
    // would put a cut-off file in place of the whole one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(bytes) != bytes.size() || !file.commit())
        failOpen(m_batchKey);
}

void RegistryStore::release()
{
    m_document.reset();
    m_lock.reset();
    m_batchKey.clear();
    m_dirty = false;
}

void RegistryStore::failOpen(const QString &key) const
{
    throw TavrixError(texts::rsUnableToOpenKeyForWrite.arg(fullKey(key)));
}

RegistryStore::Batch::Batch(RegistryStore &storage) : m_storage(storage)
{
    m_storage.beginUpdate();
}

RegistryStore::Batch::~Batch()
{
    if (m_open)
        m_storage.cancelUpdate();
}

void RegistryStore::Batch::commit()
{
    m_open = false;
    m_storage.endUpdate();
}
