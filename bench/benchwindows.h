#pragma once

#include "bench.h"
#include "dialogs.h"
#include "htmlview.h"
#include "prompterwindow.h"
#include "startup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QStringList>
#include <QWidget>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// Answers no dialog; a message the program shows goes to standard error.
class BenchDialogs final : public Dialogs
{
public:
    void message(QWidget *, const QString &text) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    void note(const QString &text) override
    {
        std::fprintf(stderr, "note: %s\n", qPrintable(text));
    }
    Answer question(QWidget *, const QString &) override { return Answer::No; }
    bool openFile(QWidget *, FileDialogState &) override { return false; }
    bool saveFile(QWidget *, FileDialogState &) override { return false; }
    bool chooseFont(QWidget *, FontRecord &) override { return false; }
    void printPreview(QWidget *, QTextDocument *) override {}
    int execModal(QDialog *) override { return 0; }
    bool openUrl(const QUrl &) override { return false; }
};

// A control of a window, by its object name; the benchmark stops when it is missing.
// Counts the paint events of one widget.
class PaintWatch final : public QObject
{
public:
    explicit PaintWatch(QWidget *widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    qint64 paints = 0;
};

// Reports NAME_median and NAME_p99: milliseconds from each of a thousand
// actions, act(true) and act(false) in turn, to the watched widget's next paint.
inline void reportActionToRepaint(const std::string &name, const PaintWatch &watch,
                                  const std::function<void(bool)> &act)
{
    std::vector<double> sample;
    for (int i = 0; i < 1000; ++i) {
        const qint64 before = watch.paints;
        QElapsedTimer clock;
        clock.start();
        act(i % 2 == 0);
        while (watch.paints == before && clock.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (watch.paints == before)
            qFatal("%s: no repaint after action %d", name.c_str(), i);
        sample.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    report((name + "_median").c_str(), percentile(sample, 0.5), "ms");
    report((name + "_p99").c_str(), percentile(sample, 0.99), "ms");
}

template <typename T> T *control(QObject &window, const char *name)
{
    T *found = window.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control named %s", name);
    return found;
}

// A script of `lines` numbered lines, each holding the sentence `repeat` times.
inline QStringList newsScript(int lines, int repeat = 1)
{
    const QString sentence = QStringLiteral("and here is the news from the studio ");
    QStringList script;
    script.reserve(lines);
    for (int i = 0; i < lines; ++i)
        script.append(QStringLiteral("Line %1: ").arg(i) + sentence.repeated(repeat));
    return script;
}

// The prompter as the operator has it: its windows created, the band shown with its
// start page complete.
struct ShownPrompter
{
    BenchDialogs dialogs;
    Windows windows = createWindows(dialogs);
    PrompterWindow &form = *windows.prompter;
    HtmlView *page = control<HtmlView>(form, "page");

    ShownPrompter()
    {
        form.show();
        page->waitUntilReady();
    }
};
