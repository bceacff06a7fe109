// The frequency-response curves of the chart.
#include "model/frequency_response.h"

#include <cmath>

#include "model/state.h"

// How close to 1 a sampled ratio must be to count as the resonance sample.
static constexpr double resonanceTolerance = 1e-6;
// Amplitude stored at undamped resonance in place of infinity (not scaled by As).
static constexpr double undampedResonanceAmp = 100000.0;

void computeFrequencyResponse(ExcitationKind kind, double ratioStep, int stepCount,
                              double dampingRatio, double reference, double* ampOut,
                              double* phaseOut)
{
    for (int k = 0; k <= stepCount; k++) {
        const double r = k * ratioStep;
        const SteadyResponse response = steadyResponse(kind, reference, r, dampingRatio);
        ampOut[k] = response.amplitude;
        phaseOut[k] = response.lag;
        if (std::fabs(r - 1) < resonanceTolerance) {
            // Neither above nor below zero: an undamped curve, and a NaN one too.
            if (!(dampingRatio < 0 || dampingRatio > 0)) {
                ampOut[k] = undampedResonanceAmp;
            }
            // Force and unbalance lie at 90 degrees however near 1 the ratio is.
            if (kind != ExcitationKind::base) {
                phaseOut[k] = 0.5;
            }
        }
    }
}

void fillFrequencyTables()
{
    tables.freqStep = 0.02;
    tables.freqPoints = 300;
    tables.zetaCount = zetaTableSize;
    const ExcitationKind kind = params.system.kind;
    computeFrequencyResponse(kind, tables.freqStep, tables.freqPoints, derived.zeta, derived.As,
                             tables.givenAmp, tables.givenPhase);
    for (int i = 0; i < tables.zetaCount; i++) {
        computeFrequencyResponse(kind, tables.freqStep, tables.freqPoints, zetaTable[i], derived.As,
                                 tables.zetaAmp[i], tables.zetaPhase[i]);
    }
}
