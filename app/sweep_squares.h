// The window's frequency sweep drawn on the chart as small squares.
#pragma once

#include "plot/drawing_types.h"

// Colour of the sweep's squares: dark brown, which no curve of the chart uses.
extern const Rgba sweepColour;
// Half the side of a square, drawing units (about 3 pixels in an 800-pixel window).
constexpr double sweepSquareHalfSide = 0.008;
// How near a square (the sweep's or a specimen's measured one) the crosshair
// must be to read it: two half sides, a little more than the square, for a finger.
constexpr double sweepSquareReach = 2.0 * sweepSquareHalfSide;

// Draw the points of the sweep on show (app/sweep_run.h), coarse and added,
// as far as they are measured: filled squares where the point settled,
// hollow ones where it did not, and their legend; once its search is done,
// the resonance's figures under the legend. Nothing when no sweep is on show.
void drawSweepPoints();
