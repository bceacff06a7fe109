// The window's frequency sweep (the key 'w', the option --sweep) and then its
// search for the resonance, run a slice at a time from a timer so that the
// window keeps answering its keys, and drawn on the chart until the next dialog.
#pragma once

#include <vector>

#include "sim/frequency_sweep.h"
#include "sim/resonance_search.h"

// --sweep: sweep once, showing the chart, as soon as the window is open.
void sweepAskAtStart();

// Start the sweep --sweep asked for; the window calls it once it is open.
void sweepStartIfAsked();

// Sweep the present system, unless its sweep is under way or done already:
// the points belong to the system until the next dialog. The finished sweep
// is drawn without moving the motion. In a specimen it only says, on
// standard output, that there is no sweep.
void sweepStart();

// A new dialog begins: forget the points, and stop a sweep under way.
void sweepForget();

// True while a sweep, or its search, is under way.
bool sweepUnderWay();

// The sweep started since the last dialog, done or under way; null when none.
const Sweep* sweepShown();

// The search of the sweep on show once its coarse points are done; null before.
const ResonanceSearch* sweepSearchShown();

// The sweep's points measured so far: the coarse ones, then those its search added.
std::vector<SweepPoint> sweepPointsShown();
