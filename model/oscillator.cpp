// Derived quantities of the oscillator and the reset of the run.
#include "model/oscillator.h"

#include <cmath>

#include "model/specimen_state.h"
#include "model/state.h"

double naturalFrequency(double m, double K)
{
    return std::sqrt(K / m);
}

double dampingRatio(double m, double lambda, double K)
{
    const double root = std::sqrt(m * K);
    return lambda / (root + root);
}

void computeNaturalFrequency()
{
    derived.om0 = naturalFrequency(params.m, params.K);
    derived.zeta = dampingRatio(params.m, params.lambda, params.K);
}

void computeForcedResponse()
{
    derived.As = params.F / params.K;
    derived.freqRatio = params.omf / derived.om0;
    const double r2 = derived.freqRatio * derived.freqRatio;
    derived.Ad = derived.As / std::sqrt((1 - r2) * (1 - r2) + 4 * derived.zeta * derived.zeta * r2);
    // Exact resonance is given its textbook 90 degrees without asking atan2.
    if (derived.freqRatio == 1.0) {
        derived.phaseLag = 0.5;
    } else {
        derived.phaseLag = std::atan2(2 * derived.zeta * derived.freqRatio, 1 - r2) / modelPi;
    }
}

void steadyStateStart(double Ad, double phaseLag, double omf, double* y0, double* v0)
{
    // On y(t) = Ad sin(omf t - phi) at t = 0.
    *y0 = std::sin(phaseLag * modelPi) * (-Ad);
    *v0 = std::cos(phaseLag * modelPi) * (Ad * omf);
}

void setSteadyStateStart()
{
    steadyStateStart(derived.Ad, derived.phaseLag, params.omf, &params.y0, &params.v0);
}

void resetRun()
{
    run.state[0] = params.y0;
    run.state[1] = params.v0;
    run.t = 0;
    run.histIndex = 0;
    yHistory()[0] = run.state[0];
    forceHistory()[0] = forceSample(run.t);
}
