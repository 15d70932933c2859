// Memory and time to the complete page of the prompter, each measured in a
// process of its own: a process that loaded a larger script before keeps the
// pages the allocator got back, so its figure would tell of the wrong script.
#include "bench.h"
#include "benchwindows.h"

#include "htmlview.h"
#include "pagebuilder.h"
#include "prompterwindow.h"
#include "startup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// A "Key:   1234 kB" field of a /proc file, in kilobytes; 0 when missing.
double procField(const char *path, const char *key)
{
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble();
    }
    return 0;
}

// The prompter as the operator has it: windows created and shown, then (lines > 0)
// a script of that many lines shown; both waits end at the complete page.
int childMemory(int lines)
{
    BenchDialogs dialogs;
    Windows windows = createWindows(dialogs);
    PrompterWindow &form = *windows.prompter;
    HtmlView *page = control<HtmlView>(form, "page");
    form.show();
    page->waitUntilReady();
    QCoreApplication::processEvents();
    if (lines == 0)
        report("startup_to_first_page_fresh_process", double(sinceProcessStart()) / 1e6, "ms");
    const std::string base = "prompter_" + std::to_string(lines) + "_lines";
    if (lines > 0) {
        const QStringList script = newsScript(lines);
        QElapsedTimer clock;
        clock.start();
        form.showEditedScript(script);
        page->waitUntilReady();
        QCoreApplication::processEvents();
        report((base + "_open_to_document_complete").c_str(), double(clock.nsecsElapsed()) / 1e6,
               "ms");
    }
    // The first frame of the page is painted before the memory is read.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    report((base + "_resident").c_str(), procField("/proc/self/status", "VmRSS") / 1024, "MB");
    report((base + "_proportional").c_str(), procField("/proc/self/smaps_rollup", "Pss") / 1024,
           "MB");
    return 0;
}

// The page the prompter builds for a script of `lines` lines, on standard output,
// for other viewers to show the same page.
int childPage(int lines)
{
    const QStringList page = buildScriptPage(newsScript(lines), QStringLiteral("news.txt"),
                                             {QStringLiteral("Arial"), 24}, false);
    const QByteArray bytes = page.join(QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    return 0;
}

} // namespace

int runChild(const char *kind, const char *argument)
{
    const int n = std::atoi(argument);
    if (std::strcmp(kind, "memory") == 0)
        return childMemory(n);
    if (std::strcmp(kind, "page") == 0)
        return childPage(n);
    std::fprintf(stderr, "unknown child %s\n", kind);
    return 2;
}

TAVRIX_BENCH_CASE(memory)
{
    for (const int lines : {0, 10000, 100000}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child"), QStringLiteral("memory"), QString::number(lines)});
        if (!child.waitForFinished(120000) || child.exitCode() != 0)
            qFatal("the memory child for %d lines failed", lines);
        const QByteArray out = child.readAllStandardOutput();
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
        std::fflush(stdout);
    }
}
