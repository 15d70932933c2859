// Memory and time to the complete page of the prompter, each measured in a
// process of its own: a process that loaded a larger script before keeps the
// pages the allocator got back, so its figure would tell of the wrong script.
#include "bench.h"
#include "benchwindows.h"

#include "htmlview.h"
#include "pagebuilder.h"
#include "prompterwindow.h"
#include "scriptreader.h"
#include "startup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QPlainTextDocumentLayout>
#include <QTextDocument>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <malloc.h>
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

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void loadBreakdown(int lines, const std::string &base);

// The prompter as the operator has it: windows created and shown, then (lines > 0)
// a script of that many lines shown; both waits end at the complete page.
int childMemory(int lines)
{
    ShownPrompter shown;
    PrompterWindow &form = shown.form;
    HtmlView *page = shown.page;
    QCoreApplication::processEvents();
    if (lines == 0)
        report("startup_to_first_page_fresh_process", double(sinceProcessStart()) / 1e6, "ms");
    const std::string base = "prompter_" + std::to_string(lines) + "_lines";
    if (lines > 0) {
        const QStringList script = newsScript(lines);
        const double residentBefore = procField("/proc/self/status", "VmRSS");
        QElapsedTimer clock;
        clock.start();
        const double cpuBefore = cpuSeconds();
        form.showEditedScript(script);
        page->waitUntilReady();
        QCoreApplication::processEvents();
        report((base + "_open_to_document_complete").c_str(), double(clock.nsecsElapsed()) / 1e6,
               "ms");
        // Processor time: less disturbed than the wall clock by other work on the machine.
        report((base + "_open_processor_time").c_str(), (cpuSeconds() - cpuBefore) * 1e3, "ms");
        report((base + "_resident_growth_by_open").c_str(),
               (procField("/proc/self/status", "VmRSS") - residentBefore) / 1024, "MB");
        // Where the page goes: text blocks (each <br> is a line break inside a block).
        report((base + "_document_blocks").c_str(), page->document()->blockCount(), "blocks");
        report((base + "_document_characters").c_str(), page->document()->characterCount(),
               "characters");
    }
    // The first frame of the page is painted before the memory is read.
    runEventLoop(300);
    report((base + "_resident").c_str(), procField("/proc/self/status", "VmRSS") / 1024, "MB");
    const struct mallinfo2 heap = mallinfo2();
    report((base + "_heap_in_use").c_str(), double(heap.uordblks) / (1024 * 1024), "MB");
    report((base + "_proportional").c_str(), procField("/proc/self/smaps_rollup", "Pss") / 1024,
           "MB");
    // What stays resident once the allocator hands its free pages back: the rest of the
    // resident figure is memory the load used for a while and freed.
    malloc_trim(0);
    report((base + "_resident_after_trim").c_str(), procField("/proc/self/status", "VmRSS") / 1024,
           "MB");
    if (lines > 0)
        loadBreakdown(lines, base);
    return 0;
}

// The stages of showing a page, timed apart on a document of their own: building
// the page's lines, the HTML import into a text document, and laying it all out.
void loadBreakdown(int lines, const std::string &base)
{
    const QStringList script = newsScript(lines);
    QElapsedTimer clock;
    clock.start();
    const QStringList pageLines =
        buildScriptPage(script, QStringLiteral("news.txt"), {QStringLiteral("Arial"), 24}, false);
    const QString html = pageLines.join(QLatin1Char('\n'));
    const double build = double(clock.nsecsElapsed()) / 1e6;
    QTextDocument document;
    document.setTextWidth(1720);
    clock.restart();
    document.setHtml(html);
    const double import = double(clock.nsecsElapsed()) / 1e6;
    clock.restart();
    const double height = document.documentLayout()->documentSize().height();
    const double layout = double(clock.nsecsElapsed()) / 1e6;
    report((base + "_stage_page_build").c_str(), build, "ms");
    report((base + "_stage_html_import").c_str(), import, "ms");
    report((base + "_stage_layout").c_str(), layout, "ms");
    report((base + "_stage_layout_height").c_str(), height, "px");
    // For comparison, the same lines as plain text with the lazy plain-text layout, which
    // sizes the document from block and line counts instead of laying every line out.
    QTextDocument plain;
    plain.setDefaultFont(QFont(QStringLiteral("Arial"), 24));
    plain.setDocumentLayout(new QPlainTextDocumentLayout(&plain));
    plain.setTextWidth(1720);
    clock.restart();
    plain.setPlainText(script.join(QLatin1Char('\n')));
    const double plainBlocks = plain.documentLayout()->documentSize().height();
    report((base + "_alternative_plain_text_load_and_size").c_str(),
           double(clock.nsecsElapsed()) / 1e6, "ms");
    report((base + "_alternative_plain_text_blocks").c_str(), plainBlocks, "lines");
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

// The prompter shown, then the file opened as the operator opens a script: the
// milliseconds until its page is complete and painted, on standard output.
int childOpen(const QString &path)
{
    ShownPrompter shown;
    PrompterWindow &form = shown.form;
    HtmlView *page = shown.page;
    runEventLoop(300);
    QElapsedTimer clock;
    clock.start();
    form.openScripts({path});
    page->waitUntilReady();
    QCoreApplication::processEvents();
    const double elapsed = double(clock.nsecsElapsed()) / 1e6;
    if (form.scriptLines().size() < 2)
        return 1;
    std::printf("%.3f\n", elapsed);
    return 0;
}

// The file read as a script and nothing else: how far the resident memory rose
// above where it stood (kB), on standard output.
int childReadMemory(const QString &path)
{
    malloc_trim(0);
    const double before = procField("/proc/self/status", "VmRSS");
    // Writing 5 sets the peak to the resident memory of now.
    QFile peak(QStringLiteral("/proc/self/clear_refs"));
    if (!peak.open(QIODevice::WriteOnly) || peak.write("5") != 1)
        return 1;
    peak.close();
    const QStringList lines = readScript(path);
    const double highest = procField("/proc/self/status", "VmHWM");
    if (lines.size() < 2)
        return 1;
    std::printf("%.0f\n", highest - before);
    return 0;
}

} // namespace

int runChild(const char *kind, const char *argument)
{
    if (std::strcmp(kind, "open") == 0)
        return childOpen(QString::fromLocal8Bit(argument));
    if (std::strcmp(kind, "read-memory") == 0)
        return childReadMemory(QString::fromLocal8Bit(argument));
    if (std::strcmp(kind, "speak") == 0)
        return childSpeak(argument);
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
