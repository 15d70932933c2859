#include "queuefile.h"

#include "texts.h"

#include "scriptreader.h"
#include "tavrixerror.h"
#include "textdecoder.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

namespace {

// QSaveFile words some refusals in its own terms; the operator sees the system's.
QString createFailureText(const QString &path, const QSaveFile &file)
{
    const QFileInfo target(path);
    if (target.isDir())
        return systemErrorText(EISDIR);
    if (target.exists() && !target.isWritable())
        return systemErrorText(EACCES);
    return file.errorString();
}

} // namespace

QStringList parseQueue(QByteArrayView bytes)
{
    return decodeLines(bytes);
}

QStringList readQueueFile(const QString &path)
{
    return parseQueue(readFileBytes(path, kMaxQueueBytes));
}

QByteArray formatQueue(const QStringList &items)
{
    QString text;
    for (const QString &item : items)
        text += item + u"\r\n";
    return encodeText(text);
}

void writeQueueFile(const QString &path, const QStringList &items)
{
    const QByteArray bytes = formatQueue(items);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw TavrixError(texts::rsCannotCreateFile.arg(path, createFailureText(path, file)));
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        throw TavrixError(texts::rsStreamWriteError);
    }
    if (!file.commit())
        throw TavrixError(texts::rsStreamWriteError);
}
