// Time the program's own work in one display call, with every OpenGL and
// GLUT call answered by an empty stand-in: what is left is the simulation
// step, the history and the drawing library's arithmetic and call sequence.
#include <benchmark/benchmark.h>

#include "app/display.h"
#include "app/motion_report.h"
#include "app/view.h"
#include "bench/table_reporter.h"
#include "console/console.h"
#include "model/oscillator.h"
#include "model/state.h"
#include "platform/gl_model/gl_model.h"
#include "tools/worked_example_setup.h"

#include <cstdio>
#include <string>

namespace
{

// Calls timed one by one: ten passes of the 250-slot time history, so the
// distribution covers every length of the time curves.
constexpr int frameRepetitions = 2500;
// The slot before the last one that the reset time scale uses: the display
// after it writes slot 250 and draws both time curves at full length.
constexpr int fullHistorySlot = 249;
// Goal of one display call with the chart, seconds.
constexpr double chartFrameGoal = 100e-6;

// Note how many OpenGL and GLUT calls one display call makes with the time
// curves at their full length, and put the run back to its start.
void noteCallCount(char key)
{
    setGlRecording(false);
    while (run.histIndex < fullHistorySlot)
        display();
    setGlRecording(true);
    clearGlCalls();
    display();
    benchtable::addNote(std::string("OpenGL and GLUT calls of one display, lastKey '") + key +
                            "', full time curves",
                        std::to_string(glCalls().size()));
    clearGlCalls();
    resetRun();
    resetView();
}

// The worked example entered, the run reset, and the stand-ins silenced;
// once per benchmark, not per repetition, so that the run goes on from call
// to call as in the program and the time history takes every length.
void startWorkedExample(char key)
{
    static char started = 0;
    if (started == key)
        return;
    started = key;
    enterWorkedExample();
    lastKey = key;
    noteCallCount(key);
    setGlRecording(false);
}

// Time display with the frequency chart: 20 curves of 300 segments and two
// discs besides the time plot.
void displayWithChart(benchmark::State& bench)
{
    startWorkedExample('f');
    for (auto _ : bench) {
        display();
    }
    benchmark::DoNotOptimize(&run);
}
BENCHMARK(displayWithChart)->Apply([](benchmark::internal::Benchmark* b) {
    benchtable::perCall(b, frameRepetitions)->Unit(benchmark::kMicrosecond);
});

// Time display without the chart, as after 's'.
void displayTimePlot(benchmark::State& bench)
{
    startWorkedExample('s');
    for (auto _ : bench) {
        display();
    }
    benchmark::DoNotOptimize(&run);
}
BENCHMARK(displayTimePlot)->Apply([](benchmark::internal::Benchmark* b) {
    benchtable::perCall(b, frameRepetitions)->Unit(benchmark::kMicrosecond);
});

// The key 'r' after a run of the worked example (F 1 N) or of its free
// decay (F 0, from 0.5 m) of `seconds`, its line thrown away: it must
// answer within one frame, 16.7 ms.
constexpr double keyRGoal = 1.0 / 60;
constexpr int keyRRepetitions = 20;
void keyR(benchmark::State& bench, double seconds, double F)
{
    enterWorkedExample();
    params.system.F = F;
    params.y0 = F == 0 ? 0.5 : params.y0;
    params.v0 = F == 0 ? 0.0 : params.v0;
    resetRun();
    setGlRecording(false);
    for (long k = 0; k < static_cast<long>(seconds / frameTime + 0.5); k++)
        advanceFrame();
    std::FILE* sink = std::fopen("/dev/null", "w");
    consoleOut = sink;
    for (auto _ : bench)
        reportMotionFigures();
    consoleOut = stdout;
    std::fclose(sink);
}
void keyRForced600s(benchmark::State& bench)
{
    keyR(bench, 600, 1);
}
void keyRForced3600s(benchmark::State& bench)
{
    keyR(bench, 3600, 1);
}
void keyRFree600s(benchmark::State& bench)
{
    keyR(bench, 600, 0);
}
void keyRFree3600s(benchmark::State& bench)
{
    keyR(bench, 3600, 0);
}
void perKeyR(benchmark::internal::Benchmark* b)
{
    benchtable::perCall(b, keyRRepetitions)->Unit(benchmark::kMillisecond);
}
BENCHMARK(keyRForced600s)->Apply(perKeyR);
BENCHMARK(keyRForced3600s)->Apply(perKeyR);
BENCHMARK(keyRFree600s)->Apply(perKeyR);
BENCHMARK(keyRFree3600s)->Apply(perKeyR);

const bool goalSet = (benchtable::setGoal("displayWithChart", chartFrameGoal, "< 100 us"),
                      benchtable::setGoal("keyRForced600s", keyRGoal, "< 16.7 ms"),
                      benchtable::setGoal("keyRForced3600s", keyRGoal, "< 16.7 ms"),
                      benchtable::setGoal("keyRFree600s", keyRGoal, "< 16.7 ms"),
                      benchtable::setGoal("keyRFree3600s", keyRGoal, "< 16.7 ms"), true);

} // namespace
