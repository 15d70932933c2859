#include "ziparchive.h"

#include "scriptreader.h"
#include "tavrixerror.h"
#include "texts.h"

#include <QLocale>

#include <zip.h>

#include <unistd.h>

namespace {

constexpr qsizetype kChunkBytes = 64 * 1024;

QString megabytes(qint64 bytes)
{
    return QLocale(QLocale::English, QLocale::UnitedStates)
        .toString(double(bytes) / (1024 * 1024), 'f', 0);
}

[[noreturn]] void failUnpacked(qint64 maxBytes)
{
    throw TavrixError(texts::rsDocumentTooLarge.arg(megabytes(maxBytes)));
}

} // namespace

ZipArchive::ZipArchive(int fd)
{
    int error = 0;
    m_zip = zip_fdopen(fd, ZIP_RDONLY, &error);
    if (m_zip)
        return;
    ::close(fd);
    // Newer libzip (1.10 on) tells a cut-short archive apart; to the operator it is no document
    // either.
#ifdef ZIP_ER_TRUNCATED_ZIP
    const bool truncated = error == ZIP_ER_TRUNCATED_ZIP;
#else
    const bool truncated = false;
#endif
    if (error == ZIP_ER_NOZIP || error == ZIP_ER_INCONS || truncated)
        throw TavrixError(texts::rsNotADocument);
    zip_error_t reason;
    zip_error_init_with_code(&reason, error);
    const QString text = QString::fromUtf8(zip_error_strerror(&reason));
    zip_error_fini(&reason);
    throw TavrixError(texts::rsDocumentUnreadable.arg(text));
}

ZipArchive::~ZipArchive()
{
    zip_discard(m_zip);
}

bool ZipArchive::contains(const QString &name) const
{
    return zip_name_locate(m_zip, name.toUtf8().constData(), 0) >= 0;
}

void ZipArchive::read(const QString &name, qint64 maxBytes,
                      const std::function<void(const char *, qsizetype)> &sink) const
{
    const QByteArray utf8 = name.toUtf8();
    const zip_int64_t index = zip_name_locate(m_zip, utf8.constData(), 0);
    if (index < 0)
        throw TavrixError(texts::rsNotADocument);
    zip_stat_t info;
    zip_stat_init(&info);
    if (zip_stat_index(m_zip, zip_uint64_t(index), 0, &info) == 0) {
        if ((info.valid & ZIP_STAT_ENCRYPTION_METHOD) && info.encryption_method != ZIP_EM_NONE)
            throw TavrixError(texts::rsDocumentEncrypted);
        if ((info.valid & ZIP_STAT_SIZE) && info.size > zip_uint64_t(maxBytes))
            failUnpacked(maxBytes);
    }
    std::unique_ptr<zip_file_t, int (*)(zip_file_t *)> file(
        zip_fopen_index(m_zip, zip_uint64_t(index), 0), zip_fclose);
    if (!file)
        throw TavrixError(texts::rsDocumentUnreadable.arg(QString::fromUtf8(zip_strerror(m_zip))));
    QByteArray chunk(kChunkBytes, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const zip_int64_t count = zip_fread(file.get(), chunk.data(), zip_uint64_t(chunk.size()));
        if (count < 0) {
            throw TavrixError(texts::rsDocumentUnreadable.arg(
                QString::fromUtf8(zip_error_strerror(zip_file_get_error(file.get())))));
        }
        if (count == 0)
            return;
        total += count;
        if (total > maxBytes)
            failUnpacked(maxBytes);
        sink(chunk.constData(), qsizetype(count));
    }
}

QByteArray ZipArchive::readAll(const QString &name, qint64 maxBytes) const
{
    QByteArray bytes;
    read(name, maxBytes, [&bytes](const char *data, qsizetype size) { bytes.append(data, size); });
    return bytes;
}
