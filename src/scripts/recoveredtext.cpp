#include "recoveredtext.h"

#include "scriptreader.h"
#include "tavrixerror.h"
#include "textfile.h"
#include "texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>

namespace {

// The copies not yet shown to the operator, one path a line.
QString notePath(const QString &folder)
{
    return folder + QStringLiteral("/.unannounced");
}

void save(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw TavrixError(texts::rsCannotCreateFile.arg(path, file.errorString()));
}

QByteArray readNote(const QString &folder)
{
    QFile note(notePath(folder));
    return note.open(QIODevice::ReadOnly) ? note.readAll() : QByteArray();
}

} // namespace

QString recoveredTextFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/recovered");
}

QString keepRecoveredText(const QString &folder, const QString &scriptPath, const QDateTime &when,
                          const QString &text)
{
    if (!QDir().mkpath(folder))
        throw TavrixError(texts::rsCannotCreateFile.arg(folder, systemErrorText(errno)));
    QString name = QFileInfo(scriptPath).completeBaseName();
    if (name.isEmpty())
        name = QStringLiteral("script");
    const QString stem = folder + u'/' + name + u'-' + when.toString(u"yyyy-MM-dd-HHmmss");
    QString path = stem + QStringLiteral(".txt");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = stem + u'-' + QString::number(n) + QStringLiteral(".txt");
    save(path, formatText(text));
    save(notePath(folder), readNote(folder) + path.toUtf8() + '\n');
    return path;
}

QStringList takeRecoveredTextNotes(const QString &folder)
{
    QStringList paths;
    const QByteArray note = readNote(folder);
    for (const QByteArray &line : note.split('\n')) {
        if (!line.isEmpty())
            paths.append(QString::fromUtf8(line));
    }
    QFile::remove(notePath(folder));
    return paths;
}
