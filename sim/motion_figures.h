// The motion's own figures, measured as in the laboratory: the window's
// motion is run again from its start, step by step, and read off every step,
// not only the drawn samples.
//
// With a force: the amplitude, the period and the lag of y behind the force
// over the last whole forcing periods. Without one: the damped period and
// the logarithmic decrement of the free decay, and the damping ratio they give.
#pragma once

#include "sim/equation_of_motion.h"

// Most and fewest whole forcing periods the forced figures are read over.
constexpr int motionMostPeriods = 5;
constexpr int motionFewestPeriods = 2;
// Relative change of the amplitude from the previous equal window below
// which the motion counts as settled (1 %).
constexpr double motionSettledChange = 0.01;

// What could be measured.
enum class MotionKind {
    tooLittle, // fewer than two forcing periods (with a force) or two peaks (without)
    forced,    // a force acts: amplitude, period and lag
    freeDecay, // no force: damped period, logarithmic decrement and zeta
};

// The figures of one motion. Those of the other kind are NaN.
struct MotionFigures {
    MotionKind kind;
    bool forcedMotion; // a force acts (F != 0); says which too-little case it was
    // With a force, over the last `periods` whole forcing periods.
    int periods;      // whole forcing periods read (2 to 5)
    double amplitude; // of the fitted A sin(omf t - phi), m
    double period;    // between y's first and last upward crossings of the window, s;
                      // NaN when it crosses fewer than twice
    double phaseLag;  // lag of y behind the force, in units of pi
    bool settled;     // the amplitude changed by less than 1 % from the previous window
    // Without a force, from the successive peaks of y.
    int peaks;           // peaks read
    double dampedPeriod; // mean spacing of the peaks, s
    double logDecrement; // mean log ratio of successive peaks, delta
    double zeta;         // delta / sqrt(4 pi^2 + delta^2)
};

// Measure the motion of o that the window shows after `steps` steps of dt
// from (y0, v0) at t = 0: the same Gill steps, with t accumulated as the
// window does, so the same motion to the last bit.
MotionFigures measureMotion(const Oscillator& o, double y0, double v0, long steps);
