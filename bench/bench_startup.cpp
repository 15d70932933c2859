// Start-up time of the prompter (windows created, shown, first page complete)
// and the program's resident memory with a 10,000-line script shown.
#include "bench.h"
#include "benchwindows.h"

#include "fontrecord.h"
#include "htmlview.h"
#include "prompterwindow.h"
#include "startup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

namespace {

double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toDouble() * 4096 / (1024 * 1024) : 0;
}

} // namespace

TAVRIX_BENCH_CASE(startup)
{
    BenchDialogs dialogs;
    QElapsedTimer clock;
    clock.start();
    Windows windows = createWindows(dialogs);
    PrompterWindow &form = *windows.prompter;
    HtmlView *page = control<HtmlView>(form, "page");
    form.show();
    page->waitUntilReady();
    QCoreApplication::processEvents();
    report("startup_to_first_page", double(clock.nsecsElapsed()) / 1e6, "ms");
    form.showEditedScript(newsScript(10000));
    page->waitUntilReady();
    QCoreApplication::processEvents();
    report("resident_memory_10000_lines", residentMegabytes(), "MB");
}
