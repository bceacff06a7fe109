// The frequency sweep by simulation, one slice of steps at a time.
#include "sim/frequency_sweep.h"

#include <cmath>
#include <limits>

#include "model/oscillator.h"
#include "model/state.h"
#include "sim/equation_of_motion.h"
#include "sim/runge_kutta_gill.h"

namespace
{

// Time constants 1/(zeta om0) the transient is given to die: exp(-5) of it is left.
constexpr double settleTimeConstants = 5.0;
// Forcing periods added to them, so that a slow force also lets the start pass.
constexpr double settleForcingPeriods = 10.0;
// Whole forcing periods at the end of a run that the measurement reads: more
// average out what is left of the transient, fewer start later in its decay.
constexpr double measuredPeriods = 5.0;

// Steps that the forcing period, and the time the fastest free motion takes
// to turn or decay through 2 pi, must each span for the step to follow them.
constexpr double minStepsPerPeriod = 20.0;

const double notMeasured = std::numeric_limits<double>::quiet_NaN();

// Indices of the least-squares sums.
enum Sum { sinSin, cosCos, sinCos, ySin, yCos };

// Set up the run of the present point: from rest, for long enough to settle
// (or to the time limit), sampled over its last whole forcing periods.
void beginPoint(Sweep* sweep)
{
    const double ratio = (sweep->point + 1) * sweepRatioStep;
    sweep->points[sweep->point] = {ratio, notMeasured, notMeasured, false};
    sweep->system.omf = ratio * sweep->om0;
    sweep->y[0] = 0.0;
    sweep->y[1] = 0.0;
    for (double& sum : sweep->sums) {
        sum = 0.0;
    }
    sweep->step = 0;

    const double period = 2 * modelPi / sweep->system.omf;
    // zeta om0 = lambda / (2 m); a zeta that is zero, negative or NaN never settles.
    const bool damped = sweep->zeta > 0;
    const double settleTime =
        damped ? settleTimeConstants / (sweep->zeta * sweep->om0) + settleForcingPeriods * period
               : sweepTimeLimit + 1;
    const bool settles = settleTime <= sweepTimeLimit;
    const double runTime = settles ? settleTime : sweepTimeLimit;
    sweep->points[sweep->point].settled = settles;
    if (!settles && sweep->trouble < SweepTrouble::timeLimit) {
        sweep->trouble = damped ? SweepTrouble::timeLimit : SweepTrouble::noDamping;
    }

    // The fastest rate of the motion: the force, or the free motion's
    // quicker root, om0 (zeta + sqrt(zeta^2 - 1)) once overdamped.
    const double overdamping = std::sqrt(std::fmax(sweep->zeta * sweep->zeta - 1, 0.0));
    const double fastest =
        std::fmax(sweep->system.omf, sweep->om0 * (std::fabs(sweep->zeta) + overdamping));
    if (!(2 * modelPi / fastest >= minStepsPerPeriod * dt)) {
        sweep->stepCount = 0;
        sweep->windowStart = 1;
        sweep->points[sweep->point].settled = false;
        if (sweep->trouble < SweepTrouble::tooFast) {
            sweep->trouble = SweepTrouble::tooFast;
        }
        return;
    }

    sweep->stepCount = static_cast<long>(std::ceil(runTime / dt));
    // Whole periods: as many as asked for, or as fit into the run.
    const double periods = std::fmin(measuredPeriods, std::floor(runTime / period));
    const long windowSteps = static_cast<long>(std::lround(periods * period / dt));
    sweep->windowStart = sweep->stepCount - windowSteps;
    if (periods < 1) {
        // Not one whole period fits: nothing to measure, nothing to run.
        sweep->stepCount = 0;
        sweep->windowStart = 1;
        sweep->points[sweep->point].settled = false;
    }
}

// Read amplitude and lag off the sums of the present point: the least-squares
// fit y = a sin(omf t) + b cos(omf t) = A sin(omf t - phi).
void finishPoint(Sweep* sweep)
{
    SweepPoint& point = sweep->points[sweep->point];
    const double* s = sweep->sums;
    const double det = s[sinSin] * s[cosCos] - s[sinCos] * s[sinCos];
    if (sweep->stepCount > 0 && det > 0) {
        const double a = (s[ySin] * s[cosCos] - s[yCos] * s[sinCos]) / det;
        const double b = (s[yCos] * s[sinSin] - s[ySin] * s[sinCos]) / det;
        // a = A cos(phi), b = -A sin(phi).
        point.amplitude = std::hypot(a, b);
        point.phaseLag = std::atan2(-b, a) / modelPi;
    }
    if (!std::isfinite(point.amplitude) || !std::isfinite(point.phaseLag)) {
        if (sweep->trouble < SweepTrouble::tooFast) {
            sweep->trouble = SweepTrouble::tooFast;
        }
        point.amplitude = notMeasured;
        point.phaseLag = notMeasured;
        point.settled = false;
    }
    sweep->point++;
    if (sweep->point < sweepPointCount) {
        beginPoint(sweep);
    }
}

} // namespace

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
    if (sweepFinished(*sweep)) {
        return true;
    }
    long left = maxSteps;
    while (left > 0 && sweep->point < sweepPointCount) {
        while (left > 0 && sweep->step < sweep->stepCount) {
            const double t = sweep->step * dt;
            gillStep(OscillatorRhs{sweep->system}, t, dt, sweep->y, sweep->y, 2);
            sweep->step++;
            left--;
            if (sweep->step >= sweep->windowStart) {
                const double phase = sweep->system.omf * (sweep->step * dt);
                const double s = std::sin(phase);
                const double c = std::cos(phase);
                double* sums = sweep->sums;
                sums[sinSin] += s * s;
                sums[cosCos] += c * c;
                sums[sinCos] += s * c;
                sums[ySin] += sweep->y[0] * s;
                sums[yCos] += sweep->y[0] * c;
            }
        }
        if (sweep->step >= sweep->stepCount) {
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
