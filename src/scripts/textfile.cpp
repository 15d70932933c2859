#include "textfile.h"

#include "scriptreader.h"
#include "tavrixerror.h"
#include "texts.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

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
    // A folder that takes no new file still lets an existing writable file be rewritten.
    file.setDirectWriteFallback(true);
    // Unbuffered, a write that stops part-way fails here and not in commit().
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw TavrixError(texts::rsCannotCreateFile.arg(path, failureText(path, file)));
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        throw TavrixError(texts::rsStreamWriteError);
    }
    // The finished file could not replace the old one: the file was never created.
    if (!file.commit())
        throw TavrixError(texts::rsCannotCreateFile.arg(path, file.errorString()));
}
