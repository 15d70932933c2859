#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// Where text the operator had not saved is kept when the program is stopped:
// the "recovered" folder of the application's data folder
// (~/.local/share/tavrix/recovered).
QString recoveredTextFolder();

// Writes `text` through QSaveFile as "<name>-<date>.txt" in `folder`, the name
// taken from `scriptPath` ("script" when there is none), and notes the copy
// for takeRecoveredTextNotes. Returns the copy's path; throws TavrixError
// when it cannot be written.
QString keepRecoveredText(const QString &folder, const QString &scriptPath, const QDateTime &when,
                          const QString &text);

// The copies noted since the last call, oldest first; the note is cleared.
QStringList takeRecoveredTextNotes(const QString &folder);
