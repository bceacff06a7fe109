// The energy and the mean input power in closed form.
#include "model/energy.h"

#include <cmath>
#include <limits>

#include "model/oscillator.h"

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

double meanInputPower(const Oscillator& o)
{
    const double om0 = naturalFrequency(o.m, o.K);
    const double ratio = o.omf / om0;
    const double A =
        steadyResponse(o.kind, referenceAmplitude(o), ratio, dampingRatio(o.m, o.lambda, o.K))
            .amplitude;
    return 0.5 * o.lambda * o.omf * o.omf * A * A;
}

double relativeInputPower(ExcitationKind kind, double zeta, double r)
{
    if (!(zeta > 0)) {
        return r == 1 ? 1 : 0;
    }
    // r^2 A(r)^2 / A(1)^2, the power's omf^2 A^2 at r against that at 1.
    const double A = steadyResponse(kind, 1, r, zeta).amplitude;
    const double atResonance = steadyResponse(kind, 1, 1, zeta).amplitude;
    const double share = r * A / atResonance;
    return share * share;
}

void fillPowerCurve(ExcitationKind kind, double ratioStep, int stepCount, double zeta, double* out)
{
    for (int k = 0; k <= stepCount; k++) {
        out[k] = relativeInputPower(kind, zeta, k * ratioStep);
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
        const bool above = relativeInputPower(ExcitationKind::force, zeta, mid) >= 0.5;
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
