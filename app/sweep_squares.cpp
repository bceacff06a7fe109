// The sweep's squares on the chart.
#include "app/sweep_squares.h"

#include <GL/glut.h>

#include <cmath>

#include "app/sweep_run.h"
#include "app/view.h"
#include "model/state.h"
#include "plot/markers.h"
#include "plot/primitives.h"
#include "sim/frequency_sweep.h"

const Rgba sweepColour = {0.4f, 0.2f, 0.0f, 0.0f};

void drawSweepPoints()
{
    const Sweep* shown = sweepShown();
    if (shown == nullptr) {
        return;
    }
    const Sweep& sweep = *shown;
    drawText(0.01f, 0.7f, GLUT_BITMAP_HELVETICA_18, "brown squares:simulated sweep");
    if (sweepFinished(sweep) && sweepUnsettledCount(sweep) > 0) {
        drawText(0.01f, 0.65f, GLUT_BITMAP_HELVETICA_18, "hollow squares:not settled");
    }
    for (int k = 0; k < sweep.point && k < sweepPointCount; k++) {
        const SweepPoint& point = sweep.points[k];
        if (!std::isfinite(point.amplitude)) {
            continue;
        }
        // Placed as the blue points are: the ratio at its fractional table index.
        const double x = (point.ratio / tables.freqStep) * view.freqXScale + view.freqPlotOrigin.x;
        const Point2 amplitude = {x,
                                  view.zetaAmpScale[0] * point.amplitude + view.freqPlotOrigin.y};
        const Point2 lag = {x, view.zetaPhaseScale[0] * point.phaseLag + view.freqPlotOrigin.y};
        if (point.settled) {
            drawSquare(amplitude, sweepSquareHalfSide, sweepColour);
            drawSquare(lag, sweepSquareHalfSide, sweepColour);
        } else {
            drawSquareOutline(amplitude, sweepSquareHalfSide, sweepColour);
            drawSquareOutline(lag, sweepSquareHalfSide, sweepColour);
        }
    }
}
