// The motion's own figures, measured as in the laboratory: the window's
// motion is run again from its start and read off every step, not only the
// drawn samples. With an excitation: the amplitude, the period and the lag
// of y behind it over the last whole forcing periods. Without one: the
// damped period, the logarithmic decrement of the free decay and its zeta.
#pragma once

#include "model/excitation.h"

// Most and fewest whole forcing periods the forced figures are read over.
constexpr int motionMostPeriods = 5;
constexpr int motionFewestPeriods = 2;
// Relative change of the amplitude from the previous equal window below
// which the motion counts as settled (1 %).
constexpr double motionSettledChange = 0.01;

// Peaks of a free decay listed one by one, the first ones read.
constexpr int motionListedPeaks = 10;

// What could be measured.
enum class MotionKind {
    tooLittle, // fewer than two forcing periods (forced) or two peaks (free)
    forced,    // an excitation acts: amplitude, period and lag
    freeDecay, // none: damped period, logarithmic decrement and zeta
};

// The figures of one motion; those not measured are NaN.
struct MotionFigures {
    MotionKind kind = MotionKind::tooLittle;
    bool forcedMotion = false; // F != 0; says which too-little case it was
    // Forced, over the last `periods` whole forcing periods.
    int periods = 0;        // whole forcing periods read (2 to 5)
    double amplitude = NAN; // of the fitted A sin(omf t - phi), m
    double period = NAN;    // between y's first and last upward crossings of the window, s
    double phaseLag = NAN;  // lag of y behind the excitation, in units of pi
    bool settled = false;   // the amplitude changed by less than 1 % from the previous window
    // Free, from the successive peaks of y.
    int peaks = 0;                             // peaks read
    double dampedPeriod = NAN;                 // mean spacing of the peaks, s
    double logDecrement = NAN;                 // mean log ratio of successive peaks, delta
    double zeta = NAN;                         // delta / sqrt(4 pi^2 + delta^2)
    int listedPeaks = 0;                       // the first peaks read, up to motionListedPeaks
    double peakTime[motionListedPeaks] = {};   // s
    double peakHeight[motionListedPeaks] = {}; // m
};

// Measure the motion of o that the window shows after `steps` steps of dt
// from (y0, v0) at t = 0: the same Gill steps, with t accumulated as the
// window does, so the same motion to the last bit.
MotionFigures measureMotion(const Oscillator& o, double y0, double v0, long steps);

// A state of the motion to run on from: after `step` steps, at the window's t.
struct MotionCheckpoint {
    long step;
    double t;    // s
    double y[2]; // m, m/s
};

// The step of the latest checkpoint the forced figures after `steps` steps
// can start from (0 when there is too little motion).
long forcedFiguresFrom(const Oscillator& o, long steps);

// The forced figures of measureMotion, run on from a checkpoint at or before
// forcedFiguresFrom(o, steps): the same to the last bit, for the windows' cost.
MotionFigures measureForcedFrom(const Oscillator& o, const MotionCheckpoint& from, long steps);

// A free decay's peaks, gathered one step at a time as measureMotion does.
struct PeakRecord {
    double largest;            // largest |y| so far, m
    double yPrev, yMid, tMid;  // y two samples back, y one back and its time
    double lastTime, lastPeak; // the latest peak read, s and m
    MotionFigures listed;      // the peaks read, and the first ones listed
};

// Start gathering from y0 at t = 0.
void peakRecordBegin(PeakRecord* record, double y0);

// Take the sample y at time t, the end of the next step.
void peakRecordStep(PeakRecord* record, double t, double y);

// The free-decay figures (F = 0) of measureMotion from the peaks gathered.
MotionFigures freeDecayFigures(const PeakRecord& record);
