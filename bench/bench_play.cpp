// The pace of continuous motion (--play): frames per second and the worst
// gap between frames over 5 s of wall time, with the time plot and with the
// chart, as the X server reports the frames of the real program.
//
// A measurement, not a test: it prints what this machine does and adds two
// rows to bench/run.sh's table. The goal is 25 +- 1 frames a second (one
// 0.04 s slice every 40 ms). Arguments are ignored (bench/run.sh hands
// Google Benchmark's options to every program).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "bench/table_reporter.h"
#include "tools/program_driver.h"

namespace
{

using Clock = std::chrono::steady_clock;

// How long each pace is measured, and how long the motion runs first.
constexpr std::chrono::seconds measured{5};
constexpr std::chrono::milliseconds warmUp{1000};
// The goal: frames per second and the tolerance either side.
constexpr double goalRate = 25.0;
constexpr double goalTolerance = 1.0;

// The resonance experiment's answers: m 1, lambda 0.2, K 4, F 0.2, omf 2, at rest.
const char* const answers = "1 0.2 4\n0.2 2\n0\n";

struct Pace {
    double framesPerSecond;
    double worstGapMs;
    double medianGapMs;
};

// Count the frames that arrive over the measured time.
Pace measure(fvdriver::Program& program)
{
    std::vector<Clock::time_point> arrivals;
    int frames = program.framesSeen();
    const auto start = Clock::now();
    const auto end = start + measured;
    while (Clock::now() < end) {
        if (!program.waitForFrames(frames + 1)) {
            break;
        }
        frames = program.framesSeen();
        arrivals.push_back(Clock::now());
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::vector<double> gaps;
    Clock::time_point previous = start;
    for (const auto at : arrivals) {
        gaps.push_back(std::chrono::duration<double, std::milli>(at - previous).count());
        previous = at;
    }
    std::sort(gaps.begin(), gaps.end());
    return {static_cast<double>(arrivals.size()) / seconds, gaps.empty() ? 0.0 : gaps.back(),
            gaps.empty() ? 0.0 : gaps[gaps.size() / 2]};
}

// Print and record one pace.
void report(const std::string& name, const Pace& pace)
{
    const bool met = pace.framesPerSecond >= goalRate - goalTolerance &&
                     pace.framesPerSecond <= goalRate + goalTolerance;
    std::printf("%-18s %6.2f frames/s, median gap %6.1f ms, worst gap %6.1f ms: %s\n", name.c_str(),
                pace.framesPerSecond, pace.medianGapMs, pace.worstGapMs, met ? "met" : "missed");
    char rate[32];
    char gaps[64];
    std::snprintf(rate, sizeof rate, "%.2f frames/s", pace.framesPerSecond);
    std::snprintf(gaps, sizeof gaps, "gap %.1f ms median, %.1f ms worst", pace.medianGapMs,
                  pace.worstGapMs);
    benchtable::addRow(name, "25 +- 1 frames/s", rate, gaps, met ? "met" : "missed");
}

} // namespace

int main()
{
    try {
        xvfb::Server server;
        fvdriver::Options options;
        options.program = FV_PROGRAM;
        options.answers = answers;
        options.args = {"--play"};
        options.settles = false;
        fvdriver::Program program(server, options);

        std::this_thread::sleep_for(warmUp);
        report("playTimePlot", measure(program));
        program.sendKey('f');
        std::this_thread::sleep_for(warmUp);
        report("playWithChart", measure(program));
        program.sendEscape();
        program.waitForExit();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_play: %s\n", e.what());
        return 1;
    }
    return 0;
}
