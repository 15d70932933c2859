#pragma once

#include <QtGlobal>

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

// Every repaint pass of a top-level window (its update request: paint and flush to the
// display server), counted, with the processor time spent in it, since the start.
struct RepaintTally
{
    qint64 passes = 0;
    qint64 nanoseconds = 0;
};
RepaintTally repaintTally();

// Nanoseconds since main() was entered, before the application object existed.
qint64 sinceProcessStart();

// `tavrix-bench --child KIND ARG`: work that must run in a process of its own.
int runChild(const char *kind, const char *argument);
// `tavrix-bench --child speak VOICE/WPM`: espeak-ng speaks standard input in a fresh process.
int childSpeak(const char *argument);

// `tavrix-bench --voice-replay WAV SCRIPT [--realtime]`: the recogniser and aligner fed from a
// WAVE file, as fast as they decode or in real time; prints each move of the position.
int replayVoice(const char *wav, const char *scriptPath, bool realTime, double slowdown);
// Processor time of this process, in seconds.
double ownCpuSeconds();
// The X server started next to this process by tests/with-xserver.sh or
// tests/with-two-monitors.sh (a child of the same parent, named Xvfb or Xorg);
// 0 when there is none, as offscreen.
qint64 siblingXServer();
// Processor time (user and system) of another process, in seconds.
double cpuSecondsOf(qint64 pid);

// Runs the event loop for `milliseconds`, sleeping while there is nothing to do (a loop
// of processEvents with a time limit never sleeps, and its spinning would be measured).
void runEventLoop(int milliseconds);
