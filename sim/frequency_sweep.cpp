// The frequency sweep by simulation, one slice of steps at a time.
#include "sim/frequency_sweep.h"

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

// The worse of two reasons (SweepTrouble is in order of badness).
void worsen(SweepTrouble* trouble, SweepTrouble reason)
{
    if (*trouble < reason) {
        *trouble = reason;
    }
}

// Set up the run of the sweep's present point.
void beginPoint(Sweep* sweep)
{
    const double ratio = (sweep->point + 1) * sweepRatioStep;
    worsen(&sweep->trouble,
           pointBegin(&sweep->run, &sweep->points[sweep->point], sweep->system, sweep->om0,
                      sweep->zeta, ratio, sweepTimeConstants, sweepTimeLimit));
}

// Read the present point off its run and go on to the next.
void finishPoint(Sweep* sweep)
{
    if (!pointFinish(sweep->run, &sweep->points[sweep->point])) {
        worsen(&sweep->trouble, SweepTrouble::tooFast);
    }
    sweep->point++;
    if (sweep->point < sweepPointCount) {
        beginPoint(sweep);
    }
}

} // namespace

SweepTrouble pointBegin(PointRun* pr, SweepPoint* point, const Oscillator& oscillator, double om0,
                        double zeta, double ratio, double timeConstants, double timeLimit)
{
    *point = {ratio, notMeasured, notMeasured, false};
    *pr = PointRun{};
    pr->system = oscillator;
    pr->system.omf = ratio * om0;
    SweepTrouble trouble = SweepTrouble::none;

    const double period = 2 * modelPi / pr->system.omf;
    // zeta om0 = lambda / (2 m); a zeta that is zero, negative or NaN never settles.
    const bool damped = zeta > 0;
    const double settleTime =
        damped ? timeConstants / (zeta * om0) + settleForcingPeriods * period : timeLimit + 1;
    const bool settles = settleTime <= timeLimit;
    const double runTime = settles ? settleTime : timeLimit;
    point->settled = settles;
    if (!settles) {
        trouble = damped ? SweepTrouble::timeLimit : SweepTrouble::noDamping;
    }

    // The fastest rate of the motion: the force, or the free motion's
    // quicker root, om0 (zeta + sqrt(zeta^2 - 1)) once overdamped.
    const double overdamping = std::sqrt(std::fmax(zeta * zeta - 1, 0.0));
    const double fastest = std::fmax(pr->system.omf, om0 * (std::fabs(zeta) + overdamping));
    if (!(2 * modelPi / fastest >= minStepsPerPeriod * dt)) {
        pr->windowStart = 1;
        point->settled = false;
        worsen(&trouble, SweepTrouble::tooFast);
        return trouble;
    }

    pr->stepCount = static_cast<long>(std::ceil(runTime / dt));
    // Whole periods: as many as asked for, or as fit into the pr.
    const double periods = std::fmin(measuredPeriods, std::floor(runTime / period));
    const long windowSteps = static_cast<long>(std::lround(periods * period / dt));
    pr->windowStart = pr->stepCount - windowSteps;
    if (periods < 1) {
        // Not one whole period fits: nothing to measure, nothing to pr.
        pr->stepCount = 0;
        pr->windowStart = 1;
        point->settled = false;
    }
    return trouble;
}

bool pointAdvance(PointRun* pr, long* stepsLeft)
{
    const OscillatorRhs rhs{pr->system};
    const double omf = pr->system.omf;
    while (*stepsLeft > 0 && pr->step < pr->stepCount) {
        const double t = pr->step * dt;
        gillStep(rhs, t, dt, pr->y, pr->y, 2);
        pr->step++;
        --*stepsLeft;
        if (pr->step >= pr->windowStart) {
            sineFitAdd(&pr->fit, omf * (pr->step * dt), pr->y[0]);
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

void sweepBegin(Sweep* sweep, const Oscillator& oscillator)
{
    *sweep = Sweep{};
    sweep->system = oscillator;
    const double m = oscillator.m;
    const double lambda = oscillator.lambda;
    const double K = oscillator.K;
    const double F = oscillator.F;
    sweep->om0 = naturalFrequency(m, K);
    sweep->zeta = dampingRatio(m, lambda, K);
    sweep->trouble = SweepTrouble::none;
    sweep->point = 0;
    const bool finite =
        std::isfinite(m) && std::isfinite(lambda) && std::isfinite(K) && std::isfinite(F);
    if (!finite || !(sweep->om0 > 0) || !std::isfinite(sweep->om0)) {
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
        if (pointAdvance(&sweep->run, &left)) {
            finishPoint(sweep);
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
    int count = 0;
    for (const SweepPoint& point : sweep.points) {
        count += point.settled ? 0 : 1;
    }
    return count;
}
