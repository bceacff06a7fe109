// Means of the energies and powers over the last forcing period.
#include "sim/energy_means.h"

#include <cmath>

#include "model/energy.h"

namespace
{

// The four quantities at one state, in EnergyMeans's order.
struct Flows {
    double kinetic, spring, input, damper;
};

Flows flowsAt(const Oscillator& o, double t, const double* y)
{
    return {kineticEnergy(o.m, y[1]), springEnergy(o.K, y[0]), inputPower(o, t, y[1]),
            damperPower(o, y[1])};
}

// a + s (b - a), component by component.
Flows between(const Flows& a, const Flows& b, double s)
{
    return {a.kinetic + s * (b.kinetic - a.kinetic), a.spring + s * (b.spring - a.spring),
            a.input + s * (b.input - a.input), a.damper + s * (b.damper - a.damper)};
}

// Add the trapezoid of a and b over the width w to sum.
void addTrapezoid(Flows* sum, const Flows& a, const Flows& b, double w)
{
    sum->kinetic += 0.5 * w * (a.kinetic + b.kinetic);
    sum->spring += 0.5 * w * (a.spring + b.spring);
    sum->input += 0.5 * w * (a.input + b.input);
    sum->damper += 0.5 * w * (a.damper + b.damper);
}

int slot(long sample)
{
    return static_cast<int>(sample % energyRecordCapacity);
}

} // namespace

void energyRecordBegin(EnergyRecord* record, double t, double y0, double v0)
{
    record->samples = 0;
    energyRecordStep(record, t, y0, v0);
}

void energyRecordStep(EnergyRecord* record, double t, double y, double v)
{
    const int k = slot(record->samples);
    record->t[k] = t;
    record->y[k][0] = y;
    record->y[k][1] = v;
    record->samples++;
}

EnergyMeans energyMeans(const EnergyRecord& record, const Oscillator& o)
{
    const long last = record.samples - 1;
    const double tEnd = record.t[slot(last)];
    const Flows now = flowsAt(o, tEnd, record.y[slot(last)]);
    EnergyMeans means = {
        EnergyMeansKind::noForce, tEnd, 0, now.kinetic, now.spring, now.input, now.damper};
    if (o.F == 0 || o.omf == 0 || !std::isfinite(o.omf)) {
        return means;
    }
    means.period = 2 * modelPi / std::fabs(o.omf);
    const long oldest =
        record.samples > energyRecordCapacity ? record.samples - energyRecordCapacity : 0;
    const double tStart = tEnd - means.period;
    if (record.t[slot(oldest)] > tStart) {
        means.kind = oldest == 0 ? EnergyMeansKind::tooShort : EnergyMeansKind::tooLong;
        return means;
    }
    // The trapezoids of the whole steps within the period, then the part of
    // the step the period begins in, its ends interpolated along the step.
    Flows sum = {0, 0, 0, 0};
    Flows later = now;
    for (long k = last; k > oldest; k--) {
        const double t1 = record.t[slot(k)];
        const double t0 = record.t[slot(k - 1)];
        const Flows earlier = flowsAt(o, t0, record.y[slot(k - 1)]);
        if (t0 <= tStart) {
            const Flows cut = between(earlier, later, (tStart - t0) / (t1 - t0));
            addTrapezoid(&sum, cut, later, t1 - tStart);
            break;
        }
        addTrapezoid(&sum, earlier, later, t1 - t0);
        later = earlier;
    }
    means.kind = EnergyMeansKind::period;
    means.kinetic = sum.kinetic / means.period;
    means.spring = sum.spring / means.period;
    means.input = sum.input / means.period;
    means.damper = sum.damper / means.period;
    return means;
}
