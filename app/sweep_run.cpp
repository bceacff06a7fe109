// The window's frequency sweep: slices from a timer, the squares on the
// chart, the CSV rows and the one line of warning.
#include "app/sweep_run.h"

#include <GL/glut.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/csv_export.h"
#include "app/display.h"
#include "app/view.h"
#include "model/frequency_response.h"
#include "model/state.h"
#include "platform/platform.h"
#include "plot/markers.h"
#include "plot/primitives.h"
#include "sim/frequency_sweep.h"

const Rgba sweepColour = {0.4f, 0.2f, 0.0f, 0.0f};

namespace
{

// Wall time one slice may take, s: short enough that a key waits
// unnoticed, long enough that the timer's gaps cost little.
constexpr double sliceSeconds = 0.005;
// Steps between two looks at the clock within a slice (well under a millisecond).
constexpr long stepsPerLook = 1000;
// Gap between two slices, ms. None is needed: a timer set during a slice is
// due only after it, so the event loop handles the keys that came meanwhile
// before it runs the next slice (and the page's timers wait at least 4 ms).
constexpr unsigned sliceGapMs = 0;

// The sweep's state; written only by the functions below, on the one thread.
struct SweepRun {
    bool askedAtStart; // --sweep was given
    bool active;       // a sweep was started since the last dialog
    bool repaint;      // the next frame draws the finished sweep, not a new moment
    int chain;         // the timer chain that is current; older ticks are ignored
    Sweep sweep;       // its points; complete once sweepFinished
};

SweepRun state;

// Say on standard error why points did not settle, in one line.
void reportUnsettled(const Sweep& sweep)
{
    const int count = sweepUnsettledCount(sweep);
    switch (sweep.trouble) {
    case SweepTrouble::none:
        return;
    case SweepTrouble::tooFast:
        std::fprintf(stderr,
                     "掃引：振動が刻み 0.01 s には速すぎて、%d 点を測れません / "
                     "sweep: the motion is too fast for the 0.01 s step; %d points were not "
                     "measured\n",
                     count, count);
        return;
    case SweepTrouble::timeLimit:
        std::fprintf(
            stderr,
            "掃引：減衰が小さく過渡振動が %g 秒では消えないため、%d 点が定常に達しません / "
            "sweep: the damping is too small for the transient to die away within "
            "%g s; %d points did not settle\n",
            sweepTimeLimit, count, sweepTimeLimit, count);
        return;
    case SweepTrouble::noDamping:
        std::fprintf(stderr,
                     "掃引：減衰がない（ζ ≤ 0）ため過渡振動が消えず、%d 点が定常に達しません / "
                     "sweep: with no damping (zeta <= 0) the transient never dies away; %d "
                     "points did not settle\n",
                     count, count);
        return;
    case SweepTrouble::noFrequency:
        std::fputs(
            "掃引：正の固有振動数 ω0 がないか、m, λ, K, F に数でない値があるため測れません / "
            "sweep: there is no positive om0, or m, lambda, K or F is not a finite number; "
            "there is nothing to measure\n",
            stderr);
        return;
    }
}

// Write the finished sweep beside the closed-form values of the chart's
// black curve, and say if the file cannot be written.
void exportSweep(const Sweep& sweep)
{
    // Samples 1..sweepPointCount lie at the sweep's own ratios.
    double theoryAmp[sweepPointCount + 1];
    double theoryLag[sweepPointCount + 1];
    computeFrequencyResponse(sweepRatioStep, sweepPointCount, sweep.zeta,
                             sweep.system.F / sweep.system.K, theoryAmp, theoryLag);
    CsvSweepRow rows[sweepPointCount];
    for (int k = 0; k < sweepPointCount; k++) {
        const SweepPoint& point = sweep.points[k];
        rows[k] = {point.ratio,          point.amplitude,        theoryAmp[k + 1],
                   point.phaseLag * 180, theoryLag[k + 1] * 180, point.settled};
    }
    csvWriteSweep(rows, sweepPointCount);
}

// One slice of the sweep; at its end the numbers, the warning and the
// picture with every square.
void tick(int chain)
{
    // A dialog or a new sweep has ended this chain.
    if (chain != state.chain || !state.active) {
        return;
    }
    const double until = platformSeconds() + sliceSeconds;
    bool finished = false;
    do {
        finished = sweepAdvance(&state.sweep, stepsPerLook);
    } while (!finished && platformSeconds() < until);
    if (!finished) {
        platformStartTimer(sliceGapMs, tick, state.chain);
        return;
    }
    exportSweep(state.sweep);
    reportUnsettled(state.sweep);
    state.repaint = true;
    display();
}

} // namespace

void sweepAskAtStart()
{
    state.askedAtStart = true;
}

void sweepStartIfAsked()
{
    if (state.askedAtStart) {
        state.askedAtStart = false;
        lastKey = 'w';
        sweepStart();
    }
}

void sweepStart()
{
    if (state.active) {
        return;
    }
    state.active = true;
    state.chain++;
    sweepBegin(&state.sweep, {params.m, params.lambda, params.K, params.F, params.omf});
    platformStartTimer(sliceGapMs, tick, state.chain);
}

void sweepForget()
{
    state.active = false;
    state.repaint = false;
    state.chain++;
}

bool sweepUnderWay()
{
    return state.active && !sweepFinished(state.sweep);
}

void drawSweepPoints()
{
    if (!state.active) {
        return;
    }
    const Sweep& sweep = state.sweep;
    drawText(0.01f, 0.7f, GLUT_BITMAP_HELVETICA_18, "brown squares:simulated sweep");
    if (sweepFinished(sweep) && sweepUnsettledCount(sweep) > 0) {
        drawText(0.01f, 0.65f, GLUT_BITMAP_HELVETICA_18, "hollow squares:not settled");
    }
    for (int k = 0; k < sweep.point && k < sweepPointCount; k++) {
        const SweepPoint& point = sweep.points[k];
        if (!std::isfinite(point.amplitude)) {
            continue;
        }
        // Placed as the blue points are: the ratio at its fractional table index.
        const double x = (point.ratio / tables.freqStep) * view.freqXScale + view.freqPlotOrigin.x;
        const Point2 amplitude = {x,
                                  view.zetaAmpScale[0] * point.amplitude + view.freqPlotOrigin.y};
        const Point2 lag = {x, view.zetaPhaseScale[0] * point.phaseLag + view.freqPlotOrigin.y};
        if (point.settled) {
            drawSquare(amplitude, sweepSquareHalfSide, sweepColour);
            drawSquare(lag, sweepSquareHalfSide, sweepColour);
        } else {
            drawSquareOutline(amplitude, sweepSquareHalfSide, sweepColour);
            drawSquareOutline(lag, sweepSquareHalfSide, sweepColour);
        }
    }
}

bool sweepTakeRepaint()
{
    const bool repaint = state.repaint;
    state.repaint = false;
    return repaint;
}
