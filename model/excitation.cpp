// The closed-form steady response of each excitation.
#include "model/excitation.h"

#include <cmath>

const char* excitationName(ExcitationKind kind)
{
    static const char* const names[] = {"force", "base", "unbalance"};
    return names[static_cast<int>(kind)];
}

double referenceAmplitude(const Oscillator& o)
{
    if (o.kind == ExcitationKind::base) {
        return o.F;
    }
    return o.kind == ExcitationKind::unbalance ? o.F / o.m : o.F / o.K;
}

double excitationRowScale(const Oscillator& o)
{
    return o.kind == ExcitationKind::unbalance ? o.F * o.omf * o.omf / o.K : referenceAmplitude(o);
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
    return {(kind == ExcitationKind::unbalance ? reference * r2 : reference) / root, lag};
}
