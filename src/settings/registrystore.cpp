#include "registrystore.h"

#include "texts.h"

#include "tavrixerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QObject>
#include <QSaveFile>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

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

// One thread and a store of its own for the same file: its writes take the file's
// lock like another copy of the program would, so the two never write over each other.
class RegistryStore::BackgroundWriter
{
public:
    struct Done
    {
        quint64 serial = 0;
        QString failure;
        bool told = false; // the operator knows already: the file was unreadable at start
    };

    // `unreadableAtStart`: as the owner's store found the file, whatever it is now.
    BackgroundWriter(const QString &root, const QString &filePath, bool unreadableAtStart,
                     std::function<void(const Done &)> done)
        : m_store(root, filePath), m_done(std::move(done))
    {
        m_store.m_unreadableAtStart = unreadableAtStart;
        m_thread = std::thread([this] { run(); });
    }

    // What is queued is written first.
    ~BackgroundWriter()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }

    void post(const QString &path, const std::variant<quint32, QString> &value, quint64 serial)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_jobs.push_back({path, value, serial});
        }
        m_wake.notify_one();
    }

    void waitIdle()
    {
        std::unique_lock lock(m_mutex);
        m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
    }

private:
    struct Job
    {
        QString path;
        std::variant<quint32, QString> value;
        quint64 serial = 0;
    };

    void run()
    {
        for (;;) {
            Job job;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
                if (m_jobs.empty())
                    return;
                job = std::move(m_jobs.front());
                m_jobs.pop_front();
                m_busy = true;
            }
            Done done;
            done.serial = job.serial;
            try {
                if (const quint32 *number = std::get_if<quint32>(&job.value))
                    m_store.writeInteger(job.path, int(*number));
                else
                    m_store.writeString(job.path, std::get<QString>(job.value));
            } catch (const KnownError &error) {
                done.failure = error.message();
                done.told = true;
            } catch (const TavrixError &error) {
                done.failure = error.message();
            } catch (const std::exception &error) {
                done.failure = QString::fromLocal8Bit(error.what());
            }
            m_done(done);
            {
                const std::lock_guard lock(m_mutex);
                m_busy = false;
            }
            m_idle.notify_all();
        }
    }

    RegistryStore m_store;
    std::function<void(const Done &)> m_done;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Job> m_jobs;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_thread;
};

RegistryStore::RegistryStore(const QString &root, const QString &filePath)
    : m_root(root), m_filePath(filePath), m_unreadableAtStart(!load(filePath).file)
{}

RegistryStore::~RegistryStore()
{
    m_background.reset();
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
    if (m_pending.contains(pendingName(at)))
        return true;
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
    if (const auto it = m_pending.constFind(pendingName(at)); it != m_pending.cend()) {
        if (const quint32 *number = std::get_if<quint32>(&it->value))
            return int(*number);
        bool ok = false;
        const int number = std::get<QString>(it->value).toInt(&ok);
        return ok ? number : defaultValue;
    }
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
    if (const auto it = m_pending.constFind(pendingName(at)); it != m_pending.cend()) {
        const QString *text = std::get_if<QString>(&it->value);
        return text ? *text : defaultValue;
    }
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

void RegistryStore::writeIntegerInBackground(const QString &path, int value)
{
    writeInBackground(path, quint32(value));
}

void RegistryStore::writeStringInBackground(const QString &path, const QString &value)
{
    writeInBackground(path, value);
}

void RegistryStore::setBackgroundFailureHandler(std::function<void(const QString &)> failed)
{
    m_backgroundFailed = std::move(failed);
}

void RegistryStore::waitForBackgroundWrites()
{
    if (!m_background)
        return;
    m_background->waitIdle();
    // All of it is on disk, or failed and reported when the queued word arrives.
    m_pending.clear();
}

QString RegistryStore::pendingName(const Location &location)
{
    return (fullKey(location.key) + u'\\' + location.name).toLower();
}

void RegistryStore::writeInBackground(const QString &path,
                                      const std::variant<quint32, QString> &value)
{
    if (!m_background) {
        m_backgroundContext = std::make_unique<QObject>();
        QObject *context = m_backgroundContext.get();
        m_background = std::make_unique<BackgroundWriter>(
            m_root, m_filePath, m_unreadableAtStart,
            [this, context](const BackgroundWriter::Done &done) {
                QMetaObject::invokeMethod(
                    context,
                    [this, done] { backgroundWriteDone(done.serial, done.failure, done.told); },
                    Qt::QueuedConnection);
            });
    }
    const quint64 serial = ++m_backgroundSerial;
    m_pending.insert(pendingName(locate(path)), {serial, value});
    m_background->post(path, value, serial);
}

void RegistryStore::backgroundWriteDone(quint64 serial, const QString &failure, bool told)
{
    // Written in order: every value of this write or an earlier one is on disk now.
    for (auto it = m_pending.begin(); it != m_pending.end();)
        it = it->serial <= serial ? m_pending.erase(it) : std::next(it);
    if (failure.isEmpty())
        return;
    if (told || !m_backgroundFailed)
        qWarning("%s", qUtf8Printable(failure));
    else
        m_backgroundFailed(failure);
}

void RegistryStore::write(const Location &location, const std::function<bool(RegFile &)> &change)
{
    // A background write still queued must not land over this newer one.
    waitForBackgroundWrites();
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
