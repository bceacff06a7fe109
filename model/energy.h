// The energy of the motion and the power the excitation puts in, in closed
// form: what the energy view's chart draws and what the simulated means are
// held to.
//
// The equation of motion, m y'' + lambda y' + K y = f(t) (a moving base
// passes on f = K u + lambda u'), multiplied by v = y' is the balance
// d/dt (1/2 m v^2 + 1/2 K y^2) + lambda v^2 = f v: the excitation's power
// f v fills the kinetic and the spring's energy, the damper's lambda v^2
// empties them, and over a settled period the two means are equal.
#pragma once

#include "model/excitation.h"

// The energy stored in the motion at one moment, J.
double kineticEnergy(double m, double v);
double springEnergy(double K, double y);

// The power the excitation puts into the mass moving at v at time t, W.
inline double inputPower(const Oscillator& o, double t, double v)
{
    return excitationForce(o, t) * v;
}

// The power the damper takes out of the mass moving at v, W.
inline double damperPower(const Oscillator& o, double v)
{
    return o.lambda * v * v;
}

// The mean power the excitation puts into the settled motion, W: the
// damper's 1/2 lambda omf^2 A^2 at the steady amplitude A; for a force
// 1/2 F^2 lambda omf^2 / ((K - m omf^2)^2 + (lambda omf)^2).
double meanInputPower(const Oscillator& o);

// The settled mean input power at the frequency ratio r for the damping
// ratio zeta, as a share of its value at r = 1. For a force that is its
// peak, F^2 / (2 lambda), and the share (2 zeta r)^2 / ((1 - r^2)^2 +
// (2 zeta r)^2). Undamped: 1 at r = 1, 0 elsewhere.
double relativeInputPower(ExcitationKind kind, double zeta, double r);

// Samples k = 0..stepCount of relativeInputPower at the ratios k*ratioStep.
void fillPowerCurve(ExcitationKind kind, double ratioStep, int stepCount, double zeta, double* out);

// The ratios r1 < 1 < r2 where a force's mean input power for zeta is half
// its peak, found on the curve itself (bisection), so that they check
// r2 - r1 = 2 zeta rather than assume it. Both are 1 without damping; false
// (both NaN) for a zeta that is not a finite number at least 0.
bool powerHalfPowerRatios(double zeta, double* r1, double* r2);
