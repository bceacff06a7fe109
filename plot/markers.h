// Square markers for measured points.
//
// Like every shape routine, each switches lighting off while it draws and on
// again when it returns, and leaves its colour set.
#pragma once

#include "plot/drawing_types.h"

// Draw a filled square, axis-aligned, centred on centre.
void drawSquare(const Point2& centre, double halfSide, const Rgba& colour);

// Draw the outline of a square in the line width last set by another routine.
void drawSquareOutline(const Point2& centre, double halfSide, const Rgba& colour);

// Draw a filled rectangle, axis-aligned, from its lower left corner to its
// upper right one: a text's background, a bar.
void drawRectangle(const Point2& lowerLeft, const Point2& upperRight, const Rgba& colour);
