// The motion's own figures, read off every step of a re-run of the window's motion.
#include "sim/motion_figures.h"

#include <cmath>
#include <limits>

#include "model/oscillator.h"
#include "model/state.h"
#include "sim/runge_kutta_gill.h"
#include "sim/sine_fit.h"

namespace
{

// Peaks below this fraction of the largest |y| so far are left out of a free
// decay: far above rounding noise (1e-16), far below what a student reads.
constexpr double peakFloor = 1e-6;

const double notMeasured = std::numeric_limits<double>::quiet_NaN();

// The windows the forced figures read after `steps` steps.
struct ForcedWindows {
    int periods;        // in each window; 0 for fewer than two whole forcing periods
    long lastStart;     // steps after this one are in the last window
    long previousStart; // and after this one in the previous
    bool hasPrevious;
};

ForcedWindows forcedWindows(const Oscillator& o, long steps)
{
    ForcedWindows w = {};
    const double period = 2 * modelPi / std::fabs(o.omf);
    const double whole = std::floor(steps * dt / period);
    if (!(whole >= motionFewestPeriods) || !std::isfinite(whole)) {
        return w;
    }
    // Two equal windows when four periods fit, so that the change between
    // them says whether the motion has settled; else one of two or three.
    w.periods = whole >= 2 * motionFewestPeriods
                    ? static_cast<int>(std::fmin(motionMostPeriods, std::floor(whole / 2)))
                    : static_cast<int>(whole);
    const long windowSteps = std::lround(w.periods * period / dt);
    w.lastStart = steps - windowSteps;
    w.previousStart = w.lastStart - windowSteps;
    w.hasPrevious = w.previousStart >= 0 && whole >= 2 * motionFewestPeriods;
    return w;
}

} // namespace

long forcedFiguresFrom(const Oscillator& o, long steps)
{
    const ForcedWindows w = forcedWindows(o, steps);
    const long from = w.periods == 0 ? 0 : w.hasPrevious ? w.previousStart : w.lastStart;
    return from > 0 ? from : 0;
}

MotionFigures measureForcedFrom(const Oscillator& o, const MotionCheckpoint& from, long steps)
{
    MotionFigures fig;
    fig.forcedMotion = true;
    const ForcedWindows w = forcedWindows(o, steps);
    if (w.periods == 0) {
        return fig;
    }
    SineFit last = {};
    SineFit previous = {};
    double firstCrossing = notMeasured;
    double lastCrossing = notMeasured;
    int crossings = 0;

    double y[2] = {from.y[0], from.y[1]};
    double t = from.t;
    const OscillatorRhs rhs{o};
    double scratch[6][2];
    const GillScratch work = {scratch[0], scratch[1], scratch[2],
                              scratch[3], scratch[4], scratch[5]};
    for (long k = from.step + 1; k <= steps; k++) {
        const double yBefore = y[0];
        const double tBefore = t;
        gillStepIn(work, rhs, t, dt, y, y, 2);
        t = t + dt;
        if (k > w.lastStart) {
            sineFitAdd(&last, o.omf * t, y[0]);
            if (yBefore < 0 && y[0] >= 0) {
                // The crossing within the step, by straight interpolation:
                // y'' vanishes where a sine crosses zero.
                const double at = tBefore + (t - tBefore) * (-yBefore / (y[0] - yBefore));
                firstCrossing = crossings == 0 ? at : firstCrossing;
                lastCrossing = at;
                crossings++;
            }
        } else if (w.hasPrevious && k > w.previousStart) {
            sineFitAdd(&previous, o.omf * t, y[0]);
        }
    }

    if (!sineFitSolve(last, o.F, &fig.amplitude, &fig.phaseLag)) {
        return fig;
    }
    fig.kind = MotionKind::forced;
    fig.periods = w.periods;
    fig.period = crossings >= 2 ? (lastCrossing - firstCrossing) / (crossings - 1) : notMeasured;
    double before = 0;
    double beforeLag = 0;
    if (w.hasPrevious && sineFitSolve(previous, o.F, &before, &beforeLag)) {
        fig.settled = std::fabs(fig.amplitude - before) < motionSettledChange * before;
    }
    return fig;
}

void peakRecordBegin(PeakRecord* r, double y0)
{
    *r = PeakRecord{};
    r->largest = std::fabs(y0);
    r->yPrev = notMeasured;
    r->yMid = y0;
}

void peakRecordStep(PeakRecord* r, double t, double yNext)
{
    const double yPrev = r->yPrev;
    const double yMid = r->yMid;
    if (yMid > yPrev && yMid >= yNext && yMid > peakFloor * r->largest) {
        // The vertex of the parabola through the three samples.
        const double curve = yPrev - 2 * yMid + yNext;
        const double peakTime = r->tMid + 0.5 * dt * (yPrev - yNext) / curve;
        const double peak = yMid - (yPrev - yNext) * (yPrev - yNext) / (8 * curve);
        MotionFigures& f = r->listed;
        if (f.listedPeaks < motionListedPeaks) {
            f.peakTime[f.listedPeaks] = peakTime;
            f.peakHeight[f.listedPeaks] = peak;
            f.listedPeaks++;
        }
        r->lastTime = peakTime;
        r->lastPeak = peak;
        f.peaks++;
    }
    r->largest = std::fmax(r->largest, std::fabs(yNext));
    r->yPrev = yMid;
    r->yMid = yNext;
    r->tMid = t;
}

MotionFigures freeDecayFigures(const PeakRecord& r)
{
    MotionFigures fig = r.listed;
    // The first peak is always listed.
    if (fig.peaks < 2 || !(fig.peakHeight[0] > r.lastPeak)) {
        return fig;
    }
    fig.kind = MotionKind::freeDecay;
    fig.dampedPeriod = (r.lastTime - fig.peakTime[0]) / (fig.peaks - 1);
    fig.logDecrement = std::log(fig.peakHeight[0] / r.lastPeak) / (fig.peaks - 1);
    const double d = fig.logDecrement;
    fig.zeta = d / std::sqrt(4 * modelPi * modelPi + d * d);
    return fig;
}

MotionFigures measureMotion(const Oscillator& o, double y0, double v0, long steps)
{
    if (o.F != 0) {
        return measureForcedFrom(o, {0, 0, {y0, v0}}, steps);
    }
    // The free decay's peaks from the start: every one counts.
    double y[2] = {y0, v0};
    double t = 0;
    const OscillatorRhs rhs{o};
    double scratch[6][2];
    const GillScratch work = {scratch[0], scratch[1], scratch[2],
                              scratch[3], scratch[4], scratch[5]};
    PeakRecord record;
    peakRecordBegin(&record, y0);
    for (long k = 1; k <= steps; k++) {
        gillStepIn(work, rhs, t, dt, y, y, 2);
        t = t + dt;
        peakRecordStep(&record, t, y[0]);
    }
    return freeDecayFigures(record);
}
