// Time the console dialog's computation of one full pass: the derived
// quantities and all ten frequency-response curves.
#include <benchmark/benchmark.h>

#include "bench/table_reporter.h"
#include "model/frequency_response.h"
#include "model/oscillator.h"
#include "model/state.h"
#include "tools/worked_example_setup.h"

namespace
{

// Single calls timed, for the median and the 95th percentile of one pass.
constexpr int passRepetitions = 2000;
// Goal of one pass, seconds: well inside one keystroke's worth of waiting.
constexpr double passGoal = 200e-6;

// Type the worked example's numbers: m, lambda, K, then F and omf.
void typeWorkedExample()
{
    resetAllState();
    params = workedExampleParameters;
}

// Time what the dialog computes after the numbers are typed: om0 and zeta,
// the forced response, and the tables of the entered and the nine fixed zetas.
void dialogPass(benchmark::State& bench)
{
    typeWorkedExample();
    for (auto _ : bench) {
        computeNaturalFrequency();
        computeForcedResponse();
        fillFrequencyTables();
        benchmark::DoNotOptimize(&tables);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(dialogPass)->Apply([](benchmark::internal::Benchmark* b) {
    benchtable::perCall(b, passRepetitions)->Unit(benchmark::kMicrosecond);
});

// Time one frequency-response curve alone, the unit of the pass above.
void oneCurve(benchmark::State& bench)
{
    typeWorkedExample();
    computeNaturalFrequency();
    computeForcedResponse();
    for (auto _ : bench) {
        computeFrequencyResponse(ExcitationKind::force, 0.02, 300, 0.05, derived.As,
                                 tables.givenAmp, tables.givenPhase);
        benchmark::DoNotOptimize(&tables);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(oneCurve)->Apply([](benchmark::internal::Benchmark* b) {
    benchtable::perCall(b, passRepetitions)->Unit(benchmark::kMicrosecond);
});

// Register the goal before main runs the benchmarks.
const bool goalSet = (benchtable::setGoal("dialogPass", passGoal, "< 200 us"), true);

} // namespace
