// The window's frequency sweep: its slices from a timer.
#include "app/sweep_run.h"

#include <algorithm>
#include <cstdio>

#include "app/display.h"
#include "app/sweep_report.h"
#include "app/timer_chain.h"
#include "console/console.h"
#include "model/specimen_state.h"
#include "model/state.h"
#include "platform/platform.h"

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

void tick();

// The sweep's state; written only by the functions below, on the one thread.
struct SweepRun {
    bool askedAtStart;      // --sweep was given
    bool active;            // a sweep was started since the last dialog
    TimerChain slices;      // running while slices are due
    Sweep sweep;            // its points; complete once sweepFinished
    ResonanceSearch search; // begun once sweepFinished; done once resonanceFinished
};

SweepRun state = {false, false, {tick, 0, false}, {}, {}};

// One slice of the sweep, then of its search; at its end the numbers, the
// warning and the picture with every square.
void tick()
{
    const double until = platformSeconds() + sliceSeconds;
    bool finished = false;
    do {
        if (!sweepFinished(state.sweep) && sweepAdvance(&state.sweep, stepsPerLook)) {
            resonanceBegin(&state.search, state.sweep.system, state.sweep.points, sweepPointCount);
        }
        finished = sweepFinished(state.sweep) && resonanceAdvance(&state.search, stepsPerLook);
    } while (!finished && platformSeconds() < until);
    if (!finished) {
        timerChainNext(&state.slices, sliceGapMs);
        return;
    }
    timerChainStop(&state.slices);
    reportSweep(state.sweep, state.search);
    drawFrame(); // without moving the motion
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
    // A sweep would show the hidden system's response: the student measures
    // it point by point with r instead.
    if (specimenState.active) {
        std::fputs("周波数掃引は試験体では使えません / the frequency sweep is not available for a "
                   "specimen\n",
                   consoleOut);
        std::fflush(consoleOut);
        return;
    }
    if (state.active) {
        return;
    }
    state.active = true;
    sweepBegin(&state.sweep, params.system);
    state.search = ResonanceSearch{}; // not begun: no points, no figures, not finished
    timerChainStart(&state.slices, sliceGapMs);
}

void sweepForget()
{
    state.active = false;
    timerChainStop(&state.slices);
}

bool sweepUnderWay()
{
    return state.active && !(sweepFinished(state.sweep) && resonanceFinished(state.search));
}

const Sweep* sweepShown()
{
    return state.active ? &state.sweep : nullptr;
}

const ResonanceSearch* sweepSearchShown()
{
    return state.active && sweepFinished(state.sweep) ? &state.search : nullptr;
}

std::vector<SweepPoint> sweepPointsShown()
{
    std::vector<SweepPoint> points;
    if (state.active) {
        points.assign(state.sweep.points,
                      state.sweep.points + std::min(state.sweep.point, sweepPointCount));
    }
    const ResonanceSearch* search = sweepSearchShown();
    for (int k = 0; search != nullptr && k < resonanceAddedCount(*search); k++) {
        points.push_back(resonanceAddedPoint(*search, k));
    }
    return points;
}
