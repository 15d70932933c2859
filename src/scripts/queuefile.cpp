#include "queuefile.h"

#include "texts.h"

#include "scriptreader.h"
#include "tavrixerror.h"
#include "textdecoder.h"
#include "textfile.h"

#include <QFile>
#include <QLocale>

namespace {

[[noreturn]] void failToOpen(const QString &path, const QString &reason)
{
    throw TavrixError(texts::rsCannotOpenFile.arg(path, reason));
}

QString count(qsizetype number)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(number);
}

[[noreturn]] void failLongLine(const QString &path, qsizetype index)
{
    failToOpen(path, texts::rsQueueLineTooLong.arg(count(index + 1), count(kMaxQueuePathBytes)));
}

} // namespace

QStringList parseQueue(QByteArrayView bytes)
{
    return decodeLines(bytes);
}

QStringList readQueueFile(const QString &path)
{
    const QByteArray bytes = readFileBytes(path, kMaxQueueBytes);
    // Measured first: a file of millions of short lines must not become millions of items.
    const LineShape shape = measureLines(bytes);
    if (shape.lines > kMaxQueueItems) {
        failToOpen(path, texts::rsQueueTooLong.arg(count(shape.lines), count(kMaxQueueItems)));
    }
    // A line of more units has more bytes as a path, whatever its encoding.
    if (shape.longestLine > kMaxQueuePathBytes)
        failLongLine(path, shape.longestLineIndex);
    QStringList items = parseQueue(bytes);
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (QFile::encodeName(items.at(i)).size() > kMaxQueuePathBytes)
            failLongLine(path, i);
    }
    return items;
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
    writeTextFile(path, formatQueue(items));
}
