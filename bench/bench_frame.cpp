// Time the program's own work in one display call, with every OpenGL and
// GLUT call answered by an empty stand-in: what is left is the simulation
// step, the history and the drawing library's arithmetic and call sequence.
#include <benchmark/benchmark.h>

#include "app/display.h"
#include "app/view.h"
#include "bench/table_reporter.h"
#include "model/oscillator.h"
#include "model/state.h"
#include "platform/gl_model/gl_model.h"
#include "tools/worked_example_setup.h"

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

const bool goalSet = (benchtable::setGoal("displayWithChart", chartFrameGoal, "< 100 us"), true);

} // namespace
