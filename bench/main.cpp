#include "bench.h"

#include <QApplication>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <cstring>

static std::vector<BenchCase> &cases()
{
    static std::vector<BenchCase> all;
    return all;
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

// tavrix-bench [filter]: runs every case whose name contains the filter.
int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The prompter windows store their settings on close; keep them away from the user's.
    QStandardPaths::setTestModeEnabled(true);
    const char *filter = argc > 1 ? argv[1] : "";
    std::sort(cases().begin(), cases().end(), [](const BenchCase &a, const BenchCase &b) {
        return std::strcmp(a.name, b.name) < 0;
    });
    for (const auto &c : cases()) {
        if (std::strstr(c.name, filter))
            c.run();
    }
    return 0;
}
