// Time the built program from a key to its frame on the screen, told by the
// X server's damage report for the whole window rather than by polling its
// pixels: 's' after 's' (the time plot alone, the common case) and 'f' after
// 'f' (the chart). A second measurement of what bench_program times by
// pixels, with no grab in the loop and no need to alternate the keys.
#include "bench/table_reporter.h"
#include "tests/program_driver.h"
#include "tests/xvfb.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>

namespace
{

using Clock = std::chrono::steady_clock;

const char* const program = FV_PROGRAM;

// The worked example typed into the dialog: m lambda K, F omf, then '1'.
const char* const dialogAnswers = "1 0.2 4\n1 1\n1\n";

// Key presses timed one by one per benchmark.
constexpr int keyRepetitions = 300;
// Untimed frames of each kind first: the renderer's first frames with a new
// combination of state compile code that later frames reuse.
constexpr int warmUpFrames = 10;
// Goal of the 's' key: the next frame within one 60 Hz refresh period.
constexpr double timePlotKeyGoal = 1.0 / 60.0;

std::unique_ptr<xvfb::Server> server;
std::unique_ptr<fvdriver::Program> session;

// Time one key per iteration, from its sending to the damage of its frame.
void timeKeyFrames(benchmark::State& bench, char key)
{
    for (auto _ : bench) {
        const Clock::time_point start = Clock::now();
        if (!session->sendKeyForFrame(key)) {
            bench.SkipWithError("no frame within the driver's timeout");
            break;
        }
        bench.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}

// Register both keys as single presses, timed by hand in milliseconds.
void registerBenchmarks()
{
    benchtable::perCall(benchmark::RegisterBenchmark("keyToDamageTimePlot", timeKeyFrames, 's'),
                        keyRepetitions)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchtable::perCall(benchmark::RegisterBenchmark("keyToDamageChart", timeKeyFrames, 'f'),
                        keyRepetitions)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

} // namespace

// Start a server and the program through the driver, warm up, time the keys.
int main(int argc, char** argv)
{
    benchtable::setGoal("keyToDamageTimePlot", timePlotKeyGoal, "< 16.7 ms");
    try {
        server = std::make_unique<xvfb::Server>();
        fvdriver::Options options;
        options.program = program;
        options.answers = dialogAnswers;
        session = std::make_unique<fvdriver::Program>(*server, options);
        for (int i = 0; i < warmUpFrames; ++i) {
            if (!session->sendKeyForFrame('f') || !session->sendKeyForFrame('s'))
                throw std::runtime_error("no frame for a key while warming up");
        }
    } catch (const std::exception& e) {
        benchtable::skipAll({"keyToDamageTimePlot", "keyToDamageChart"},
                            std::string("cannot run the program on a private X server: ") +
                                e.what());
        return 0;
    }

    registerBenchmarks();
    const int status = benchtable::runBenchmarks(argc, argv);
    session->sendEscape();
    session->waitForExit();
    return status;
}
