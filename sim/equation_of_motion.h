// The right-hand side of the oscillator's equation of motion.
#pragma once

// Component i of the right-hand side at time t for the state y:
// 0 gives dy/dt, 1 gives dv/dt; any other index returns the previous result.
double derivative(int i, double t, const double* y);
