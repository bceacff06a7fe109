// Sampled curves, the chain figure and the colours of the plots.
#include "plot/curves.h"

#include "plot/primitives.h"

#include <GL/gl.h>

#include <cstddef>

// Row k of plotCurves and point k of plotSeries; alpha is 0 throughout, as
// blending is never enabled.
const Rgba curveColours[curveColourCount] = {
    {1.0f, 0.0f, 0.0f, 0.0f}, //  0 the mass disc, the displacement history
    {0.0f, 1.0f, 0.0f, 0.0f}, //  1 the force history
    {0.0f, 0.0f, 1.0f, 0.0f}, //  2
    {1.0f, 0.2f, 0.0f, 0.0f}, //  3
    {0.0f, 1.0f, 0.2f, 0.0f}, //  4
    {0.2f, 0.0f, 1.0f, 0.0f}, //  5
    {1.0f, 0.4f, 0.0f, 0.0f}, //  6
    {0.0f, 1.0f, 0.4f, 0.0f}, //  7
    {0.4f, 0.0f, 1.0f, 0.0f}, //  8
    {1.0f, 0.6f, 0.0f, 0.0f}, //  9
    {0.0f, 1.0f, 0.6f, 0.0f}, // 10
    {0.6f, 0.0f, 1.0f, 0.0f}, // 11
    {1.0f, 0.8f, 0.0f, 0.0f}, // 12
    {0.0f, 1.0f, 0.8f, 0.0f}, // 13
    {0.8f, 0.0f, 1.0f, 0.0f}, // 14
    {1.0f, 1.0f, 0.0f, 0.0f}, // 15
    {0.0f, 1.0f, 1.0f, 0.0f}, // 16
    {1.0f, 0.0f, 1.0f, 0.0f}, // 17
    {1.0f, 1.0f, 0.2f, 0.0f}, // 18
    {0.2f, 1.0f, 1.0f, 0.0f}, // 19
    {1.0f, 0.2f, 1.0f, 0.0f}, // 20
};
const Rgba colourGreen = {0.0f, 1.0f, 0.0f, 0.0f};
const Rgba colourBlue = {0.0f, 0.0f, 1.0f, 0.0f};
const Rgba colourBlack = {0.0f, 0.0f, 0.0f, 0.0f};

const double plotRightEdge = 0.99;

namespace
{

// Line width of every sampled curve, pixels.
constexpr float curveLineWidth = 2.0f;
// Radius of the discs at both ends of a chain, drawing units.
constexpr double endDiscRadius = 0.01;
// Radius of the disc on every chain point, drawing units.
constexpr double pointDiscRadius = 0.04;
// The chain's own line colour, red; not taken from curveColours.
constexpr Rgba chainColour = {1.0f, 0.0f, 0.0f, 0.0f};

} // namespace

// Draw a red chain from origin through pointCount equally spaced samples to
// (plotRightEdge, origin.y), with small end discs and a large disc per point.
void plotSeries(const Point2& origin, double valueScale, int pointCount, const double* samples,
                double endShift)
{
    // The count is widened before the addition, so no int can overflow.
    const double dx = (plotRightEdge - origin.x) / (static_cast<double>(pointCount) + 1.0);
    const Point2 leftEnd = {origin.x, origin.y + endShift};

    Point2 current = leftEnd;
    for (int i = 0; i < pointCount; ++i) {
        const Point2 previous = current;
        current = {previous.x + dx, valueScale * samples[i] + origin.y};
        drawLine(previous, current, chainColour);
    }
    const Point2 rightEnd = {plotRightEdge, origin.y + endShift};
    drawLine(current, rightEnd, chainColour);

    drawDisc(leftEnd, endDiscRadius, chainColour);
    drawDisc(rightEnd, endDiscRadius, chainColour);

    // The same additions as above, so every disc sits on its chain vertex.
    double x = origin.x;
    for (int i = 0; i < pointCount; ++i) {
        x = x + dx;
        drawDisc({x, valueScale * samples[i] + origin.y}, pointDiscRadius, curveColours[i]);
    }
    glFlush();
}

// Draw samples 0..stepCount as a polyline, xStep apart, in line width 2.0.
// The segments are drawLine's, vertex for vertex, but in one group with the
// lighting switched once: each switch ends the renderer's batch, and the
// chart's 6,000 segments one switch apart took 7 times as long (the same
// pixels either way).
void plotCurve(const Point2& origin, double xStep, double valueScale, int stepCount,
               const double* samples, const Rgba* lineColour)
{
    glLineWidth(curveLineWidth);
    if (stepCount < 1) {
        return;
    }
    glDisable(GL_LIGHTING);
    glColor4f(lineColour->r, lineColour->g, lineColour->b, lineColour->a);
    Point2 current = {origin.x, valueScale * samples[0] + origin.y};
    // clang-format off
    glBegin(GL_LINES);
        for (int i = 1; i <= stepCount; ++i) {
            const Point2 previous = current;
            current = {previous.x + xStep, valueScale * samples[i] + origin.y};
            glVertex2d(scaleCoord(previous.x), scaleCoord(previous.y));
            glVertex2d(scaleCoord(current.x), scaleCoord(current.y));
        }
    glEnd();
    // clang-format on
    glEnable(GL_LIGHTING);
}

// Draw curveCount rows of one block, row j scaled by rowScales[j], in curveColours[j].
void plotCurves(const Point2& origin, double xStep, const double* rowScales, int curveCount,
                int stepCount, const double* samples, int rowStride)
{
    for (int j = 0; j < curveCount; ++j) {
        const double* row = samples + static_cast<std::ptrdiff_t>(j) * rowStride;
        plotCurve(origin, xStep, rowScales[j], stepCount, row, &curveColours[j]);
    }
}
