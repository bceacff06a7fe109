// The energy and the mean input power in closed form.
#include "model/energy.h"

#include <cmath>
#include <limits>

// Halvings of the bracket of a half-power point: far below a double's
// resolution of the ratio, so the ratio is found to the last few bits.
static constexpr int halfPowerHalvings = 200;

double kineticEnergy(double m, double v)
{
    return 0.5 * m * v * v;
}

double springEnergy(double K, double y)
{
    return 0.5 * K * y * y;
}

double meanInputPower(double m, double lambda, double K, double F, double omf)
{
    const double stiffness = K - m * omf * omf;
    const double damping = lambda * omf;
    const double d = stiffness * stiffness + damping * damping;
    if (d == 0) {
        return 0;
    }
    return 0.5 * F * F * lambda * omf * omf / d;
}

double relativeInputPower(double zeta, double r)
{
    const double damping = 2 * zeta * r;
    const double stiffness = 1 - r * r;
    const double d = stiffness * stiffness + damping * damping;
    // Undamped at r = 1: the limit of every damped curve there.
    return d == 0 ? 1 : damping * damping / d;
}

void fillPowerCurve(double ratioStep, int stepCount, double zeta, double* out)
{
    for (int k = 0; k <= stepCount; k++) {
        out[k] = relativeInputPower(zeta, k * ratioStep);
    }
}

// The ratio in [low, high] where the curve for zeta crosses one half, the
// curve rising through it when rising is true.
static double halfPowerCrossing(double zeta, double low, double high, bool rising)
{
    for (int i = 0; i < halfPowerHalvings && low < high; i++) {
        const double mid = 0.5 * (low + high);
        if (mid <= low || mid >= high) {
            break;
        }
        const bool above = relativeInputPower(zeta, mid) >= 0.5;
        if (above == rising) {
            high = mid;
        } else {
            low = mid;
        }
    }
    return 0.5 * (low + high);
}

bool powerHalfPowerRatios(double zeta, double* r1, double* r2)
{
    if (!(zeta >= 0) || !std::isfinite(zeta)) {
        *r1 = *r2 = std::numeric_limits<double>::quiet_NaN();
        return false;
    }
    if (zeta == 0) {
        *r1 = *r2 = 1;
        return true;
    }
    // The curve rises from 0 at r = 0 to 1 at r = 1 and falls to 0 beyond;
    // at r = 2 + 4 zeta it is below one half for every zeta.
    *r1 = halfPowerCrossing(zeta, 0, 1, true);
    *r2 = halfPowerCrossing(zeta, 1, 2 + 4 * zeta, false);
    return true;
}
