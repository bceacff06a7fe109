// The window's frequency sweep (the key 'w', the option --sweep): the
// simulated measurement of sim/frequency_sweep.h for the present system,
// run a slice at a time from a timer so that the window keeps answering its
// keys (Escape ends the program at once), its motion and clock untouched,
// and drawn on the chart as small squares until the next dialog.
#pragma once

#include "plot/drawing_types.h"

// Colour of the sweep's squares: dark brown, which no curve of the chart uses.
extern const Rgba sweepColour;
// Half the side of a square, drawing units (about 3 pixels in an 800-pixel window).
constexpr double sweepSquareHalfSide = 0.008;

// --sweep: sweep once, showing the chart, as soon as the window is open.
void sweepAskAtStart();

// Start the sweep --sweep asked for; the window calls it once it is open.
void sweepStartIfAsked();

// Sweep the present system, unless its sweep is under way or done already:
// the points belong to the system until the next dialog.
void sweepStart();

// A new dialog begins: forget the points, and stop a sweep under way.
void sweepForget();

// True while a sweep is under way.
bool sweepUnderWay();

// Draw the points measured so far on the chart: filled squares where the
// point settled, hollow ones where it did not, and their legend.
void drawSweepPoints();

// True once for the frame that shows a finished sweep: it draws the present
// moment again instead of advancing the motion.
bool sweepTakeRepaint();
