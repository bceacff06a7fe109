// The closed-form steady response of each excitation.
#include "model/excitation.h"

#include <cmath>

const char* excitationName(ExcitationKind kind)
{
    switch (kind) {
    case ExcitationKind::base:
        return "base";
    case ExcitationKind::unbalance:
        return "unbalance";
    case ExcitationKind::force:
        break;
    }
    return "force";
}

double referenceAmplitude(const Oscillator& o)
{
    switch (o.kind) {
    case ExcitationKind::base:
        return o.F;
    case ExcitationKind::unbalance:
        return o.F / o.m;
    case ExcitationKind::force:
        break;
    }
    return o.F / o.K;
}

double excitationRowScale(const Oscillator& o)
{
    switch (o.kind) {
    case ExcitationKind::base:
        return o.F;
    case ExcitationKind::unbalance:
        return o.F * o.omf * o.omf / o.K;
    case ExcitationKind::force:
        break;
    }
    return o.F / o.K;
}

SteadyResponse steadyResponse(ExcitationKind kind, double reference, double ratio, double zeta)
{
    const double r2 = ratio * ratio;
    // The order of the operations is the force's of old: its numbers stay to the last bit.
    const double root = std::sqrt((1 - r2) * (1 - r2) + 4 * zeta * zeta * r2);
    if (kind == ExcitationKind::base) {
        const double damper = 2 * zeta * ratio;
        return {reference * std::sqrt(1 + damper * damper) / root,
                std::atan2(damper * r2, 1 - r2 + damper * damper) / modelPi};
    }
    const double lag = ratio == 1.0 ? 0.5 : std::atan2(2 * zeta * ratio, 1 - r2) / modelPi;
    if (kind == ExcitationKind::unbalance) {
        return {reference * r2 / root, lag};
    }
    return {reference / root, lag};
}
