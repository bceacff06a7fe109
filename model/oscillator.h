// The oscillator's derived quantities and the run reset, on the process-wide
// state of model/state.h.
#pragma once

#include "model/excitation.h"

// The natural angular frequency sqrt(K/m), rad/s.
double naturalFrequency(double m, double K);

// The damping ratio lambda / (2 sqrt(m K)).
double dampingRatio(double m, double lambda, double K);

// om0 and zeta from m, lambda and K.
void computeNaturalFrequency();

// As, freqRatio, Ad and phaseLag of the excitation and the stored om0 and zeta.
void computeForcedResponse();

// The start (y0, v0) on the steady vibration of amplitude Ad, lag phaseLag
// (units of pi) and frequency omf.
void steadyStateStart(double Ad, double phaseLag, double omf, double* y0, double* v0);

// y0 and v0 on the steady vibration, so the run starts with no transient.
void setSteadyStateStart();

// Put the run back to t = 0 at the initial condition with an empty history.
// The window puts its view scales back at the same moment (app/view.h).
void resetRun();
