// Sampled curves, the chain figure and the colours of the plots.
#pragma once

#include "plot/drawing_types.h"

// Entries of curveColours: the most curves or chain points one plot may draw.
constexpr int curveColourCount = 21;

// Colour of row k of plotCurves and of point k of plotSeries.
extern const Rgba curveColours[curveColourCount];
extern const Rgba colourGreen; // the force arrow
extern const Rgba colourBlue;  // the points of the entered forcing frequency
extern const Rgba colourBlack; // the curves of the entered damping ratio

// Right end of every chain, drawing units.
extern const double plotRightEdge;

// Draw a red chain from origin through pointCount equally spaced samples to
// (plotRightEdge, origin.y), with small end discs and a large disc per point;
// both ends raised by endShift (drawing units), the samples not, for a
// support that moves.
void plotSeries(const Point2& origin, double valueScale, int pointCount, const double* samples,
                double endShift = 0.0);

// Draw samples 0..stepCount as a polyline, xStep apart, in line width 2.0.
void plotCurve(const Point2& origin, double xStep, double valueScale, int stepCount,
               const double* samples, const Rgba* lineColour);

// Draw curveCount rows of one block, row j scaled by rowScales[j], in curveColours[j].
void plotCurves(const Point2& origin, double xStep, const double* rowScales, int curveCount,
                int stepCount, const double* samples, int rowStride);
