#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// A folder where text the operator had not saved may be kept when the program
// is stopped. A shared folder (the system's temporary folder) is used only when
// the folder is the user's own and closed to everyone else.
struct RecoveredTextFolder
{
    QString path;
    bool shared = false;
};

// The folders tried in turn: the "recovered" folder of the application's data
// folder (~/.local/share/tavrix/recovered), then of its config folder
// (~/.config/tavrix/recovered), then ~/tavrix-recovered, then
// tavrix-recovered-<uid> in the system's temporary folder.
QList<RecoveredTextFolder> recoveredTextFolders();

// Writes `text` as "<name>-<date>.txt" in the first of `folders` that takes
// it, the name taken from `scriptPath` ("script" when there is none) and
// shortened to the file system's name limit; a name already taken (another
// copy stopped in the same second) gets "-2", "-3", ... The copy is created
// exclusively and written through QSaveFile, and noted for
// takeRecoveredTextNotes in the same folder. Returns the copy's path; throws
// TavrixError naming the first folder's failure when no folder takes it.
QString keepRecoveredText(const QList<RecoveredTextFolder> &folders, const QString &scriptPath,
                          const QDateTime &when, const QString &text);

// The copies noted since the last call, oldest first within each folder; the
// notes are cleared.
QStringList takeRecoveredTextNotes(const QList<RecoveredTextFolder> &folders);

// "<name>-<date>" (and "-<n>" from the second try on) plus ".txt", the name cut
// at a character boundary so that the whole takes at most `maxBytes` bytes of
// UTF-8.
QString recoveredFileName(const QString &name, const QDateTime &when, int attempt, int maxBytes);
