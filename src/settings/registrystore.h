#pragma once

#include "regfile.h"

#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <variant>

class QLockFile;
class QObject;

// The store binding: values under one root key of HKEY_CURRENT_USER, kept in
// a registry export file. Paths are relative to the root; empty segments are
// dropped, and the last segment names the value.
//
// Reading never fails. Writes go to the file at once, or, between
// beginUpdate() and endUpdate(), as one batch: the first write takes the
// file's lock and re-reads the file, endUpdate() writes it through QSaveFile
// and releases the lock. A failing write throws TavrixError and leaves the
// file as it was. A file that could not be read when the store was made is
// named to the operator at start; writes to it then throw KnownError.
class RegistryStore
{
public:
    explicit RegistryStore(const QString &root, const QString &filePath = defaultFilePath());
    ~RegistryStore();
    RegistryStore(const RegistryStore &) = delete;
    RegistryStore &operator=(const RegistryStore &) = delete;

    // ~/.config/tavrix/user.reg
    static QString defaultFilePath();
    // Beside the store, a copy of a store file that did not parse.
    static QString damagedCopyPath(const QString &filePath);

    QString root() const { return m_root; }
    QString filePath() const { return m_filePath; }

    // Why the store file exists but cannot be read ("Cannot open file ..."), or
    // nothing. Such a file reads as defaults and is never written over.
    std::optional<QString> readProblem() const;

    bool valueExists(const QString &path) const;
    bool keyExists(const QString &path) const;
    // A dword, or a string holding a decimal 32-bit integer; else the default.
    int readInteger(const QString &path, int defaultValue) const;
    // A string value only; else the default.
    QString readString(const QString &path, const QString &defaultValue) const;

    void writeInteger(const QString &path, int value);
    void writeString(const QString &path, const QString &value);

    // The same writes for values changed while the band scrolls, where a sync to
    // disk must not stop it: the file is locked, re-read, written and synced on a
    // thread of the store's own, one write after another in order. Reads here see
    // the value at once. A write that fails is named to the failure handler, on
    // this store's thread; one that fails because the file could not be read at
    // start, which the operator was told, only on standard error.
    void writeIntegerInBackground(const QString &path, int value);
    void writeStringInBackground(const QString &path, const QString &value);
    void setBackgroundFailureHandler(std::function<void(const QString &message)> failed);
    // Returns once every background write has finished; destruction waits too.
    void waitForBackgroundWrites();

    // Nestable; reads inside a batch read the file once.
    void beginUpdate();
    // Commits the batch's writes when the outermost batch ends; throws when the
    // file cannot be written, and the batch is over either way.
    void endUpdate();
    // Ends a batch and drops its writes.
    void cancelUpdate();

    // Ends the batch it began: commit() commits, destruction without it cancels.
    class Batch
    {
    public:
        explicit Batch(RegistryStore &storage);
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;
        void commit();

    private:
        RegistryStore &m_storage;
        bool m_open = true;
    };

private:
    class BackgroundWriter;
    struct Location
    {
        QString key; // below the hive
        QString name;
    };
    Location locate(const QString &path) const;
    template <typename Read> auto reading(Read read) const;
    static QString pendingName(const Location &location);
    void writeInBackground(const QString &path, const std::variant<quint32, QString> &value);
    void backgroundWriteDone(quint64 serial, const QString &failure, bool told);
    RegFile &documentForWrite(const QString &key);
    void write(const Location &location, const std::function<bool(RegFile &)> &change);
    void commit();
    void release();
    [[noreturn]] void failOpen(const QString &key) const;

    QString m_root;
    QString m_filePath;
    int m_depth = 0;
    mutable std::optional<RegFile> m_document;
    std::unique_ptr<QLockFile> m_lock;
    QString m_batchKey; // the first key a batch writes, named when its commit fails
    bool m_dirty = false;
    bool m_unreadableAtStart = false;
    // Values written in the background and not yet on disk, by lower-case full key and
    // name: the newest write's number and value.
    struct Pending
    {
        quint64 serial = 0;
        std::variant<quint32, QString> value;
    };
    QHash<QString, Pending> m_pending;
    std::function<void(const QString &)> m_backgroundFailed;
    quint64 m_backgroundSerial = 0;
    // Where the writer's word of a finished write is delivered, on this store's thread.
    std::unique_ptr<QObject> m_backgroundContext;
    std::unique_ptr<BackgroundWriter> m_background; // destroyed first: it waits for its writes
};
