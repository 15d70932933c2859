#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The bytes of a text the program writes: UTF-8 without a mark, every line
// break CR LF; a final break only where the text has one.
QByteArray formatText(const QString &text);

// Writes `bytes` to `path` through QSaveFile, or in place where the folder
// refuses a temporary file but the file itself is writable. Throws TavrixError
// "Cannot create file ..." or "Stream write error"; on failure an earlier file
// stays as it was. In place, a new size the disk cannot hold is refused before
// the file is touched.
void writeTextFile(const QString &path, const QByteArray &bytes);

// The file name quick edit proposes for a script read from `scriptPath`: the
// same, except that a script of any other kind (RTF, Word, OpenDocument,
// Markdown) is proposed as plain text beside it ("talk.rtf" gives "talk.txt"),
// since the editor writes plain text only and must not write over a document.
QString plainTextFileFor(const QString &scriptPath);
