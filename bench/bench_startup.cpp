// Start-up time of the prompter: windows created, shown, first page complete.
#include "bench.h"
#include "benchwindows.h"

#include "fontrecord.h"
#include "htmlview.h"
#include "prompterwindow.h"
#include "startup.h"

#include <QCoreApplication>
#include <QElapsedTimer>

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
    // In a process that has shown windows before; the fresh-process figure is the memory case's.
    report("startup_to_first_page", double(clock.nsecsElapsed()) / 1e6, "ms");
}
