// Tick accuracy of the scroll timer against a real prompter window with a
// 10,000-line script, and the cost of one tick.
#include "bench.h"
#include "benchwindows.h"

#include "fontrecord.h"
#include "htmlview.h"
#include "prompterwindow.h"
#include "prompttimer.h"
#include "startup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QSlider>

#include <string>

namespace {

struct Fixture
{
    BenchDialogs dialogs;
    Windows windows = createWindows(dialogs);
    PrompterWindow &form = *windows.prompter;
    HtmlView *page = control<HtmlView>(form, "page");
    PromptTimer *scrollTimer = control<PromptTimer>(form, "scrollTimer");

    Fixture()
    {
        const int lines = qEnvironmentVariableIntValue("TAVRIX_BENCH_LINES") > 0
                              ? qEnvironmentVariableIntValue("TAVRIX_BENCH_LINES")
                              : 10000;
        const QStringList script = newsScript(lines);
        form.show();
        form.showEditedScript(script);
        page->waitUntilReady();
        QCoreApplication::processEvents();
    }
};

} // namespace

TAVRIX_BENCH_CASE(ticks)
{
    Fixture f;
    PrompterWindow &form = f.form;
    PromptTimer *scrollTimer = f.scrollTimer;
    const unsigned periods[] = {301, 201, 101, 51, 21, 11, 5, 2, 1};
    for (const unsigned period : periods) {
        f.page->scrollToTop();
        std::vector<double> lateness;
        QElapsedTimer clock;
        qint64 first = -1;
        qint64 last = -1;
        int ticks = 0;
        QMetaObject::Connection c =
            QObject::connect(scrollTimer, &PromptTimer::timeout, &form, [&] {
                const qint64 now = clock.nsecsElapsed();
                if (last >= 0)
                    lateness.push_back(double(now - last) / 1e6 - double(period));
                else
                    first = now;
                last = now;
                ++ticks;
            });
        scrollTimer->setInterval(period);
        const qint64 runFor = period >= 100 ? 6000 : 3000;
        clock.start();
        scrollTimer->setEnabled(true);
        while (clock.elapsed() < runFor)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        scrollTimer->setEnabled(false);
        QObject::disconnect(c);
        // From the first tick to the last, so the wait for the first does not count.
        const double seconds = double(last - first) / 1e9;
        const double rate = ticks > 1 ? (ticks - 1) / seconds : 0;
        const double nominal = 1000.0 / period;
        const std::string base = "tick_period_" + std::to_string(period) + "ms";
        report((base + "_rate").c_str(), rate, "ticks/s");
        report((base + "_of_nominal").c_str(), 100.0 * rate / nominal, "%");
        report((base + "_lateness_median").c_str(), percentile(lateness, 0.5), "ms");
        report((base + "_lateness_p99").c_str(), percentile(lateness, 0.99), "ms");
    }
}

TAVRIX_BENCH_CASE(tick_cost)
{
    Fixture f;
    HtmlView *page = f.page;
    PromptTimer *scrollTimer = f.scrollTimer;
    // The top speed, set with the speed slider; then the ticks come from here alone.
    control<QSlider>(f.form, "speedSlider")->setValue(300);
    scrollTimer->setEnabled(false);
    control<QSlider>(f.form, "stepSlider")->setValue(1);
    std::vector<double> cost;
    std::vector<double> withPaint;
    QElapsedTimer clock;
    for (int i = 0; i < 20000; ++i) {
        if (page->scrollPosition() >= page->verticalScrollBar()->maximum())
            page->scrollToTop();
        clock.start();
        Q_EMIT scrollTimer->timeout();
        cost.push_back(double(clock.nsecsElapsed()) / 1e3);
        // The repaint the tick causes runs on the same thread before the next tick.
        QCoreApplication::processEvents();
        withPaint.push_back(double(clock.nsecsElapsed()) / 1e3);
    }
    report("tick_cost_median", percentile(cost, 0.5), "us");
    report("tick_cost_p99", percentile(cost, 0.99), "us");
    report("tick_with_repaint_cost_median", percentile(withPaint, 0.5), "us");
    report("tick_with_repaint_cost_p99", percentile(withPaint, 0.99), "us");
}
