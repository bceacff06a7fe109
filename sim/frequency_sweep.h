// A frequency sweep by simulation: the laboratory's measurement done on the
// model. At each of a row of forcing frequencies the oscillator starts from
// rest, is stepped with the program's own equation of motion and Gill step
// until its transient has died, and its steady amplitude and phase lag are
// read off the last whole forcing periods.
//
// A sweep is plain data that can be advanced a slice at a time, so that a
// window can keep answering its keys between slices.
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

// One measured point. A point that could not be measured (no whole forcing
// period within the time limit, a motion too fast for the step, numbers that
// left the finite range) has NaN amplitude and lag.
struct SweepPoint {
    double ratio;     // omf / om0
    double amplitude; // measured steady amplitude, m
    double phaseLag;  // measured lag of y behind the force, in units of pi
    bool settled;     // the transient had died before the measurement
};

// Why points did not settle; the worst reason of a sweep wins.
enum class SweepTrouble {
    none,        // every point settled
    tooFast,     // the system moves too fast for the 0.01 s step to follow it
    timeLimit,   // too little damping: the transient outlasts sweepTimeLimit
    noDamping,   // zeta is not above zero: the transient never dies
    noFrequency, // no positive om0, or a coefficient that is not a finite number
};

// The run of one point, which the sweep and the search for the resonance
// share: from rest at one forcing frequency, for long enough that the
// transient has died (or to a time limit), with least-squares sums of y
// against the excitation over its last whole forcing periods.
struct PointRun {
    Oscillator system; // its omf is the point's forcing frequency
    long step;         // steps taken
    long stepCount;    // steps the run takes; 0 when nothing can be measured
    long windowStart;  // first step whose end is sampled for the measurement
    double y[2];       // displacement (m) and velocity (m/s)
    SineFit fit;       // of y over the measured window
};

// Make ready to run the point at ratio (omf = ratio om0) of the oscillator,
// whose om0 and zeta are given, for timeConstants time constants
// 1/(zeta om0) and ten forcing periods, or timeLimit s if that is shorter;
// *point is set to the ratio, unmeasured, settled when the limit was not
// reached. The result is the worst reason the point cannot settle, or none.
SweepTrouble pointBegin(PointRun* pr, SweepPoint* point, const Oscillator& oscillator, double om0,
                        double zeta, double ratio, double timeConstants, double timeLimit);

// Take steps of the pr while *stepsLeft is above zero, counting them down;
// true once the pr has taken all its steps.
bool pointAdvance(PointRun* pr, long* stepsLeft);

// Read the point's amplitude and lag off its fit: y = A sin(omf t - phi)
// against the excitation, so that phi is the lag behind the excitation that
// acts, whatever the sign of its amplitude. False, with the point
// unmeasured and not settled, when the numbers give no finite figures.
bool pointFinish(const PointRun& pr, SweepPoint* point);

// A sweep under way: where it stands and what it has measured so far.
struct Sweep {
    Oscillator system; // the oscillator swept
    double om0;        // natural angular frequency, rad/s
    double zeta;       // damping ratio
    int point;         // the point being run; sweepPointCount when done
    PointRun run;      // the present point's run
    SweepTrouble trouble;
    SweepPoint points[sweepPointCount];
};

// Make ready to sweep the oscillator from its first point; its omf is not
// read, each point sets its own.
void sweepBegin(Sweep* sweep, const Oscillator& oscillator);

// Take at most maxSteps integration steps; true once every point is measured.
bool sweepAdvance(Sweep* sweep, long maxSteps);

// True once every point is measured.
bool sweepFinished(const Sweep& sweep);

// Points that did not settle.
int sweepUnsettledCount(const Sweep& sweep);
