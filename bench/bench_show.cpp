// Running the show: a marker jump on long scripts, the time a fitted speed
// really takes, and how late the countdown's digits change.
#include "bench.h"
#include "benchwindows.h"

#include "countdown.h"
#include "htmlview.h"
#include "markerjumps.h"
#include "pagebuilder.h"
#include "scrollclock.h"
#include "speedmodel.h"
#include "timefit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include <cmath>
#include <string>
#include <vector>

namespace {

// A news script with a "# " section every `every` lines.
QStringList sectionedScript(int lines, int every)
{
    QStringList script = newsScript(lines);
    for (int i = 0; i < lines; i += every)
        script[i] = QStringLiteral("# Section %1").arg(i / every + 1);
    return script;
}

// Loads the script with its markers; the marked page lines follow the script's.
MarkerList loadWithMarkers(HtmlView &view, const QStringList &script)
{
    const MarkerList markers = MarkerList::fromHashLines(script);
    const QStringList page = buildScriptPage(script, QStringLiteral("/scripts/news.txt"),
                                             {QStringLiteral("Arial"), 24}, false);
    const qsizetype first = page.indexOf(QStringLiteral("<body>")) + 1;
    QList<qsizetype> marked;
    for (const Marker &marker : markers.markers())
        marked.append(first + marker.line);
    view.loadPage(page, marked);
    view.waitUntilReady();
    return markers;
}

} // namespace

// From the press to the band repainted at the marker: every "next" along the script.
TAVRIX_BENCH_CASE(show_marker_jump)
{
    HtmlView view;
    view.resize(1720, 190);
    view.show();
    runEventLoop(300); // exposed, so that a repaint paints
    for (const int lines : {10000, 100000}) {
        MarkerJumps jumps;
        jumps.setMarkers(loadWithMarkers(view, sectionedScript(lines, lines / 200)));
        std::vector<double> times;
        for (;;) {
            QElapsedTimer clock;
            clock.start();
            const int scroll = view.scrollPosition();
            const qsizetype at = view.markAt(scroll + view.readingLine());
            const MarkerJump jump = jumps.next(at >= 0 ? jumps.markers().at(at).line : -1, scroll);
            if (jump.kind != MarkerJump::Kind::Marker)
                break;
            const HtmlView::LinePlace place = view.markPlace(jump.marker);
            view.scrollTo(0,
                          scrollForReadingLine(place.top, place.height, view.viewport()->height(),
                                               view.verticalScrollBar()->maximum()));
            jumps.jumped(jump, view.scrollPosition());
            view.viewport()->repaint();
            times.push_back(double(clock.nsecsElapsed()) / 1e6);
        }
        const std::string base = "show_marker_jump_" + std::to_string(lines) + "_lines";
        report((base + "_median").c_str(), percentile(times, 0.5), "ms");
        report((base + "_worst").c_str(), percentile(times, 1.0), "ms");
    }
}

// The rest of a 2,000-line script from its last section, fitted to a minute
// and scrolled by the scroll clock as the band scrolls: its real time against the target.
TAVRIX_BENCH_CASE(show_fit_to_time)
{
    HtmlView view;
    view.resize(1720, 190);
    view.show();
    const QStringList script = sectionedScript(2000, 100);
    const MarkerList markers = loadWithMarkers(view, script);
    const HtmlView::LinePlace last = view.markPlace(markers.size() - 1);
    const int maximum = view.verticalScrollBar()->maximum();
    view.scrollTo(0,
                  scrollForReadingLine(last.top, last.height, view.viewport()->height(), maximum));
    const int start = view.scrollPosition();
    const QString rest = view.shownText(start + view.readingLine());
    const qint64 target = 60000;
    const timefit::FitResult fit =
        timefit::fitToTime({maximum - start, timefit::countWords({rest}, 0, 1), target, 1,
                            timefit::Scope::RestOfScript});
    report("show_fit_2000_lines_model_error",
           100.0 * std::abs(double(fit.timeMs - target)) / double(target), "%");

    ScrollClock clock(periodForSpeed(fit.speed));
    if (auto *screen = view.screen())
        clock.setRefreshRate(screen->refreshRate());
    QEventLoop loop;
    QElapsedTimer elapsed;
    QObject::connect(&clock, &ScrollClock::ticks, &view, [&](int count) {
        view.scrollTo(0, view.scrollPosition() + fit.step * count);
        if (view.scrollPosition() >= maximum)
            loop.quit();
    });
    QTimer::singleShot(3 * target, &loop, &QEventLoop::quit); // a bound, never reached
    elapsed.start();
    clock.setEnabled(true);
    loop.exec();
    clock.setEnabled(false);
    report("show_fit_2000_lines_time_error",
           100.0 * std::abs(double(elapsed.elapsed() - target)) / double(target), "%");
}

// Each whole second of a 10 s countdown against the frame that showed its digit.
TAVRIX_BENCH_CASE(show_countdown_lateness)
{
    QWidget window;
    window.show();
    ScrollClock clock(periodForSpeed(0));
    if (auto *screen = window.screen())
        clock.setRefreshRate(screen->refreshRate());
    QElapsedTimer time;
    time.start();
    Countdown countdown;
    countdown.start(10, 100, time.nsecsElapsed());
    std::vector<double> late;
    QEventLoop loop;
    qint64 due = countdown.nextChange();
    QObject::connect(&clock, &ScrollClock::frame, &window, [&] {
        const qint64 now = time.nsecsElapsed();
        const Countdown::Step step = countdown.advance(now);
        if (step == Countdown::Step::Changed || step == Countdown::Step::Finished) {
            late.push_back(double(now - due) / 1e6);
            due = countdown.nextChange();
        }
        if (step == Countdown::Step::Finished)
            loop.quit();
    });
    clock.setFramesWanted(true);
    loop.exec();
    clock.setFramesWanted(false);
    report("show_countdown_digit_late_median", percentile(late, 0.5), "ms");
    report("show_countdown_digit_late_worst", percentile(late, 1.0), "ms");
}
