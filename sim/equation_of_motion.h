// The right-hand side of the process-wide oscillator's equation of motion
// (model/excitation.h), as two first-order equations.
#pragma once

#include "model/excitation.h"

// Component i of the right-hand side of the process-wide model (the
// dialog's parameters) at time t for the state y: 0 gives dy/dt, 1 gives
// dv/dt; any other index returns the previous result.
double derivative(int i, double t, const double* y);
