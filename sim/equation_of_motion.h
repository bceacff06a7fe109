// The process-wide oscillator's equation of motion as two first-order equations.
#pragma once

// Component i of the right-hand side of the dialog's oscillator at time t for
// the state y: 0 gives dy/dt, 1 gives dv/dt; any other index returns the
// previous result, so that extra equations follow the acceleration.
double derivative(int i, double t, const double* y);
