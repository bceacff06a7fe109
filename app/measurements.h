// A specimen's table of measurements: every 'r' of a forced run adds its
// forcing frequency, amplitude, period and lag, so that the student builds
// the resonance curve point by point; the chart 'f' draws them.
#pragma once

// The most points the table holds; more are not added.
constexpr int measurementsMost = 256;

// One measured point.
struct Measurement {
    double omf;       // forcing frequency, rad/s
    double amplitude; // m
    double period;    // s
    double phaseLag;  // lag of y behind the force, in units of pi
    bool settled;
};

// Add a point (the key r); false when the table is full.
bool measurementAdd(const Measurement& point);

// The points added so far, in their order.
int measurementCount();
const Measurement& measurementAt(int index);

// Forget every point (tests: a fresh process's table).
void measurementsClear();
