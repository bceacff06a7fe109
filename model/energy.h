// The energy of the motion and the power the force puts in, in closed form:
// what the energy view's chart draws and what the simulated means are held to.
#pragma once

// The energy stored in the motion at one moment, J.
double kineticEnergy(double m, double v);
double springEnergy(double K, double y);

// The mean power the force F sin(omf t) puts into the settled motion, W:
// 1/2 F^2 lambda omf^2 / ((K - m omf^2)^2 + (lambda omf)^2), which the
// damper takes out again.
double meanInputPower(double m, double lambda, double K, double F, double omf);

// The settled mean input power at the frequency ratio r for the damping
// ratio zeta, as a share of its peak F^2 / (2 lambda) at r = 1:
// (2 zeta r)^2 / ((1 - r^2)^2 + (2 zeta r)^2). Undamped, 1 at r = 1 alone.
double relativeInputPower(double zeta, double r);

// Samples k = 0..stepCount of relativeInputPower at the ratios k*ratioStep.
void fillPowerCurve(double ratioStep, int stepCount, double zeta, double* out);

// The ratios r1 < 1 < r2 where the mean input power for zeta is half its
// peak, found on the curve itself (bisection), so that they check r2 - r1 =
// 2 zeta rather than assume it. Both are 1 without damping; false (both NaN)
// for a zeta that is not a finite number at least 0.
bool powerHalfPowerRatios(double zeta, double* r1, double* r2);
