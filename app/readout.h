// The readout: a crosshair placed on the picture by the mouse, a finger or
// the arrow keys, and one line giving what lies under it in the plot's own
// units, as a student reads a measurement off a laboratory chart.
#pragma once

#include <string>

// The window's size in pixels, for turning pointer positions into drawing
// units (the reshape callback hands it on).
void readoutWindowSize(int width, int height);

// A press at pixel (px, py) from the window's top left: the crosshair goes
// there, or is cleared when that is outside the plots.
void readoutPress(int px, int py, bool chartShown);

// A drag to pixel (px, py): the crosshair follows while the pointer is on a
// plot and stays where it was when it leaves them.
void readoutDrag(int px, int py, bool chartShown);

// Move the crosshair by one sample of the plot it is on across, or a few
// pixels up or down (dx, dy: -1, 0 or 1; dy = 1 is up); the first press
// places it in the middle of the time plot.
void readoutNudge(int dx, int dy, bool chartShown);

// Forget the crosshair (the next dialog).
void readoutClear();

// What lies under the crosshair, UTF-8: on the time plot
// "t= 12.40[s]  y= 0.1234[m]  F/K= 0.2000[m]", on the chart
// "ωf/ω0= 1.230  A= 0.2345[m]  Φ= 123.45[deg]" and, over a square of the
// sweep on show (app/sweep_run.h), its measured amplitude and lag too;
// empty when nothing is shown.
std::string readoutText(bool chartShown);

// Draw the crosshair and the readout's line (nothing for an empty text).
void drawReadout(const std::string& text);
