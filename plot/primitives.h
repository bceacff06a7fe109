// Drawing primitives: lines, filled discs and bitmap text.
//
// Every shape routine switches lighting off while it draws and on again when
// it returns, sets its own colour and leaves it set.
#pragma once

#include "plot/drawing_types.h"

// pi to ten decimals, the drawing routines' own value.
constexpr double drawPi = 3.1415926536;
// Vertices of a disc polygon.
constexpr int discSegments = 100;

// The library's one coordinate hook: every position, radius, length and
// spacing passes through it on the way to OpenGL.
double scaleCoord(double v);

// Draw a segment in the line width last set by another routine.
void drawLine(const Point2& from, const Point2& to, const Rgba& colour);

// Draw a filled disc.
void drawDisc(const Point2& centre, double radius, const Rgba& colour);

// Draw bitmap text at a raster position; the colour and raster position
// in force before the call are restored.
void drawText(float x, float y, void* font, const char* text);
