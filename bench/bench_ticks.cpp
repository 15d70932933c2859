// Tick accuracy of the scroll timer against a real prompter window with a
// 10,000-line script, and the cost of one tick.
#include "bench.h"
#include "benchwindows.h"

#include "fontrecord.h"
#include "htmlview.h"
#include "prompterwindow.h"
#include "scrollclock.h"
#include "startup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QScrollBar>
#include <QSlider>
#include <QTextStream>

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

struct Fixture
{
    BenchDialogs dialogs;
    Windows windows = createWindows(dialogs);
    PrompterWindow &form = *windows.prompter;
    HtmlView *page = control<HtmlView>(form, "page");
    ScrollClock *scrollTimer = control<ScrollClock>(form, "scrollTimer");

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

double ownCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

qint64 siblingXServer()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return 0;
    const QString parent = QString::number(getppid());
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        const bool server = line.contains("(Xvfb)") || line.contains("(Xorg)");
        if (server && fields.size() > 1 && fields.at(1) == parent.toLatin1())
            return entry.toLongLong();
    }
    return 0;
}

double cpuSecondsOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    // Fields 14 and 15 of the file; the list starts at field 3.
    return fields.size() > 13 ? (fields.at(11).toDouble() + fields.at(12).toDouble()) /
                                    double(sysconf(_SC_CLK_TCK))
                              : 0;
}

namespace {

// The page's scroll position at every repaint of its viewport: what the
// display is handed, frame by frame.
class FrameRecorder final : public QObject
{
public:
    explicit FrameRecorder(HtmlView *page) : m_page(page)
    {
        page->viewport()->installEventFilter(this);
        m_clock.start();
    }
    ~FrameRecorder() override { m_page->viewport()->removeEventFilter(this); }

    struct Frame
    {
        qint64 ns;
        int position;
    };
    std::vector<Frame> frames;

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            frames.push_back({m_clock.nsecsElapsed(), m_page->scrollPosition()});
        return false;
    }

    // Displacement of each frame against the one before, skipping the first frame.
    std::vector<double> displacements() const
    {
        std::vector<double> d;
        for (size_t i = 1; i < frames.size(); ++i)
            d.push_back(double(frames[i].position - frames[i - 1].position));
        return d;
    }

    // The same for frames that came on time: a missed frame moves twice as far.
    std::vector<double> displacementsOnTime(double expectedNs) const
    {
        std::vector<double> d;
        for (size_t i = 1; i < frames.size(); ++i)
            if (double(frames[i].ns - frames[i - 1].ns) <= 1.5 * expectedNs)
                d.push_back(double(frames[i].position - frames[i - 1].position));
        return d;
    }

    // Gaps between repaints longer than 1.5 expected intervals, per repaint, in %.
    double missedShare(double expectedNs) const
    {
        if (frames.size() < 2)
            return 0;
        int missed = 0;
        for (size_t i = 1; i < frames.size(); ++i)
            missed += double(frames[i].ns - frames[i - 1].ns) > 1.5 * expectedNs;
        return 100.0 * missed / double(frames.size() - 1);
    }

private:
    HtmlView *m_page;
    QElapsedTimer m_clock;
};

double spread(const std::vector<double> &values)
{
    if (values.empty())
        return 0;
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    return *hi - *lo;
}

} // namespace

TAVRIX_BENCH_CASE(ticks)
{
    Fixture f;
    PrompterWindow &form = f.form;
    ScrollClock *scrollTimer = f.scrollTimer;
    // Step 1 towards the end of the page, so that every tick moves it and repaints.
    control<QSlider>(form, "stepSlider")->setValue(1);
    QSlider *speed = control<QSlider>(form, "speedSlider");
    const qint64 server = siblingXServer();
    const unsigned periods[] = {291, 201, 101, 51, 21, 11, 5, 2, 1};
    const double frameNs = double(scrollTimer->frameInterval());
    report("display_frame_interval", frameNs / 1e6, "ms");
    // Displacement per frame over one second at four speeds, for the plot.
    QFile plot(qEnvironmentVariable("TAVRIX_BENCH_FRAMES_DAT"));
    const bool plotting = !plot.fileName().isEmpty() && plot.open(QIODevice::WriteOnly);
    QTextStream plotOut(&plot);
    for (const unsigned period : periods) {
        speed->setValue(0);
        f.page->scrollToTop();
        QCoreApplication::processEvents();
        qint64 ticks = 0;
        QMetaObject::Connection c = QObject::connect(scrollTimer, &ScrollClock::ticks, &form,
                                                     [&](int count) { ticks += count; });
        const RepaintTally before = repaintTally();
        const double ownBefore = ownCpuSeconds();
        const double serverBefore = cpuSecondsOf(server);
        const int runFor = period >= 100 ? 6000 : 3000;
        auto frames = std::make_unique<FrameRecorder>(f.page);
        QElapsedTimer clock;
        clock.start();
        // The speed whose period this is, applied as the speed slider applies it.
        speed->setValue(301 - int(period));
        runEventLoop(runFor);
        const double wall = double(clock.nsecsElapsed()) / 1e9;
        const double cpu = ownCpuSeconds() - ownBefore + cpuSecondsOf(server) - serverBefore;
        speed->setValue(0);
        const RepaintTally after = repaintTally();
        QObject::disconnect(c);
        // Ticks are counted from the countdown's start, so the first comes a period in.
        const double nominal = 1000.0 / period;
        const double rate = double(ticks) / wall;
        const std::vector<double> moves = frames->displacements();
        const std::string base = "tick_period_" + std::to_string(period) + "ms";
        report((base + "_rate").c_str(), rate, "ticks/s");
        report((base + "_of_nominal").c_str(), 100.0 * double(ticks) / std::floor(wall * nominal),
               "%");
        report((base + "_repaints").c_str(), double(after.passes - before.passes) / wall, "1/s");
        report((base + "_page_repaints").c_str(), double(frames->frames.size()) / wall, "1/s");
        report((base + "_frames_missed").c_str(),
               frames->missedShare(std::max(frameNs, double(period) * 1e6)), "%");
        report((base + "_displacement_spread").c_str(),
               spread(frames->displacementsOnTime(std::max(frameNs, double(period) * 1e6))), "px");
        report((base + "_program_and_xserver_cpu").c_str(), 100.0 * cpu / wall, "% of a core");
        if (plotting && (period == 291 || period == 201 || period == 101 || period == 1)) {
            const qint64 start = frames->frames.empty() ? 0 : frames->frames.front().ns;
            plotOut << "# speed " << 301 - period << "\n";
            for (size_t i = 1; i < frames->frames.size(); ++i) {
                const qint64 at = frames->frames[i].ns - start;
                if (at > 1'000'000'000)
                    break;
                plotOut << double(at) / 1e6 << ' ' << moves[i - 1] << '\n';
            }
            plotOut << "\n\n";
        }
    }
}

TAVRIX_BENCH_CASE(tick_cost)
{
    Fixture f;
    HtmlView *page = f.page;
    ScrollClock *scrollTimer = f.scrollTimer;
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
        Q_EMIT scrollTimer->ticks(1);
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

// Scrolling at the top speed (1 ms period, step 1) as the operator runs it: the
// processor time of the program and of the X server, the repaints against the
// 60 frames a second a display shows, and whether the ticks (and with them the
// Elapsed readout, which counts the pixels moved) keep up with the clock.
TAVRIX_BENCH_CASE(scroll_speed300)
{
    Fixture f;
    HtmlView *page = f.page;
    control<QSlider>(f.form, "stepSlider")->setValue(1);
    page->scrollToTop();
    int ticks = 0;
    QObject::connect(f.scrollTimer, &ScrollClock::ticks, &f.form,
                     [&](int count) { ticks += count; });
    const qint64 server = siblingXServer();
    const int startPosition = page->scrollPosition();
    const RepaintTally before = repaintTally();
    const double ownBefore = ownCpuSeconds();
    const double serverBefore = cpuSecondsOf(server);
    auto frames = std::make_unique<FrameRecorder>(page);
    QElapsedTimer clock;
    clock.start();
    // Through the slider, as a drag to the top speed applies it.
    control<QSlider>(f.form, "speedSlider")->setValue(300);
    constexpr qint64 runFor = 8000;
    runEventLoop(runFor);
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    f.scrollTimer->setEnabled(false);
    const double own = ownCpuSeconds() - ownBefore;
    const double serverCpu = cpuSecondsOf(server) - serverBefore;
    const RepaintTally after = repaintTally();
    const double repaints = double(after.passes - before.passes) / wall;
    const double moved = page->scrollPosition() - startPosition;
    report("scroll_speed300_ticks_of_nominal", 100.0 * ticks / (wall * 1000), "%");
    // The readout counts 1 ms per pixel moved at this speed and step.
    report("scroll_speed300_elapsed_readout_of_clock", 100.0 * moved / (wall * 1000), "%");
    report("scroll_speed300_program_cpu", 100.0 * own / wall, "% of a core");
    if (server > 0) {
        report("scroll_speed300_xserver_cpu", 100.0 * serverCpu / wall, "% of a core");
        report("scroll_speed300_program_and_xserver_cpu", 100.0 * (own + serverCpu) / wall,
               "% of a core");
    }
    report("scroll_speed300_repaints", repaints, "1/s");
    report("scroll_speed300_repaints_never_shown_at_60hz",
           repaints > 60 ? 100.0 * (repaints - 60) / repaints : 0, "%");
    report("scroll_speed300_repaint_cpu",
           100.0 * double(after.nanoseconds - before.nanoseconds) / 1e9 / wall, "% of a core");
    report("scroll_speed300_repaint_share_of_program_cpu",
           own > 0 ? 100.0 * double(after.nanoseconds - before.nanoseconds) / 1e9 / own : 0, "%");
    const double frameNs = double(f.scrollTimer->frameInterval());
    report("scroll_speed300_frames_missed", frames->missedShare(frameNs), "%");
    report("scroll_speed300_displacement_spread", spread(frames->displacementsOnTime(frameNs)),
           "px");
    frames.reset();

    // Paused: the clock must not wake at all.
    int wakes = 0;
    QObject::connect(f.scrollTimer, &ScrollClock::frame, &f.form, [&] { ++wakes; });
    control<QSlider>(f.form, "speedSlider")->setValue(0);
    wakes = 0;
    runEventLoop(10000);
    report("paused_10s_scroll_wakeups", wakes, "count");
}
