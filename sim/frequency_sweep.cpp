// The frequency sweep by simulation, one slice of steps at a time.
#include "sim/frequency_sweep.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/oscillator.h"
#include "model/state.h"
#include "sim/runge_kutta_gill.h"

namespace
{

// Time constants 1/(zeta om0) the sweep's transient is given to die: exp(-5) of it is left.
constexpr double sweepTimeConstants = 5.0;
// Forcing periods added to them, so that a slow force also lets the start pass.
constexpr double settleForcingPeriods = 10.0;
// Whole forcing periods at the end of a run that the measurement reads: more
// average out what is left of the transient, fewer start later in its decay.
constexpr double measuredPeriods = 5.0;

// Steps that the forcing period, and the time the fastest free motion takes
// to turn or decay through 2 pi, must each span for the step to follow them.
constexpr double minStepsPerPeriod = 20.0;

const double notMeasured = std::numeric_limits<double>::quiet_NaN();

// Set up the run of the sweep's present point.
void beginPoint(Sweep* sweep)
{
    const double ratio = (sweep->point + 1) * sweepRatioStep;
    const SweepTrouble trouble =
        pointBegin(&sweep->run, &sweep->points[sweep->point], sweep->system, ratio,
                   sweepTimeConstants, sweepTimeLimit);
    sweep->trouble = std::max(sweep->trouble, trouble);
}

} // namespace

SweepTrouble pointBegin(PointRun* pr, SweepPoint* point, const Oscillator& oscillator, double ratio,
                        double timeConstants, double timeLimit)
{
    const double om0 = naturalFrequency(oscillator.m, oscillator.K);
    const double zeta = dampingRatio(oscillator.m, oscillator.lambda, oscillator.K);
    *point = {ratio, notMeasured, notMeasured, false};
    *pr = PointRun{};
    pr->system = oscillator;
    pr->system.omf = ratio * om0;

    const double period = 2 * modelPi / pr->system.omf;
    // zeta om0 = lambda / (2 m); a zeta that is zero, negative or NaN never settles.
    const bool damped = zeta > 0;
    const double settleTime =
        damped ? timeConstants / (zeta * om0) + settleForcingPeriods * period : timeLimit + 1;
    const bool settles = settleTime <= timeLimit;
    const double runTime = settles ? settleTime : timeLimit;
    point->settled = settles;
    SweepTrouble trouble = settles  ? SweepTrouble::none
                           : damped ? SweepTrouble::timeLimit
                                    : SweepTrouble::noDamping;

    // The fastest rate of the motion: the force, or the free motion's
    // quicker root, om0 (zeta + sqrt(zeta^2 - 1)) once overdamped.
    const double overdamping = std::sqrt(std::fmax(zeta * zeta - 1, 0.0));
    const double fastest = std::fmax(pr->system.omf, om0 * (std::fabs(zeta) + overdamping));
    const bool tooFast = !(2 * modelPi / fastest >= minStepsPerPeriod * dt);
    // Whole periods: as many as asked for, or as fit into the run.
    const double periods = std::fmin(measuredPeriods, std::floor(runTime / period));
    if (tooFast || periods < 1) {
        // Nothing to measure: the run takes no steps.
        point->settled = false;
        return tooFast ? std::max(trouble, SweepTrouble::tooFast) : trouble;
    }
    pr->stepCount = static_cast<long>(std::ceil(runTime / dt));
    pr->windowStart = pr->stepCount - static_cast<long>(std::lround(periods * period / dt));
    return trouble;
}

bool pointAdvance(PointRun* pr, long* stepsLeft)
{
    const OscillatorRhs rhs{pr->system};
    while (*stepsLeft > 0 && pr->step < pr->stepCount) {
        gillStep(rhs, pr->step * dt, dt, pr->y, pr->y, 2);
        pr->step++;
        --*stepsLeft;
        if (pr->step >= pr->windowStart) {
            sineFitAdd(&pr->fit, pr->system.omf * (pr->step * dt), pr->y[0]);
        }
    }
    return pr->step >= pr->stepCount;
}

bool pointFinish(const PointRun& pr, SweepPoint* point)
{
    if (pr.stepCount > 0) {
        sineFitSolve(pr.fit, pr.system.F, &point->amplitude, &point->phaseLag);
    }
    if (!std::isfinite(point->amplitude) || !std::isfinite(point->phaseLag)) {
        *point = {point->ratio, notMeasured, notMeasured, false};
        return false;
    }
    return true;
}

void sweepBegin(Sweep* sweep, const Oscillator& o)
{
    *sweep = Sweep{};
    sweep->system = o;
    const double om0 = naturalFrequency(o.m, o.K);
    sweep->zeta = dampingRatio(o.m, o.lambda, o.K);
    if (!std::isfinite(o.m) || !std::isfinite(o.lambda) || !std::isfinite(o.K) ||
        !std::isfinite(o.F) || !(om0 > 0) || !std::isfinite(om0)) {
        sweep->trouble = SweepTrouble::noFrequency;
        for (int k = 0; k < sweepPointCount; k++) {
            sweep->points[k] = {(k + 1) * sweepRatioStep, notMeasured, notMeasured, false};
        }
        sweep->point = sweepPointCount;
        return;
    }
    beginPoint(sweep);
}

bool sweepAdvance(Sweep* sweep, long maxSteps)
{
    long left = maxSteps;
    while (left > 0 && sweep->point < sweepPointCount) {
        if (!pointAdvance(&sweep->run, &left)) {
            continue;
        }
        if (!pointFinish(sweep->run, &sweep->points[sweep->point])) {
            sweep->trouble = std::max(sweep->trouble, SweepTrouble::tooFast);
        }
        if (++sweep->point < sweepPointCount) {
            beginPoint(sweep);
        }
    }
    return sweepFinished(*sweep);
}

bool sweepFinished(const Sweep& sweep)
{
    return sweep.point >= sweepPointCount;
}

int sweepUnsettledCount(const Sweep& sweep)
{
    return static_cast<int>(std::count_if(sweep.points, sweep.points + sweepPointCount,
                                          [](const SweepPoint& p) { return !p.settled; }));
}
