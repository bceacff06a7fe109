// The sweep's search for the resonance: after its coarse points, further
// frequencies are measured by simulation near the peak of the amplitude,
// near the two half-power points (amplitude = peak / sqrt 2) and where the
// phase lag passes 90 degrees, and the figures of the resonance are read off
// all the points.
//
// Every point runs from rest, as the sweep's do, but longer, so that what is
// left of the transient is some 1e-5 of the motion: a broad peak is located
// by amplitudes that differ in the fourth digit.
//
// A search is plain data that can be advanced a slice at a time, so that a
// window can keep answering its keys between slices.
#pragma once

#include "sim/equation_of_motion.h"
#include "sim/frequency_sweep.h"

// Most points a search adds to the sweep's.
constexpr int resonanceMostPoints = 20;
// Longest model time an added point is run for, s: a point whose transient
// needs longer is measured at this time and marked as not settled.
constexpr double resonanceTimeLimit = 1200.0;

// One figure of the resonance, which may not exist (no peak, no band edge).
struct ResonanceFigure {
    bool exists;
    double value;
};

// What the search found. zetaBand and Q exist when both r1 and r2 do.
struct ResonanceFigures {
    ResonanceFigure rp;       // ratio of the amplitude's peak
    ResonanceFigure Ap;       // the peak amplitude, m
    ResonanceFigure r1;       // lower half-power ratio
    ResonanceFigure r2;       // upper half-power ratio
    ResonanceFigure zetaBand; // (r2 - r1) / 2
    ResonanceFigure Q;        // 1 / (2 zetaBand)
    ResonanceFigure r90;      // ratio where the phase lag passes 90 degrees
};

// Where a search stands: the figure it is working on.
enum class ResonanceStage { peak, lowerHalf, upperHalf, ninety, done };

// A search under way.
struct ResonanceSearch {
    Oscillator system; // the oscillator; each point's run has its own omf
    double om0;        // natural angular frequency, rad/s
    double zeta;       // damping ratio
    ResonanceStage stage;
    int round; // points measured for the present figure
    // The coarse points, then the added ones; added[k] is points[coarseCount + k].
    int coarseCount;
    int count;
    SweepPoint points[sweepPointCount + resonanceMostPoints];
    // Ratios that bound the present figure's interpolation.
    double lo, hi;
    // The point being run, points[count], while running.
    bool running;
    PointRun run;
    ResonanceFigures figures;
};

// Make ready to search from the sweep's coarse points (at most
// sweepPointCount of them); the oscillator's omf is not used.
void resonanceBegin(ResonanceSearch* search, const Oscillator& system, const SweepPoint* coarse,
                    int coarseCount);

// Take at most maxSteps integration steps; true once the search is done.
bool resonanceAdvance(ResonanceSearch* search, long maxSteps);

// True once every figure is found or known not to exist.
bool resonanceFinished(const ResonanceSearch& search);

// Points added so far, and one of them (0 <= k < resonanceAddedCount).
int resonanceAddedCount(const ResonanceSearch& search);
const SweepPoint& resonanceAddedPoint(const ResonanceSearch& search, int k);

// The figures; complete once resonanceFinished.
const ResonanceFigures& resonanceFigures(const ResonanceSearch& search);
