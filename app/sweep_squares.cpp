// The sweep's squares on the chart.
#include "app/sweep_squares.h"

#include <GL/glut.h>

#include <algorithm>
#include <cmath>

#include "app/figures_text.h"
#include "app/frame.h"
#include "app/sweep_run.h"
#include "app/view.h"
#include "plot/markers.h"
#include "plot/primitives.h"
#include "sim/frequency_sweep.h"

const Rgba sweepColour = {0.4f, 0.2f, 0.0f, 0.0f};

namespace
{

// Draw one point's two squares, placed as the blue points are: the ratio at
// its fractional table index.
void drawPoint(const SweepPoint& point)
{
    if (!std::isfinite(point.amplitude)) {
        return;
    }
    const double x = chartX(point.ratio);
    for (const double y : {chartAmplitudeY(point.amplitude), chartLagY(point.phaseLag)}) {
        (point.settled ? drawSquare : drawSquareOutline)({x, y}, sweepSquareHalfSide, sweepColour);
    }
}

} // namespace

void drawSweepPoints()
{
    if (sweepShown() == nullptr) {
        return;
    }
    const ResonanceSearch* search = sweepSearchShown();
    const bool done = search != nullptr && resonanceFinished(*search);
    const std::vector<SweepPoint> points = sweepPointsShown();
    drawText(0.01f, 0.7f, GLUT_BITMAP_HELVETICA_18, "brown squares:simulated sweep");
    if (done &&
        std::any_of(points.begin(), points.end(), [](const SweepPoint& p) { return !p.settled; })) {
        drawText(0.01f, 0.65f, GLUT_BITMAP_HELVETICA_18, "hollow squares:not settled");
    }
    if (done) {
        // Below the legend's lines, as far left as they start.
        const auto lines = resonanceFiguresWindowLines(resonanceFigures(*search));
        // On white: the peak of the resonance curve runs under them.
        drawTextOnWhite(0.01f, 0.6f, lines[0].c_str());
        drawTextOnWhite(0.01f, 0.55f, lines[1].c_str());
    }
    for (const SweepPoint& point : points) {
        drawPoint(point);
    }
}
