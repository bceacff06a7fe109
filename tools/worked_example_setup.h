// The worked example as the tests and benchmarks set it up: m 1 kg,
// lambda 0.2 N/(m/s), K 4 N/m, F 1 N, omf 1 rad/s, started on the
// steady-state vibration (zeta 0.05, ratio 0.5). tests/worked_example.h
// holds what the dialog prints for it.
#pragma once

#include "app/view.h"
#include "model/frequency_response.h"
#include "model/oscillator.h"
#include "model/state.h"

// Its answers to the first dialog, as typed: m lambda K, F omf, then the key
// '1' for the steady-state start.
inline constexpr const char* workedExampleAnswers = "1 0.2 4\n1 1\n1\n";

// Its parameters; y0 and v0 are set by the steady-state start.
inline constexpr Parameters workedExampleParameters = {{1, 0.2, 4, 1, 1}, 0, 0};

// Start from a fresh process's state and enter the worked example as its
// dialog pass does: derived quantities, tables, steady-state start, run
// reset, and the view back at its start.
inline void enterWorkedExample()
{
    resetAllState();
    params = workedExampleParameters;
    computeNaturalFrequency();
    computeForcedResponse();
    fillFrequencyTables();
    setSteadyStateStart();
    resetRun();
    resetView();
}
