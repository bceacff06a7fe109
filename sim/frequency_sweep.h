// A frequency sweep by simulation: at each of a row of forcing frequencies
// the oscillator starts from rest, is stepped until its transient has died,
// and its steady amplitude and lag are read off the last whole periods. Plain
// data, advanced a slice of steps at a time, so a window keeps answering keys.
#pragma once

#include "model/excitation.h"
#include "sim/sine_fit.h"

// Forcing frequencies of one sweep, at the ratios k * sweepRatioStep to om0.
constexpr int sweepPointCount = 30;
// Step between the sweep's frequency ratios (0.1, 0.2, ... 3.0).
constexpr double sweepRatioStep = 0.1;
// Longest model time one frequency is run for, s: a point whose transient
// needs longer is measured at this time and marked as not settled.
constexpr double sweepTimeLimit = 600.0;

// One measured point; NaN amplitude and lag when it could not be measured
// (no whole period in the time limit, too fast for the step, not finite).
struct SweepPoint {
    double ratio;     // omf / om0
    double amplitude; // measured steady amplitude, m
    double phaseLag;  // measured lag of y behind the excitation, in units of pi
    bool settled;     // the transient had died before the measurement
};

// Why points did not settle, in order of badness; the worst of a sweep wins.
enum class SweepTrouble {
    none,        // every point settled
    tooFast,     // the system moves too fast for the 0.01 s step to follow it
    timeLimit,   // too little damping: the transient outlasts sweepTimeLimit
    noDamping,   // zeta is not above zero: the transient never dies
    noFrequency, // no positive om0, or a coefficient that is not a finite number
};

// The run of one point from rest, which the sweep and the search for the
// resonance share, with the sine fit of its last whole forcing periods.
struct PointRun {
    Oscillator system; // its omf is the point's forcing frequency
    long step;         // steps taken
    long stepCount;    // steps the run takes; 0 when nothing can be measured
    long windowStart;  // first step whose end is sampled for the measurement
    double y[2];       // displacement (m) and velocity (m/s)
    SineFit fit;       // of y over the measured window
};

// Make ready to run the oscillator at omf = ratio om0 for timeConstants time
// constants 1/(zeta om0) and ten forcing periods, or timeLimit s if shorter;
// *point gets the ratio, unmeasured. The result is why it cannot settle, or none.
SweepTrouble pointBegin(PointRun* pr, SweepPoint* point, const Oscillator& oscillator, double ratio,
                        double timeConstants, double timeLimit);

// Take steps while *stepsLeft is above zero, counting them down; true once
// the run has taken all its steps.
bool pointAdvance(PointRun* pr, long* stepsLeft);

// Read the point's amplitude and lag behind the excitation off its fit;
// false, with the point unmeasured and not settled, when they are not finite.
bool pointFinish(const PointRun& pr, SweepPoint* point);

// A sweep under way: where it stands and what it has measured so far.
struct Sweep {
    Oscillator system; // the oscillator swept; each point sets its own omf
    double zeta;       // its damping ratio
    int point;         // the point being run; sweepPointCount when done
    PointRun run;      // the present point's run
    SweepTrouble trouble;
    SweepPoint points[sweepPointCount];
};

// Make ready to sweep the oscillator from its first point.
void sweepBegin(Sweep* sweep, const Oscillator& oscillator);

// Take at most maxSteps integration steps; true once every point is measured.
bool sweepAdvance(Sweep* sweep, long maxSteps);

// True once every point is measured.
bool sweepFinished(const Sweep& sweep);

// Points that did not settle.
int sweepUnsettledCount(const Sweep& sweep);
