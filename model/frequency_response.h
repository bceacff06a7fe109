// Sampled amplitude and phase curves of the steady-state response.
#pragma once

#include "model/excitation.h"

// Write samples 0..stepCount of the amplitude (m) and phase (units of pi)
// curves of the excitation `kind` of scale `reference` (referenceAmplitude)
// for one damping ratio, at frequency ratios k*ratioStep.
void computeFrequencyResponse(ExcitationKind kind, double ratioStep, int stepCount,
                              double dampingRatio, double reference, double* ampOut,
                              double* phaseOut);

// Set the table layout and fill the entered-zeta curves, then the nine
// tabulated ones, all with the present excitation and its As.
void fillFrequencyTables();
