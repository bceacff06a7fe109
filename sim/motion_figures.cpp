// The motion's own figures, read off every step of a re-run of the window's motion.
#include "sim/motion_figures.h"

#include <cmath>
#include <limits>

#include "model/oscillator.h"
#include "model/state.h"
#include "sim/runge_kutta_gill.h"

namespace
{

// Peaks below this fraction of the largest |y| so far are left out of a free
// decay: far above rounding noise (1e-16), far below what a student reads.
constexpr double peakFloor = 1e-6;

const double notMeasured = std::numeric_limits<double>::quiet_NaN();

// Least-squares sums of y = a sin(omf t) + b cos(omf t) over one window.
struct FitSums {
    double ss, cc, sc, ys, yc;
};

// Add the sample y at phase omf t to the sums.
void addSample(FitSums* f, double phase, double y)
{
    const double s = std::sin(phase);
    const double c = std::cos(phase);
    f->ss += s * s;
    f->cc += c * c;
    f->sc += s * c;
    f->ys += y * s;
    f->yc += y * c;
}

// Solve the fit for a and b; false when the window holds too little to fit.
bool solveFit(const FitSums& f, double* a, double* b)
{
    const double det = f.ss * f.cc - f.sc * f.sc;
    if (!(det > 0)) {
        return false;
    }
    *a = (f.ys * f.cc - f.yc * f.sc) / det;
    *b = (f.yc * f.ss - f.ys * f.sc) / det;
    return true;
}

MotionFigures emptyFigures(bool forced)
{
    return {MotionKind::tooLittle, forced,      0,          notMeasured,
            notMeasured,           notMeasured, false,      0,
            notMeasured,           notMeasured, notMeasured};
}

// The forced figures over the last whole forcing periods of the run.
MotionFigures measureForced(const Oscillator& o, double y0, double v0, long steps)
{
    MotionFigures fig = emptyFigures(true);
    const double period = 2 * modelPi / std::fabs(o.omf);
    const double whole = std::floor(steps * dt / period);
    if (!(whole >= motionFewestPeriods) || !std::isfinite(whole)) {
        return fig;
    }
    // Two equal windows when four periods fit, so that the change between
    // them says whether the motion has settled; else one of two or three.
    const int periods = whole >= 2 * motionFewestPeriods
                            ? static_cast<int>(std::fmin(motionMostPeriods, std::floor(whole / 2)))
                            : static_cast<int>(whole);
    const long windowSteps = std::lround(periods * period / dt);
    const long lastStart = steps - windowSteps; // steps after this one are in the last window
    const long previousStart = lastStart - windowSteps; // and after this one in the previous
    const bool hasPrevious = previousStart >= 0 && whole >= 2 * motionFewestPeriods;

    FitSums last = {0, 0, 0, 0, 0};
    FitSums previous = {0, 0, 0, 0, 0};
    double firstCrossing = notMeasured;
    double lastCrossing = notMeasured;
    int crossings = 0;

    double y[2] = {y0, v0};
    double t = 0;
    const OscillatorRhs rhs{o};
    for (long k = 1; k <= steps; k++) {
        const double yBefore = y[0];
        const double tBefore = t;
        gillStep(rhs, t, dt, y, y, 2);
        t = t + dt;
        if (k > lastStart) {
            addSample(&last, o.omf * t, y[0]);
            if (yBefore < 0 && y[0] >= 0) {
                // The crossing within the step, by straight interpolation:
                // y'' vanishes where a sine crosses zero.
                const double at = tBefore + (t - tBefore) * (-yBefore / (y[0] - yBefore));
                firstCrossing = crossings == 0 ? at : firstCrossing;
                lastCrossing = at;
                crossings++;
            }
        } else if (hasPrevious && k > previousStart) {
            addSample(&previous, o.omf * t, y[0]);
        }
    }

    double a = 0;
    double b = 0;
    if (!solveFit(last, &a, &b)) {
        return fig;
    }
    // y = a sin + b cos = A sin(omf t - phi) with a = A cos(phi), b = -A sin(phi);
    // a force of negative F is a positive one half a period on.
    const double sign = o.F < 0 ? -1.0 : 1.0;
    fig.kind = MotionKind::forced;
    fig.periods = periods;
    fig.amplitude = std::hypot(a, b);
    fig.phaseLag = std::atan2(-b * sign, a * sign) / modelPi;
    fig.period = crossings >= 2 ? (lastCrossing - firstCrossing) / (crossings - 1) : notMeasured;
    double pa = 0;
    double pb = 0;
    if (hasPrevious && solveFit(previous, &pa, &pb)) {
        const double before = std::hypot(pa, pb);
        fig.settled = std::fabs(fig.amplitude - before) < motionSettledChange * before;
    }
    return fig;
}

// The free-decay figures from the successive peaks of y.
MotionFigures measureFree(const Oscillator& o, double y0, double v0, long steps)
{
    MotionFigures fig = emptyFigures(false);
    double y[2] = {y0, v0};
    double t = 0;
    const OscillatorRhs rhs{o};
    double largest = std::fabs(y0);
    double yPrev = notMeasured; // y two samples back
    double yMid = y0;           // y one sample back, at tMid
    double tMid = 0;
    double firstTime = 0, firstPeak = 0, lastTime = 0, lastPeak = 0;
    int peaks = 0;
    for (long k = 1; k <= steps; k++) {
        gillStep(rhs, t, dt, y, y, 2);
        t = t + dt;
        const double yNext = y[0];
        if (yMid > yPrev && yMid >= yNext && yMid > peakFloor * largest) {
            // The vertex of the parabola through the three samples.
            const double curve = yPrev - 2 * yMid + yNext;
            const double peakTime = tMid + 0.5 * dt * (yPrev - yNext) / curve;
            const double peak = yMid - (yPrev - yNext) * (yPrev - yNext) / (8 * curve);
            if (peaks == 0) {
                firstTime = peakTime;
                firstPeak = peak;
            }
            lastTime = peakTime;
            lastPeak = peak;
            peaks++;
        }
        largest = std::fmax(largest, std::fabs(yNext));
        yPrev = yMid;
        yMid = yNext;
        tMid = t;
    }
    fig.peaks = peaks;
    if (peaks < 2 || !(firstPeak > lastPeak)) {
        return fig;
    }
    fig.kind = MotionKind::freeDecay;
    fig.dampedPeriod = (lastTime - firstTime) / (peaks - 1);
    fig.logDecrement = std::log(firstPeak / lastPeak) / (peaks - 1);
    const double d = fig.logDecrement;
    fig.zeta = d / std::sqrt(4 * modelPi * modelPi + d * d);
    return fig;
}

} // namespace

MotionFigures measureMotion(const Oscillator& o, double y0, double v0, long steps)
{
    if (o.F != 0) {
        return measureForced(o, y0, v0, steps);
    }
    return measureFree(o, y0, v0, steps);
}
