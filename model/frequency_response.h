// Sampled amplitude and phase curves of the steady response.
#pragma once

#include "model/excitation.h"

// Write samples 0..stepCount of the amplitude (m) and phase (units of pi)
// curves of the excitation `kind` of scale `reference` for one damping
// ratio, at frequency ratios k*ratioStep.
void computeFrequencyResponse(ExcitationKind kind, double ratioStep, int stepCount,
                              double dampingRatio, double reference, double* ampOut,
                              double* phaseOut);

// Set the table layout and fill the entered zeta's curves, then the nine
// tabulated ones, with the present excitation and its As.
void fillFrequencyTables();
