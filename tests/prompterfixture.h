#pragma once

#include "fakedialogs.h"
#include "htmlview.h"
#include "prompterwindow.h"
#include "startup.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The program's windows on the offscreen platform, answered by FakeDialogs.
// A configuration home of its own, so that no test sees another's settings.
struct ConfigHome
{
    QTemporaryDir dir;
    ConfigHome() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path())); }
    QString storeFile() const { return dir.filePath(QStringLiteral("tavrix/user.reg")); }
};

struct Prompter
{
    ConfigHome home;
    FakeDialogs dialogs;
    Windows windows = createWindows(dialogs);
    PrompterWindow &form = *windows.prompter;

    Prompter()
    {
        form.show();
        settle();
    }

    // Lets the pending page load complete.
    void settle()
    {
        form.page->waitUntilReady();
        QCoreApplication::processEvents();
    }

    // Shows a script of `lines` numbered lines, paused at the top.
    void showScript(int lines)
    {
        QStringList script;
        for (int i = 0; i < lines; ++i)
            script.append(QStringLiteral("Line %1 of the evening news").arg(i));
        form.m_scriptLines = script;
        form.rebuildPage();
        settle();
    }
};

// Writes `bytes` to `name` in `dir` and returns the file's path.
inline QString writeTestFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
    return path;
}
