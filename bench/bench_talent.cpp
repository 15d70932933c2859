// The talent screen on a second monitor (run under tests/with-two-monitors.sh):
// the time to its first painted frame and the memory it adds with a
// 10,000-line script, and scrolling at speed 300 with both windows shown.
#include "bench.h"
#include "benchwindows.h"

#include "htmlview.h"
#include "prompterwindow.h"
#include "scrollclock.h"
#include "startup.h"
#include "talentscreen.h"
#include "talentwindow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <string>
#include <unistd.h>

namespace {

constexpr int kLines = 10000;

struct Fixture
{
    BenchDialogs dialogs;
    Windows windows = createWindows(dialogs);
    PrompterWindow &form = *windows.prompter;
    HtmlView *page = control<HtmlView>(form, "page");
    TalentScreen *talent = control<TalentScreen>(form, "talentScreen");

    explicit Fixture(int lines = kLines)
    {
        // Off whatever an earlier run stored: each case opens the window itself.
        talent->choose(QString());
        form.show();
        form.showEditedScript(newsScript(lines));
        page->waitUntilReady();
        runEventLoop(300);
    }

    // The first screen the talent window may use; empty with one monitor.
    QString screenName() const
    {
        const QList<QScreen *> screens = talent->candidates();
        return screens.isEmpty() ? QString() : screens.constFirst()->name();
    }

    // Opens the talent window and waits for its first painted frame; returns
    // the milliseconds from the choice to the end of that paint.
    // `complete` is when every strip of the screen was drawn.
    double open(const QString &screen, TalentWindow::Frame &first, double *complete = nullptr)
    {
        QElapsedTimer clock;
        double painted = -1;
        double whole = -1;
        const auto hook = QObject::connect(talent, &TalentScreen::opened, [&](TalentWindow *w) {
            w->setFrameHook([&](const TalentWindow::Frame &frame) {
                const double now = double(clock.nsecsElapsed()) / 1e6;
                if (painted < 0) {
                    painted = now;
                    first = frame;
                }
                if (whole < 0 && frame.complete)
                    whole = now;
            });
        });
        clock.start();
        talent->choose(screen);
        QObject::disconnect(hook);
        while ((painted < 0 || whole < 0) && clock.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::usleep(200);
        }
        // The hook refers to this call's variables.
        if (TalentWindow *window = talent->window())
            window->setFrameHook({});
        if (complete)
            *complete = whole;
        return painted;
    }
};

double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / 1048576.0
                             : 0;
}

bool skipWithoutSecondScreen(const QString &screen)
{
    if (!screen.isEmpty())
        return false;
    std::fprintf(stderr, "talent: no second screen (run under tests/with-two-monitors.sh)\n");
    return true;
}

} // namespace

TAVRIX_BENCH_CASE(talent_open)
{
    Fixture f;
    const QString screen = f.screenName();
    if (skipWithoutSecondScreen(screen))
        return;
    // The band half way down: the talent's layout must reach that far first.
    QScrollBar *bar = f.page->verticalScrollBar();
    for (const auto &[where, position] :
         {std::pair{"middle", bar->maximum() / 2}, std::pair{"top", 0}}) {
        f.page->scrollTo(0, position);
        runEventLoop(300);
        const double before = residentMegabytes();
        TalentWindow::Frame first;
        double complete = -1;
        const double ms = f.open(screen, first, &complete);
        const std::string base = std::string("talent_open_10000_lines_") + where;
        report((base + "_first_frame").c_str(), ms, "ms");
        report((base + "_first_complete_frame").c_str(), complete, "ms");
        report((base + "_first_frame_same_line").c_str(), first.sameLine() ? 1 : 0, "count");
        // The rest of the layout runs in the background; then the memory stands.
        runEventLoop(3000);
        report((base + "_resident_growth").c_str(), residentMegabytes() - before, "MB");
        f.talent->choose(QString());
        runEventLoop(300);
    }
}

TAVRIX_BENCH_CASE(talent_scroll300)
{
    Fixture f;
    const QString screen = f.screenName();
    if (skipWithoutSecondScreen(screen))
        return;
    control<QSlider>(f.form, "stepSlider")->setValue(1);
    auto *speed = control<QSlider>(f.form, "speedSlider");
    auto *timer = control<ScrollClock>(f.form, "scrollTimer");
    const qint64 server = siblingXServer();
    // Eight seconds at speed 300 from the top; processor shares of a core.
    const auto scroll = [&](double &own, double &serverCpu, double &repaints) {
        f.page->scrollToTop();
        runEventLoop(300);
        const RepaintTally before = repaintTally();
        const double ownBefore = ownCpuSeconds();
        const double serverBefore = cpuSecondsOf(server);
        QElapsedTimer clock;
        clock.start();
        speed->setValue(300);
        runEventLoop(8000);
        const double wall = double(clock.nsecsElapsed()) / 1e9;
        timer->setEnabled(false);
        speed->setValue(0);
        own = 100.0 * (ownCpuSeconds() - ownBefore) / wall;
        serverCpu = 100.0 * (cpuSecondsOf(server) - serverBefore) / wall;
        repaints = double(repaintTally().passes - before.passes) / wall;
        return wall;
    };
    double bandOwn = 0, bandServer = 0, bandRepaints = 0;
    scroll(bandOwn, bandServer, bandRepaints);

    TalentWindow::Frame first;
    f.open(screen, first);
    runEventLoop(2000);
    qint64 frames = 0;
    qint64 sameLine = 0;
    f.talent->window()->setFrameHook([&](const TalentWindow::Frame &frame) {
        ++frames;
        sameLine += frame.sameLine() ? 1 : 0;
    });
    double own = 0, serverCpu = 0, repaints = 0;
    const double wall = scroll(own, serverCpu, repaints);
    report("talent_scroll300_program_cpu", own, "% of a core");
    if (server > 0) {
        report("talent_scroll300_xserver_cpu", serverCpu, "% of a core");
        report("talent_scroll300_program_and_xserver_cpu", own + serverCpu, "% of a core");
        report("talent_scroll300_band_only_program_and_xserver_cpu", bandOwn + bandServer,
               "% of a core");
        report("talent_scroll300_band_only_xserver_cpu", bandServer, "% of a core");
        report("talent_scroll300_added_by_talent_cpu", own + serverCpu - bandOwn - bandServer,
               "% of a core");
    }
    report("talent_scroll300_band_only_repaints", bandRepaints, "1/s");
    report("talent_scroll300_repaints_both_windows", repaints, "1/s");
    report("talent_scroll300_talent_frames", double(frames) / wall, "1/s");
    report("talent_scroll300_same_line_frames",
           frames ? 100.0 * double(sameLine) / double(frames) : 0, "%");
}

namespace {

// A full-screen window that shows a new frame every refresh and draws
// nothing: what presenting the frames alone costs, program and X server.
// Scrolled, it moves its picture up each frame and fills the rows that come
// in: what presenting a moving page costs before any text is drawn.
class PresentOnly final : public QWidget
{
public:
    explicit PresentOnly(int rowsPerFrame = 0)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_rows(rowsPerFrame)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    qint64 frames = 0;

    void nextFrame()
    {
        if (m_rows > 0)
            scroll(0, -m_rows);
        else
            update();
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        ++frames;
        QPainter painter(this);
        if (m_rows > 0)
            painter.fillRect(event->rect(), Qt::black);
        else
            painter.fillRect(QRect(0, 0, 1, 1), Qt::black);
    }

private:
    int m_rows;
};

// Shows a PresentOnly window on the second screen for eight seconds; reports under `name`.
void presentOnly(const char *name, int rowsPerFrame)
{
    QScreen *second = nullptr;
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            second = screen;
    }
    if (skipWithoutSecondScreen(second ? second->name() : QString()))
        return;
    PresentOnly window(rowsPerFrame);
    window.setScreen(second);
    window.setGeometry(second->geometry());
    window.show();
    runEventLoop(1000);
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &window, &PresentOnly::nextFrame);
    timer.start(16);
    const qint64 server = siblingXServer();
    const double ownBefore = ownCpuSeconds();
    const double serverBefore = cpuSecondsOf(server);
    const qint64 framesBefore = window.frames;
    QElapsedTimer clock;
    clock.start();
    runEventLoop(8000);
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    const std::string base = name;
    report((base + "_program_cpu").c_str(), 100.0 * (ownCpuSeconds() - ownBefore) / wall,
           "% of a core");
    if (server > 0)
        report((base + "_xserver_cpu").c_str(),
               100.0 * (cpuSecondsOf(server) - serverBefore) / wall, "% of a core");
    report((base + "_frames").c_str(), double(window.frames - framesBefore) / wall, "1/s");
}

} // namespace

TAVRIX_BENCH_CASE(talent_present_only)
{
    presentOnly("talent_present_only", 0);
    // The talent window at speed 300 moves about this many rows a frame on 1920 x 1080.
    presentOnly("talent_present_only_scrolled", 170);
}

namespace {

// The longest the window's thread went without running its event loop while
// `action` ran and for `milliseconds` after it, in milliseconds.
double longestStall(const std::function<void()> &action, int milliseconds)
{
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 worst = 0;
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worst = qMax(worst, now - last);
        last = now;
    });
    clock.start();
    beat.start(1);
    QTimer::singleShot(0, action);
    runEventLoop(milliseconds);
    return double(worst) / 1e6;
}

} // namespace

// How long the talent screen stops the band: when it is chosen, on a Larger
// Text step and after a page load, at 10,000 and 100,000 lines. The page load
// counts the talent's own answer to the new page and the longest stall after
// it, against the same with the talent screen off.
TAVRIX_BENCH_CASE(talent_stall)
{
    for (const int lines : {10000, 100000}) {
        Fixture f(lines);
        const QString screen = f.screenName();
        if (skipWithoutSecondScreen(screen))
            return;
        f.page->scrollTo(0, f.page->verticalScrollBar()->maximum() / 2);
        runEventLoop(300);
        const std::string base = "talent_stall_" + std::to_string(lines) + "_lines_";
        // The longest stall after the band's page completes (the band's own first paints).
        const auto load = [&] {
            f.form.showEditedScript(newsScript(lines));
            return longestStall([] {}, 3000);
        };
        report((base + "page_load_after_band_only").c_str(), load(), "ms");
        report((base + "chosen").c_str(), longestStall([&] { f.talent->choose(screen); }, 3000),
               "ms");
        report((base + "larger_text").c_str(), longestStall([&] { f.talent->largerText(); }, 3000),
               "ms");
        report((base + "smaller_text").c_str(),
               longestStall([&] { f.talent->smallerText(); }, 3000), "ms");
        report((base + "page_load_after").c_str(), load(), "ms");
        // The talent's own answer to a new page, alone: what it adds to the band's load.
        if (TalentWindow *window = f.talent->window())
            report((base + "page_copied").c_str(),
                   longestStall([window] { window->copyPage(); }, 2000), "ms");
        f.talent->choose(QString());
        runEventLoop(300);
    }
}

namespace {

// A script whose every line has a colour of its own: each line's glyphs are new pictures.
QStringList colouredScript(int lines)
{
    QStringList script = newsScript(lines);
    for (int i = 0; i < lines; ++i) {
        const QString colour = QString::number(0x404040 + (qint64(i) * 0x0b0713) % 0xbfbfbf, 16);
        const QString line = QStringLiteral("<font color=#%1>").arg(colour) + script.at(i) +
                             QStringLiteral("</font>");
        script[i] = line;
    }
    return script;
}

// 1,469 different characters: Latin Extended, Greek, Cyrillic, arrows and box drawing.
QStringList manyCharacterScript()
{
    QString all;
    for (const auto &[from, to] :
         {std::pair{0x0100, 0x024F}, std::pair{0x0370, 0x03FF}, std::pair{0x0400, 0x04FF},
          std::pair{0x2190, 0x21FF}, std::pair{0x2500, 0x257F}, std::pair{0x0021, 0x007E},
          std::pair{0x00A1, 0x00FF}, std::pair{0x2200, 0x22FF}})
        for (int c = from; c <= to && all.size() < 1469; ++c)
            all += QChar(c);
    QStringList script;
    for (qsizetype at = 0; at < all.size(); at += 40)
        script.append(all.mid(at, 40).toHtmlEscaped());
    return script;
}

} // namespace

// Resident memory with the talent screen on the pages that make the most glyph
// pictures: a colour a line scrolled at speed 300, and many different
// characters at twelve Larger Text steps; then with the talent screen off.
TAVRIX_BENCH_CASE(talent_glyph_memory)
{
    Fixture f(100);
    const QString screen = f.screenName();
    if (skipWithoutSecondScreen(screen))
        return;
    control<QSlider>(f.form, "stepSlider")->setValue(1);
    auto *speed = control<QSlider>(f.form, "speedSlider");
    auto *timer = control<ScrollClock>(f.form, "scrollTimer");
    f.form.showEditedScript(colouredScript(6000));
    f.page->waitUntilReady();
    f.page->scrollToTop();
    runEventLoop(500);
    double before = residentMegabytes();
    f.talent->choose(screen);
    runEventLoop(1000);
    speed->setValue(300);
    runEventLoop(20000);
    timer->setEnabled(false);
    speed->setValue(0);
    report("talent_glyphs_coloured_lines_resident_growth", residentMegabytes() - before, "MB");
    if (TalentWindow *window = f.talent->window())
        report("talent_glyphs_coloured_lines_pictures", double(window->glyphBytes()) / 1048576.0,
               "MB");
    f.talent->choose(QString());
    runEventLoop(500);
    report("talent_glyphs_coloured_lines_resident_growth_after_off", residentMegabytes() - before,
           "MB");

    f.form.showEditedScript(manyCharacterScript());
    f.page->waitUntilReady();
    runEventLoop(500);
    before = residentMegabytes();
    f.talent->choose(screen);
    runEventLoop(1000);
    for (int i = 0; i < 12; ++i) {
        f.talent->largerText();
        runEventLoop(400);
    }
    report("talent_glyphs_many_characters_resident_growth", residentMegabytes() - before, "MB");
    if (TalentWindow *window = f.talent->window())
        report("talent_glyphs_many_characters_pictures", double(window->glyphBytes()) / 1048576.0,
               "MB");
    f.talent->choose(QString());
    runEventLoop(500);
    report("talent_glyphs_many_characters_resident_growth_after_off", residentMegabytes() - before,
           "MB");
    for (int i = 0; i < 12; ++i)
        f.talent->smallerText();
}
