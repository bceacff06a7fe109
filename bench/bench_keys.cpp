// Time the built program from a key to its frame on the screen, told by the
// X server's damage report for the whole window rather than by polling its
// pixels: 's' after 's' (the time plot alone, the common case) and 'f' after
// 'f' (the chart). A second measurement of what bench_program times by
// pixels, with no grab in the loop and no need to alternate the keys.
//
// Then the same session's memory: 10,000 frames of the time plot alone, 's'
// as fast as the keys come, VmRSS read every 1,000 frames. The damage
// reports tell when a batch has been drawn, so no frame of the run needs the
// chart as a marker. Escape ends the session, whose peak resident size is a
// row of its own. FV_BENCH_MEMORY_FRAMES runs more frames (a multiple of
// 1,000) to see where the resident size levels off; growth is still judged
// from 1,000 to 10,000.
#include "bench/table_reporter.h"
#include "tools/program_driver.h"
#include "tools/worked_example_setup.h"
#include "tools/xvfb.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

const char* const program = FV_PROGRAM;

// Key presses timed one by one per benchmark.
constexpr int keyRepetitions = 300;
// Untimed frames of each kind first: the renderer's first frames with a new
// combination of state compile code that later frames reuse.
constexpr int warmUpFrames = 10;
// Goal of the 's' key: the next frame within one 60 Hz refresh period.
constexpr double timePlotKeyGoal = 1.0 / 60.0;

// Frames of the memory run unless FV_BENCH_MEMORY_FRAMES says more, and how
// often VmRSS is read; growth is judged between the samples at
// growthFrom and growthTo frames.
constexpr int memoryFrames = 10000;
constexpr int memorySampleEvery = 1000;
constexpr int growthFrom = 1000;
constexpr int growthTo = 10000;
// How long a batch of 1,000 frames may take: about 1.5 ms a frame on an
// idle machine, so this leaves room for a loaded one.
constexpr auto batchTimeout = std::chrono::seconds(120);
// Growth of VmRSS between the samples at 1,000 and 10,000 frames that still
// counts as none: a few pages of allocator slack. Anything kept per frame,
// even 16 bytes, would add 144 KiB over those 9,000 frames.
constexpr long growthToleranceKiB = 128;

// The rows of the memory run.
const char* const memoryRows[] = {"sessionPeakResident", "residentGrowth1000To10000Frames",
                                  "framesAsFastAsKeysCome"};

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

// One field of /proc/PID/status in KiB ("VmRSS", "VmHWM"); -1 if absent.
long statusKiB(pid_t pid, const std::string& field)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, field.size() + 1, field + ":") == 0)
            return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}

// A size in KiB as KiB or, from 10 MiB up, whole MiB.
std::string kibText(long kib)
{
    std::ostringstream out;
    if (kib >= 10240)
        out << kib / 1024 << " MiB";
    else
        out << kib << " KiB";
    return out.str();
}

// VmRSS and VmHWM of the program, KiB.
struct MemorySample {
    long resident;
    long highWater;
};

// The program's memory now.
MemorySample memoryNow()
{
    return {statusKiB(session->pid(), "VmRSS"), statusKiB(session->pid(), "VmHWM")};
}

// The samples as one line of numbers for a note.
std::string sampleLine(const std::vector<MemorySample>& samples, long MemorySample::*field)
{
    std::ostringstream out;
    for (const MemorySample& m : samples)
        out << (out.tellp() > 0 ? " " : "") << m.*field;
    return out.str();
}

// Type count 's' keys without waiting between them, then wait until the
// server has reported the whole-window damage of every one of their frames.
void timePlotFrames(int count)
{
    const int before = session->framesSeen();
    for (int i = 0; i < count; ++i)
        session->sendKey('s');
    if (!session->waitForFrames(before + count))
        throw std::runtime_error("the frames of a batch of keys did not all come in time");
}

// Frames the memory run makes: 10,000, or more if FV_BENCH_MEMORY_FRAMES asks,
// rounded up to whole batches.
int framesToRun()
{
    const char* asked = std::getenv("FV_BENCH_MEMORY_FRAMES");
    const int frames = asked != nullptr ? std::max(std::atoi(asked), memoryFrames) : memoryFrames;
    return (frames + memorySampleEvery - 1) / memorySampleEvery * memorySampleEvery;
}

// Run 10,000 frames of the time plot alone as fast as the keys come, reading
// VmRSS and VmHWM every 1,000; then end the session with escape and take its
// peak. Growth is judged on VmRSS from 1,000 frames on: the first thousand
// may still fill caches.
void measureMemory()
{
    const int frames = framesToRun();
    // Leave the chart of the last benchmark behind before the first sample.
    timePlotFrames(1);
    std::vector<MemorySample> samples = {memoryNow()};
    const Clock::time_point start = Clock::now();
    for (int done = 0; done < frames; done += memorySampleEvery) {
        timePlotFrames(memorySampleEvery);
        samples.push_back(memoryNow());
    }
    const double perFrame = std::chrono::duration<double>(Clock::now() - start).count() / frames;
    benchtable::addNote("VmRSS every 1,000 time-plot frames, KiB",
                        sampleLine(samples, &MemorySample::resident));
    benchtable::addNote("VmHWM every 1,000 time-plot frames, KiB",
                        sampleLine(samples, &MemorySample::highWater));

    // End the session as a user does. Its peak is the larger of the last
    // VmHWM and the kernel's figure for the children reaped so far (the
    // program is the only one; the server still runs).
    session->sendEscape();
    const std::optional<int> status = session->waitForExit();
    long peak = samples.back().highWater;
    rusage usage{};
    if (status && getrusage(RUSAGE_CHILDREN, &usage) == 0)
        peak = std::max(peak, static_cast<long>(usage.ru_maxrss));
    std::cout << "peak resident size " << peak << " KiB; exit status "
              << (status ? std::to_string(*status) : std::string("none")) << "\n";

    const long growth = samples[growthTo / memorySampleEvery].resident -
                        samples[growthFrom / memorySampleEvery].resident;
    benchtable::addRow("sessionPeakResident", "-", kibText(peak), "-", "-");
    benchtable::addRow("residentGrowth1000To10000Frames", "none",
                       (growth >= 0 ? "+" : "") + std::to_string(growth) + " KiB", "-",
                       growth <= growthToleranceKiB ? "met" : "MISSED");
    benchtable::addRow("framesAsFastAsKeysCome", "-", benchtable::formatSeconds(perFrame), "-",
                       "-");
}

// Whether --benchmark_filter, if given, selects any row of the memory run,
// as it would a benchmark of that name.
bool memorySelected(int argc, char** argv)
{
    const std::string flag = "--benchmark_filter=";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.compare(0, flag.size(), flag) != 0)
            continue;
        const std::regex filter(arg.substr(flag.size()), std::regex::extended);
        for (const char* row : memoryRows) {
            if (std::regex_search(row, filter))
                return true;
        }
        return false;
    }
    return true;
}

} // namespace

// Start a server and the program through the driver, warm up, time the
// keys, then run the memory session.
int main(int argc, char** argv)
{
    benchtable::setGoal("keyToDamageTimePlot", timePlotKeyGoal, "< 16.7 ms");
    std::vector<std::string> rows = {"keyToDamageTimePlot", "keyToDamageChart"};
    rows.insert(rows.end(), std::begin(memoryRows), std::end(memoryRows));
    try {
        server = std::make_unique<xvfb::Server>();
        fvdriver::Options options;
        options.program = program;
        options.answers = workedExampleAnswers;
        options.frameTimeout = batchTimeout;
        session = std::make_unique<fvdriver::Program>(*server, options);
        for (int i = 0; i < warmUpFrames; ++i) {
            if (!session->sendKeyForFrame('f') || !session->sendKeyForFrame('s'))
                throw std::runtime_error("no frame for a key while warming up");
        }
    } catch (const std::exception& e) {
        benchtable::skipAll(rows, std::string("cannot run the program on a private X server: ") +
                                      e.what());
        return 0;
    }

    const bool memoryWanted = memorySelected(argc, argv);
    registerBenchmarks();
    const int status = benchtable::runBenchmarks(argc, argv);
    if (!memoryWanted) {
        session->sendEscape();
        session->waitForExit();
        return status;
    }
    try {
        measureMemory();
    } catch (const std::exception& e) {
        benchtable::skipAll({std::begin(memoryRows), std::end(memoryRows)}, e.what());
    }
    return status;
}
