// The right-hand side of the oscillator's equation of motion
// m*y'' + lambda*y' + K*y = F*sin(omf*t), as two first-order equations.
#pragma once

#include <cmath>

// One oscillator and its force (SI units, as the dialog takes them).
struct Oscillator {
    double m;      // mass, kg
    double lambda; // damping coefficient, N/(m/s)
    double K;      // spring constant, N/m
    double F;      // amplitude of the external force, N
    double omf;    // angular frequency of the external force, rad/s
};

// dv/dt of the oscillator o in the state y at time t.
inline double acceleration(const Oscillator& o, double t, const double* y)
{
    double s = std::sin(o.omf * t);
    double a = s * o.F;
    double b = o.lambda * y[1] + o.K * y[0];
    return (a - b) / o.m;
}

// The right-hand side of one oscillator, for gillStep: component 0 is
// dy/dt, 1 is dv/dt.
struct OscillatorRhs {
    const Oscillator& o;
    double operator()(int i, double t, const double* y) const
    {
        return i == 0 ? y[1] : acceleration(o, t, y);
    }
};

// Component i of the right-hand side of the process-wide model (the
// dialog's parameters) at time t for the state y: 0 gives dy/dt, 1 gives
// dv/dt; any other index returns the previous result.
double derivative(int i, double t, const double* y);
