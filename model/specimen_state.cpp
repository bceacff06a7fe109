// The specimen's process-wide state and the force as the plot records it.
#include "model/specimen_state.h"

#include <cmath>
#include <initializer_list>

#include "model/oscillator.h"
#include "model/state.h"

// Grid cells the force's amplitude spans at most.
static constexpr double forceCells = 1.5;

SpecimenState specimenState;

void specimenBegin(const std::string& code, double m, double lambda, double K, double tolerance,
                   bool feedback)
{
    specimenState = {true, code, tolerance, feedback};
    params.system.m = m;
    params.system.lambda = lambda;
    params.system.K = K;
    computeNaturalFrequency();
}

double specimenForceGrid(double F)
{
    const double wanted = std::fabs(F) / forceCells;
    if (!(wanted > 0) || !std::isfinite(wanted)) {
        return 1;
    }
    const double decade = std::pow(10.0, std::floor(std::log10(wanted)));
    for (const double step : {1.0, 2.0, 5.0}) {
        if (step * decade >= wanted) {
            return step * decade;
        }
    }
    return 10 * decade;
}

double appliedForce(double t)
{
    return excitationForce(params.system, t);
}

double forceSample(double t)
{
    if (!specimenState.active) {
        return excitationWave(params.system, t) * excitationRowScale(params.system);
    }
    return appliedForce(t) * (plotGridMetres / specimenForceGrid(params.system.F));
}
