// The frequency-response curves of the chart.
#include "model/frequency_response.h"

#include <cmath>

#include "model/oscillator.h"
#include "model/state.h"

// How close to 1 a sampled ratio must be to count as the resonance sample.
static constexpr double resonanceTolerance = 1e-6;
// Amplitude stored at undamped resonance in place of infinity (not scaled by As).
static constexpr double undampedResonanceAmp = 100000.0;

void computeFrequencyResponse(double ratioStep, int stepCount, double dampingRatio,
                              double staticAmp, double* ampOut, double* phaseOut)
{
    for (int k = 0; k <= stepCount; k++) {
        const double r = k * ratioStep;
        const double r2 = r * r;
        double amplitude;
        double phase;
        if (std::fabs(r - 1) < resonanceTolerance) {
            // Neither above nor below zero: an undamped curve, and a NaN one too.
            const bool undamped = !(dampingRatio < 0 || dampingRatio > 0);
            amplitude = undamped ? undampedResonanceAmp : staticAmp / (2 * dampingRatio);
            phase = 0.5;
        } else {
            const double d = (1 - r2) * (1 - r2) + 4 * dampingRatio * dampingRatio * r2;
            amplitude = staticAmp / std::sqrt(d);
            phase = std::atan2(2 * dampingRatio * r, 1 - r2) / modelPi;
        }
        ampOut[k] = amplitude;
        phaseOut[k] = phase;
    }
}

void fillFrequencyTables()
{
    tables.freqStep = 0.02;
    tables.freqPoints = 300;
    tables.zetaCount = zetaTableSize;
    computeFrequencyResponse(tables.freqStep, tables.freqPoints, derived.zeta, derived.As,
                             tables.givenAmp, tables.givenPhase);
    for (int i = 0; i < tables.zetaCount; i++) {
        computeFrequencyResponse(tables.freqStep, tables.freqPoints, zetaTable[i], derived.As,
                                 tables.zetaAmp[i], tables.zetaPhase[i]);
    }
}
