#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

// Queue files hold paths only; anything larger is refused unread.
inline constexpr qint64 kMaxQueueBytes = 64 * 1024 * 1024;

// The items of a queue file's bytes: one per line, exactly as written.
QStringList parseQueue(QByteArrayView bytes);

// The bytes of a queue file: every item followed by CR LF, UTF-8 without a mark.
QByteArray formatQueue(const QStringList &items);

// Throws TavrixError "Cannot open file ..." as the script readers do.
QStringList readQueueFile(const QString &path);

// Writes formatQueue(items) through QSaveFile. Throws TavrixError "Cannot create file
// ..." or "Stream write error"; on failure an earlier file stays as it was.
void writeQueueFile(const QString &path, const QStringList &items);
