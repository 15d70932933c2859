#pragma once

#include "fakedialogs.h"
#include "htmlview.h"
#include "prompterwindow.h"
#include "scrollclock.h"
#include "startup.h"

#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The child of `window` with the object name `name`; a test that asks for
// a control the window lacks, or has twice, stops there.
template <typename T> T *widget(QObject &window, const char *name)
{
    const QList<T *> found = window.findChildren<T *>(QLatin1String(name));
    if (found.size() != 1)
        qFatal("%s has %d children of the asked type named \"%s\", not one",
               qPrintable(window.objectName()), int(found.size()), name);
    return found.constFirst();
}

inline QString labelText(QObject &window, const char *name)
{
    return widget<QLabel>(window, name)->text();
}

// The prompter window's page, which takes the operator's keys and presses.
inline HtmlView *page(PrompterWindow &form)
{
    return widget<HtmlView>(form, "page");
}

// Sets the speed as the operator does, with the speed slider: its change sets
// and applies the speed. A slider already at `speed` goes one step off and
// back, so that the change happens all the same.
inline void setSpeed(PrompterWindow &form, int speed)
{
    auto *slider = widget<QSlider>(form, "speedSlider");
    if (slider->value() == speed)
        slider->setValue(speed < slider->maximum() ? speed + 1 : speed - 1);
    slider->setValue(speed);
}

// One tick of the scroll timer, whether it runs or not.
inline void tick(PrompterWindow &form)
{
    Q_EMIT widget<ScrollClock>(form, "scrollTimer")->ticks(1);
}

inline void pressKey(PrompterWindow &form, Qt::Key key,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(page(form), key, modifiers);
}

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
        page(form)->waitUntilReady();
        QCoreApplication::processEvents();
    }

    // Shows a script of `lines` numbered lines, paused at the top.
    void showScript(int lines)
    {
        QStringList script;
        for (int i = 0; i < lines; ++i)
            script.append(QStringLiteral("Line %1 of the evening news").arg(i));
        form.showEditedScript(script);
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
