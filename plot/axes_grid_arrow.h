// The composite shapes of the time plot: axes cross, grid and force arrow.
#pragma once

#include "plot/drawing_types.h"

// Radians per degree (pi/180 to eleven decimals), for glRotated.
constexpr double radPerDeg = 0.01745329252;
// Width of the arrow's shaft, drawing units.
constexpr double arrowWidth = 0.02;
// Distance from the arrow's tip back to the notch of its head, drawing units.
constexpr double arrowHeadLength = 0.1;

// Draw two black lines through origin, far longer than the window.
void drawAxes(const Point2& origin, double angle);

// Draw a black grid of n cells on each side of origin in both directions.
void drawGrid(const Point2& origin, double angle, int n, double dx, double dy);

// Draw a filled arrow whose tip sits on tip, pointing along angle.
void drawArrow(const Point2& tip, double length, double angle, const Rgba& colour);
