#include "bench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

QElapsedTimer g_processClock;
RepaintTally g_repaints;

qint64 threadCpuNanoseconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Times the update requests of top-level windows: that is where a window paints
// its dirty region and hands it to the display server.
class BenchApplication final : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        // A pass that runs nested inside another is part of the outer one's time.
        if (m_inRepaint || event->type() != QEvent::UpdateRequest || !receiver->isWidgetType() ||
            !static_cast<QWidget *>(receiver)->isWindow())
            return QApplication::notify(receiver, event);
        m_inRepaint = true;
        const qint64 start = threadCpuNanoseconds();
        const bool result = QApplication::notify(receiver, event);
        g_repaints.nanoseconds += threadCpuNanoseconds() - start;
        ++g_repaints.passes;
        m_inRepaint = false;
        return result;
    }

private:
    bool m_inRepaint = false;
};

std::vector<BenchCase> &cases()
{
    static std::vector<BenchCase> all;
    return all;
}

} // namespace

RepaintTally repaintTally()
{
    return g_repaints;
}

void runEventLoop(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

qint64 sinceProcessStart()
{
    return g_processClock.nsecsElapsed();
}

int registerBench(const char *name, std::function<void()> run)
{
    cases().push_back({name, std::move(run)});
    return int(cases().size());
}

void report(const char *name, double value, const char *unit)
{
    std::printf("%s %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

double percentile(std::vector<double> &sample, double fraction)
{
    if (sample.empty())
        return 0;
    const auto index =
        std::min(sample.size() - 1, size_t(fraction * double(sample.size() - 1) + 0.5));
    std::nth_element(sample.begin(), sample.begin() + long(index), sample.end());
    return sample[index];
}

// tavrix-bench [filter...]: runs every case whose name contains one of the filters.
// tavrix-bench --child KIND ARG: one measurement in a fresh process (see runChild).
// tavrix-bench --voice-replay WAV SCRIPT [--realtime] [--slower N]: speech replayed through the
// voice follower; --slower N counts each piece's decoding N times over, as on a slower machine.
int main(int argc, char **argv)
{
    g_processClock.start();
    // As the program sets it (src/app/main.cpp), for the talent screen's large text.
    if (!qEnvironmentVariableIsSet("QT_MAX_CACHED_GLYPH_SIZE"))
        qputenv("QT_MAX_CACHED_GLYPH_SIZE", "64");
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    BenchApplication app(argc, argv);
    // The prompter windows store their settings on close; keep them away from the user's.
    QStandardPaths::setTestModeEnabled(true);
    if (argc > 3 && std::strcmp(argv[1], "--child") == 0)
        return runChild(argv[2], argv[3]);
    if (argc > 3 && std::strcmp(argv[1], "--voice-replay") == 0) {
        bool realTime = false;
        double slowdown = 1;
        for (int i = 4; i < argc; ++i) {
            if (std::strcmp(argv[i], "--realtime") == 0)
                realTime = true;
            else if (std::strcmp(argv[i], "--slower") == 0 && i + 1 < argc)
                slowdown = std::max(1.0, std::atof(argv[++i]));
        }
        return replayVoice(argv[2], argv[3], realTime, slowdown);
    }
    std::sort(cases().begin(), cases().end(), [](const BenchCase &a, const BenchCase &b) {
        return std::strcmp(a.name, b.name) < 0;
    });
    for (const auto &c : cases()) {
        const auto named = [&](const char *filter) {
            return std::strstr(c.name, filter) != nullptr;
        };
        const bool chosen = argc < 2 || std::any_of(argv + 1, argv + argc, named);
        if (chosen)
            c.run();
    }
    return 0;
}
