// The key 'r': the motion's own figures (sim/motion_figures.h) of the run
// shown so far, as one line on standard output.
//
// The window's steps feed a record as they are taken: the free decay's
// peaks, and states to run on from, so that a long run is measured for the
// cost of its last forcing periods rather than of the whole run again.
#pragma once

// Take note of the window's step just taken (run.t and run.state): the
// display frame calls it after every step. A run begun again (its first
// step) starts a new record.
void motionRecordStep();

// Measure the motion shown since the run's start (from params.y0 and
// params.v0, llround(run.t / dt) steps) and print its line, flushed; write
// its row of NAME-measured.csv, and in a specimen's forced run add the
// point to its table of measurements (app/measurements.h).
void reportMotionFigures();
