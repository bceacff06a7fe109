// The sweep's squares on the chart.
#include "app/sweep_squares.h"

#include <GL/glut.h>

#include <cmath>

#include "app/figures_text.h"
#include "app/sweep_run.h"
#include "app/view.h"
#include "model/state.h"
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
    const Point2 amplitude = {x, chartAmplitudeY(point.amplitude)};
    const Point2 lag = {x, chartLagY(point.phaseLag)};
    if (point.settled) {
        drawSquare(amplitude, sweepSquareHalfSide, sweepColour);
        drawSquare(lag, sweepSquareHalfSide, sweepColour);
    } else {
        drawSquareOutline(amplitude, sweepSquareHalfSide, sweepColour);
        drawSquareOutline(lag, sweepSquareHalfSide, sweepColour);
    }
}

} // namespace

void drawSweepPoints()
{
    const Sweep* shown = sweepShown();
    if (shown == nullptr) {
        return;
    }
    const Sweep& sweep = *shown;
    const ResonanceSearch* search = sweepSearchShown();
    const bool done = search != nullptr && resonanceFinished(*search);
    int unsettled = sweepUnsettledCount(sweep);
    for (int k = 0; search != nullptr && k < resonanceAddedCount(*search); k++) {
        unsettled += resonanceAddedPoint(*search, k).settled ? 0 : 1;
    }
    drawText(0.01f, 0.7f, GLUT_BITMAP_HELVETICA_18, "brown squares:simulated sweep");
    if (done && unsettled > 0) {
        drawText(0.01f, 0.65f, GLUT_BITMAP_HELVETICA_18, "hollow squares:not settled");
    }
    if (done) {
        // Below the legend's lines, as far left as they start.
        const auto lines = resonanceFiguresWindowLines(resonanceFigures(*search));
        drawText(0.01f, 0.6f, GLUT_BITMAP_HELVETICA_18, lines[0].c_str());
        drawText(0.01f, 0.55f, GLUT_BITMAP_HELVETICA_18, lines[1].c_str());
    }
    for (int k = 0; k < sweep.point && k < sweepPointCount; k++) {
        drawPoint(sweep.points[k]);
    }
    for (int k = 0; search != nullptr && k < resonanceAddedCount(*search); k++) {
        drawPoint(resonanceAddedPoint(*search, k));
    }
}
