#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <climits>

// Queue files hold paths only; anything larger is refused unread.
inline constexpr qint64 kMaxQueueBytes = 64 * 1024 * 1024;
// More items would keep the options window's list busy for a long time.
inline constexpr qsizetype kMaxQueueItems = 100000;
// The longest path the system opens, in bytes of its file name encoding (PATH_MAX
// counts the terminating NUL).
inline constexpr qsizetype kMaxQueuePathBytes = PATH_MAX - 1;

// The items of a queue file's bytes: one per line, exactly as written.
QStringList parseQueue(QByteArrayView bytes);

// The bytes of a queue file: every item followed by CR LF, UTF-8 without a mark.
QByteArray formatQueue(const QStringList &items);

// Throws TavrixError "Cannot open file ..." as the script readers do, also for a
// file of more than kMaxQueueItems items or with a line longer than a path can
// be, before it builds the items.
QStringList readQueueFile(const QString &path);

// Writes formatQueue(items) through QSaveFile, in place when the folder refuses
// a new file beside an existing writable one. Throws TavrixError "Cannot create
// file ..." (also when the finished file cannot take the old one's place) or
// "Stream write error" when a write stops part-way; only that part-way write
// in place leaves an earlier file changed.
void writeQueueFile(const QString &path, const QStringList &items);
