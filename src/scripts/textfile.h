#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The bytes of a text the program writes: UTF-8 without a mark, every line
// break CR LF; a final break only where the text has one.
QByteArray formatText(const QString &text);

// Writes `bytes` to `path` through QSaveFile, or in place where the folder
// refuses a temporary file. Throws TavrixError "Cannot create file ..." or
// "Stream write error"; on failure an earlier file stays as it was.
void writeTextFile(const QString &path, const QByteArray &bytes);
