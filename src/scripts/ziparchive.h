#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

struct zip;

// A zip file open for reading its members, as Word and OpenDocument files
// are. Every failure throws TavrixError with a reason in the program's words.
class ZipArchive
{
public:
    // Takes `fd` (open for reading, a regular file) and closes it.
    explicit ZipArchive(int fd);
    ~ZipArchive();
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    bool contains(const QString &name) const;

    // Streams the unpacked member to `sink` in pieces; a member that unpacks
    // past `maxBytes` (whatever its header claims) is refused as soon as it
    // does, never read to its end.
    void read(const QString &name, qint64 maxBytes,
              const std::function<void(const char *data, qsizetype size)> &sink) const;
    // The whole member, for the small ones.
    QByteArray readAll(const QString &name, qint64 maxBytes) const;

private:
    zip *m_zip = nullptr;
};
