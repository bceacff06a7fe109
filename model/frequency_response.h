// Sampled amplitude and phase curves of the steady-state response.
#pragma once

// Write samples 0..stepCount of the amplitude (m) and phase (units of pi)
// curves for one damping ratio, at frequency ratios k*ratioStep.
void computeFrequencyResponse(double ratioStep, int stepCount, double dampingRatio,
                              double staticAmp, double* ampOut, double* phaseOut);

// Set the table layout and fill the entered-zeta curves, then the nine
// tabulated ones, all with the present As.
void fillFrequencyTables();
