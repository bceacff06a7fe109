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
    derived.om0 = naturalFrequency(params.system.m, params.system.K);
    derived.zeta = dampingRatio(params.system.m, params.system.lambda, params.system.K);
}

void computeForcedResponse()
{
    derived.As = referenceAmplitude(params.system);
    derived.freqRatio = params.system.omf / derived.om0;
    const SteadyResponse response =
        steadyResponse(params.system.kind, derived.As, derived.freqRatio, derived.zeta);
    derived.Ad = response.amplitude;
    derived.phaseLag = response.lag;
}

void steadyStateStart(double Ad, double phaseLag, double omf, double* y0, double* v0)
{
    // On y(t) = Ad sin(omf t - phi) at t = 0.
    *y0 = std::sin(phaseLag * modelPi) * (-Ad);
    *v0 = std::cos(phaseLag * modelPi) * (Ad * omf);
}

void setSteadyStateStart()
{
    steadyStateStart(derived.Ad, derived.phaseLag, params.system.omf, &params.y0, &params.v0);
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
