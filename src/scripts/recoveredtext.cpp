#include "recoveredtext.h"

#include "scriptreader.h"
#include "tavrixerror.h"
#include "textfile.h"
#include "texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Another copy stopped at the same moment holds the note's lock for milliseconds.
constexpr int noteLockWaitMs = 5000;
// When the file system does not say.
constexpr int defaultNameMax = 255;

// The copies not yet shown to the operator, one entry a line.
QString notePath(const QString &folder)
{
    return folder + QStringLiteral("/.unannounced");
}

QByteArray readNote(const QString &folder)
{
    QFile note(notePath(folder));
    return note.open(QIODevice::ReadOnly) ? note.readAll() : QByteArray();
}

// An entry is the path in quotes with backslash, CR and LF escaped, so that a
// name holding a line break stays one entry. Notes written before held the
// bare path, which always starts with '/'.
QByteArray noteEntry(const QString &path)
{
    QByteArray entry = "\"";
    for (const char c : path.toUtf8()) {
        if (c == '\\')
            entry += "\\\\";
        else if (c == '\n')
            entry += "\\n";
        else if (c == '\r')
            entry += "\\r";
        else
            entry += c;
    }
    return entry + '"';
}

QString pathOfEntry(const QByteArray &line)
{
    if (line.size() < 2 || !line.startsWith('"') || !line.endsWith('"'))
        return QString::fromUtf8(line);
    QByteArray path;
    for (qsizetype i = 1; i < line.size() - 1; ++i) {
        char c = line[i];
        if (c == '\\' && i + 1 < line.size() - 1) {
            c = line[++i];
            c = c == 'n' ? '\n' : c == 'r' ? '\r' : c;
        }
        path += c;
    }
    return QString::fromUtf8(path);
}

// The UTF-16 units of the character at `i`: two for a surrogate pair.
qsizetype unitsAt(const QString &text, qsizetype i)
{
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
}

int utf8Length(QStringView character)
{
    const char16_t c = character[0].unicode();
    return character.size() == 2 ? 4 : c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
}

int utf8Length(const QString &text)
{
    int bytes = 0;
    for (qsizetype i = 0; i < text.size(); i += unitsAt(text, i))
        bytes += utf8Length(QStringView(text).mid(i, unitsAt(text, i)));
    return bytes;
}

// A folder in a place others may write to is used only when it is ours alone:
// made here with no access for others, or found so, and not a link.
QString preparePrivateFolder(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return systemErrorText(errno);
    struct stat info = {};
    if (::lstat(name.constData(), &info) != 0)
        return systemErrorText(errno);
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid() || (info.st_mode & 077) != 0)
        return systemErrorText(EPERM);
    return QString();
}

// Why the folder cannot hold copies, or nothing.
QString prepareFolder(const RecoveredTextFolder &folder)
{
    if (folder.shared)
        return preparePrivateFolder(folder.path);
    if (QDir().mkpath(folder.path))
        return QString();
    const QFileInfo info(folder.path);
    return systemErrorText(info.exists() && !info.isDir() ? ENOTDIR : errno ? errno : EACCES);
}

void appendNote(const QString &folder, const QString &path)
{
    QLockFile lock(notePath(folder) + QStringLiteral(".lock"));
    if (!lock.tryLock(noteLockWaitMs))
        return; // the copy stays; only the next start's message is lost
    const QByteArray bytes = readNote(folder) + noteEntry(path) + '\n';
    QSaveFile note(notePath(folder));
    if (note.open(QIODevice::WriteOnly) && note.write(bytes) == bytes.size())
        note.commit();
}

QString keepIn(const RecoveredTextFolder &folder, const QString &name, const QDateTime &when,
               const QByteArray &bytes)
{
    if (const QString problem = prepareFolder(folder); !problem.isEmpty())
        throw TavrixError(texts::rsCannotCreateFile.arg(folder.path, problem));
    const long limit = ::pathconf(QFile::encodeName(folder.path).constData(), _PC_NAME_MAX);
    // QSaveFile writes over the reserved name through a file named as it with 7 bytes added.
    const int maxBytes = (limit > 0 && limit < 4096 ? int(limit) : defaultNameMax) - 7;
    for (int attempt = 1;; ++attempt) {
        const QString path = folder.path + u'/' + recoveredFileName(name, when, attempt, maxBytes);
        // The name is taken exclusively: another copy stopped in the same second gets the next.
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno == EEXIST && attempt < 1000)
            continue;
        if (fd < 0)
            throw TavrixError(texts::rsCannotCreateFile.arg(path, systemErrorText(errno)));
        ::close(fd);
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
            !file.commit()) {
            const QString problem = file.errorString();
            QFile::remove(path);
            throw TavrixError(texts::rsCannotCreateFile.arg(path, problem));
        }
        appendNote(folder.path, path);
        return path;
    }
}

} // namespace

QList<RecoveredTextFolder> recoveredTextFolders()
{
    const QString recovered = QStringLiteral("/recovered");
    return {
        {QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + recovered, false},
        {QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
             QStringLiteral("/tavrix") + recovered,
         false},
        {QDir::homePath() + QStringLiteral("/tavrix-recovered"), false},
        {QDir::tempPath() + QStringLiteral("/tavrix-recovered-") + QString::number(::getuid()),
         true},
    };
}

QString recoveredFileName(const QString &name, const QDateTime &when, int attempt, int maxBytes)
{
    QString suffix = u'-' + when.toString(u"yyyy-MM-dd-HHmmss");
    if (attempt > 1)
        suffix += u'-' + QString::number(attempt);
    suffix += QStringLiteral(".txt");
    int budget = maxBytes - utf8Length(suffix);
    qsizetype kept = 0;
    while (kept < name.size()) {
        const qsizetype units = unitsAt(name, kept);
        budget -= utf8Length(QStringView(name).mid(kept, units));
        if (budget < 0)
            break;
        kept += units;
    }
    return name.left(kept) + suffix;
}

QString keepRecoveredText(const QList<RecoveredTextFolder> &folders, const QString &scriptPath,
                          const QDateTime &when, const QString &text)
{
    QString name = QFileInfo(scriptPath).completeBaseName();
    if (name.isEmpty())
        name = QStringLiteral("script");
    const QByteArray bytes = formatText(text);
    std::optional<TavrixError> first;
    for (const RecoveredTextFolder &folder : folders) {
        try {
            return keepIn(folder, name, when, bytes);
        } catch (const TavrixError &error) {
            if (!first)
                first = error;
        }
    }
    throw first.value_or(TavrixError(texts::rsCannotCreateFile.arg(name, QString())));
}

QStringList takeRecoveredTextNotes(const QList<RecoveredTextFolder> &folders)
{
    QStringList paths;
    for (const RecoveredTextFolder &folder : folders) {
        // A shared folder that is not ours alone may hold anybody's note.
        if (!QFileInfo::exists(notePath(folder.path)) ||
            (folder.shared && !preparePrivateFolder(folder.path).isEmpty()))
            continue;
        QLockFile lock(notePath(folder.path) + QStringLiteral(".lock"));
        if (!lock.tryLock(noteLockWaitMs))
            continue;
        for (const QByteArray &line : readNote(folder.path).split('\n')) {
            if (!line.isEmpty())
                paths.append(pathOfEntry(line));
        }
        QFile::remove(notePath(folder.path));
    }
    return paths;
}
