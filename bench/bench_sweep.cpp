// The frequency sweep's wall time: the measurement alone (30 points and the
// search for the resonance after them, the worked example's m and K) at
// several damping ratios, then the built
// program in a private Xvfb: from the key 'w' to the frame that shows every
// square, in its slices, and from Escape in the middle of a sweep to the
// program's end.
//
// The goal is 1 s for a sweep at zeta >= 0.01 and an Escape that ends the
// program at once (within 50 ms). zeta 0 is the worst case of all: every
// point runs to the 600 s limit.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/table_reporter.h"
#include "sim/frequency_sweep.h"
#include "sim/resonance_search.h"
#include "tools/program_driver.h"

namespace
{

using Clock = std::chrono::steady_clock;

constexpr double sweepGoal = 1.0;    // s
constexpr double escapeGoal = 0.050; // s
constexpr int sweepRepetitions = 5;
constexpr int programRepetitions = 5;

// Time one whole sweep of m 1, K 4, F 1 with the damping coefficient
// lambda, and its search for the resonance.
void sweep(benchmark::State& bench, double lambda)
{
    for (auto _ : bench) {
        Sweep s;
        sweepBegin(&s, {1, lambda, 4, 1, 0});
        while (!sweepAdvance(&s, 1000000)) {
        }
        ResonanceSearch search;
        resonanceBegin(&search, s.system, s.points, sweepPointCount);
        while (!resonanceAdvance(&search, 1000000)) {
        }
        benchmark::DoNotOptimize(s.points);
        benchmark::DoNotOptimize(search.points);
    }
}
void sweepZeta001(benchmark::State& bench)
{
    sweep(bench, 0.04);
}
void sweepZeta002(benchmark::State& bench)
{
    sweep(bench, 0.08);
}
void sweepZeta005(benchmark::State& bench)
{
    sweep(bench, 0.2);
}
void sweepZeta02(benchmark::State& bench)
{
    sweep(bench, 0.8);
}
void sweepZeta1(benchmark::State& bench)
{
    sweep(bench, 4);
}
void sweepUndamped(benchmark::State& bench)
{
    sweep(bench, 0);
}
void perSweep(benchmark::internal::Benchmark* b)
{
    benchtable::perCall(b, sweepRepetitions)->Unit(benchmark::kMillisecond);
}
BENCHMARK(sweepZeta001)->Apply(perSweep);
BENCHMARK(sweepZeta002)->Apply(perSweep);
BENCHMARK(sweepZeta005)->Apply(perSweep);
BENCHMARK(sweepZeta02)->Apply(perSweep);
BENCHMARK(sweepZeta1)->Apply(perSweep);
BENCHMARK(sweepUndamped)->Apply(perSweep);

// One table row of program timings: the median and the largest of them.
void addProgramRow(const std::string& name, std::vector<double> seconds, double goal,
                   const std::string& goalText)
{
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    const double worst = seconds.back();
    std::printf("%-22s median %8s, worst %8s (%zu runs)\n", name.c_str(),
                benchtable::formatSeconds(median).c_str(), benchtable::formatSeconds(worst).c_str(),
                seconds.size());
    benchtable::addRow(name, goalText, benchtable::formatSeconds(median),
                       benchtable::formatSeconds(worst) + " (worst)",
                       worst <= goal ? "met" : "missed");
}

// In the built program: 'w' to the frame of the finished sweep (and from
// the chart's frame that 'w' draws at once), and Escape in the middle of one
// to the end of the process.
void programTimings(const char* answers, const std::string& name, bool escape)
{
    xvfb::Server server;
    std::vector<double> seconds;
    std::vector<double> afterChart; // from the chart's frame on, sweep and last frame
    for (int i = 0; i < programRepetitions; ++i) {
        fvdriver::Options options;
        options.program = FV_PROGRAM;
        options.answers = answers;
        fvdriver::Program program(server, options);
        const int before = program.framesSeen();
        const auto start = Clock::now();
        if (escape) {
            // The chart's frame comes at once; the sweep is then under way.
            if (!program.sendKeyForFrame('w'))
                throw std::runtime_error("no frame after 'w'");
            const auto pressed = Clock::now();
            program.sendEscape();
            if (program.waitForExit() != 0)
                throw std::runtime_error("the program did not end with status 0");
            seconds.push_back(std::chrono::duration<double>(Clock::now() - pressed).count());
            continue;
        }
        program.sendKey('w');
        // One frame for the chart at once, one for the finished sweep and
        // its search.
        if (!program.waitForFrames(before + 1))
            throw std::runtime_error("the chart's frame did not come");
        const auto chart = Clock::now();
        if (!program.waitForFrames(before + 2))
            throw std::runtime_error("the sweep's frame did not come");
        seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        afterChart.push_back(std::chrono::duration<double>(Clock::now() - chart).count());
        program.sendEscape();
        program.waitForExit();
    }
    addProgramRow(name, seconds, escape ? escapeGoal : sweepGoal, escape ? "< 50 ms" : "< 1 s");
    if (!escape)
        addProgramRow(name + "AfterChart", afterChart, sweepGoal, "< 1 s");
}

} // namespace

int main(int argc, char** argv)
{
    benchtable::setGoal("sweepZeta001", sweepGoal, "< 1 s");
    benchtable::setGoal("sweepZeta002", sweepGoal, "< 1 s");
    benchtable::setGoal("sweepZeta005", sweepGoal, "< 1 s");
    benchtable::setGoal("sweepZeta02", sweepGoal, "< 1 s");
    benchtable::setGoal("sweepZeta1", sweepGoal, "< 1 s");
    const int status = benchtable::runBenchmarks(argc, argv);
    try {
        programTimings("1 0.04 4\n1 1\n0\n", "programSweepZeta001", false);
        programTimings("1 0 4\n1 1\n0\n", "programSweepUndamped", false);
        programTimings("1 0 4\n1 1\n0\n", "programEscapeMidSweep", true);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_sweep: %s\n", e.what());
        return 1;
    }
    return status;
}
