#pragma once

#include "regfile.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QLockFile;

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
    struct Location
    {
        QString key; // below the hive
        QString name;
    };
    Location locate(const QString &path) const;
    template <typename Read> auto reading(Read read) const;
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
};
