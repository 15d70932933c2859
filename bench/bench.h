#pragma once

#include <functional>
#include <vector>

// Prints one figure as "name value unit".
void report(const char *name, double value, const char *unit);

// Median and a percentile of a sample (the sample is reordered).
double percentile(std::vector<double> &sample, double fraction);

struct BenchCase
{
    const char *name;
    std::function<void()> run;
};

// Benchmarks register themselves at static-initialisation time.
int registerBench(const char *name, std::function<void()> run);
#define TAVRIX_BENCH_CASE(ident)                                                                   \
    static void ident();                                                                           \
    [[maybe_unused]] static const int ident##_registered = registerBench(#ident, ident);           \
    static void ident()
