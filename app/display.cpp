// The display frame: one slice of simulation, then the whole picture again.
#include "app/display.h"

#include <GL/glut.h>
#include <cmath>
#include <cstdio>
#include <string>

#include "app/csv_export.h"
#include "app/energy_view.h"
#include "app/frame.h"
#include "app/measured_chart.h"
#include "app/motion_report.h"
#include "app/readout.h"
#include "app/sweep_squares.h"
#include "app/view.h"
#include "model/specimen_state.h"
#include "model/state.h"
#include "plot/axes_grid_arrow.h"
#include "plot/curves.h"
#include "plot/primitives.h"
#include "sim/runge_kutta_gill.h"

// pi/2 with pi to fourteen decimals: the force arrow points straight up.
static constexpr double arrowUp = 1.570796326794895;
// How far left of the string's right end the base's arrow stands, drawing units.
static constexpr double baseArrowInset = 0.03;
// Grid cells on each side of the time grid's centre.
static constexpr int timeGridCells = 30;

// Draw the force arrow on the mass's vertical, pointing the way the force
// acts; for a moving base, at the string's right end, the way the ground moves.
static void drawForceArrow()
{
    const bool base = params.system.kind == ExcitationKind::base;
    const double arrowLength = excitationWave(params.system, run.t) * 0.3 * view.yScale;
    const double sign = arrowLength < 0 ? -1.0 : 1.0; // turns the arrow and its offset over
    const double at = base ? baseDisplacement(params.system, run.t) : run.state[0];
    const Point2 arrowTip = {
        base ? plotRightEdge - baseArrowInset
             : (plotRightEdge - view.vibPlotOrigin.x) * 0.5 + view.vibPlotOrigin.x,
        at * view.yScale + view.vibPlotOrigin.y - sign * (0.04 * view.yScale),
    };
    drawArrow(arrowTip, std::fabs(arrowLength), sign * arrowUp, colourGreen);
}

static void drawTimePlot()
{
    drawAxes(view.axesOrigin, 0.0);

    const double secondWidth = view.timeScale / (stepsPerFrame * dt);
    // The grid is anchored at the right end of the time axis (the mass
    // figure's anchor), not at t = 0, and kept so on purpose: after 't' or
    // 'T' its lines no longer meet the vertical axis, as the pictures of the
    // examples show; the end-to-end tests look for a line at that anchor.
    const Point2 workPoint = {
        view.vibPlotOrigin.x - (timeGridCells * view.timeScale) / (stepsPerFrame * dt),
        view.vibPlotOrigin.y,
    };
    drawGrid(workPoint, 0.0, timeGridCells, secondWidth, 0.2 * view.yScale);

    // The excitation's row is in metres too, on the scale of y.
    const double scales[2] = {view.yScale, view.yScale};
    plotCurves(view.axesOrigin, view.timeScale, scales, 2, run.histIndex, yHistory(), rowLength);
}

// The time plot's name for its green curve and the chart's title (its
// curves are in metres, times the scale As), in the order of ExcitationKind.
static const struct {
    const char* legend;
    const char* chartTitle;
} excitationText[] = {
    {"green: external force F(t)/K", "frequency characteristics. zeta parameter"},
    {"green: base motion u(t)", "transmissibility |Y/U|. zeta parameter"},
    {"green: unbalance force F(t)/K", "magnification mX/(me e). zeta parameter"},
};

bool chartRequested()
{
    const unsigned char key = static_cast<unsigned char>(lastKey);
    return key == 'f' || key == 'y' || key == 'Y' || key == 'x' || key == 'X' || key == 'w';
}

void drawFrequencyCurves()
{
    plotCurves(view.freqPlotOrigin, view.freqXScale, view.zetaAmpScale, tables.zetaCount,
               tables.freqPoints, tables.zetaAmp[0], rowLength);
    plotCurves(view.freqPlotOrigin, view.freqXScale, view.zetaPhaseScale, tables.zetaCount,
               tables.freqPoints, tables.zetaPhase[0], rowLength);
    plotCurve(view.freqPlotOrigin, view.freqXScale, view.zetaAmpScale[0], tables.freqPoints,
              tables.givenAmp, &colourBlack);
    plotCurve(view.freqPlotOrigin, view.freqXScale, view.zetaPhaseScale[0], tables.freqPoints,
              tables.givenPhase, &colourBlack);
}

// The frequency chart: nine tabulated curves, the entered zeta in black, and
// blue points at the entered forcing frequency.
static void drawFrequencyChart()
{
    drawText(0.01f, 0.9f, GLUT_BITMAP_HELVETICA_18,
             excitationText[static_cast<int>(params.system.kind)].chartTitle);
    drawText(0.01f, 0.85f, GLUT_BITMAP_HELVETICA_18, zetaLabel().c_str());
    drawText(0.01f, 0.8f, GLUT_BITMAP_HELVETICA_18, "black curve:given zeta");
    drawText(0.01f, 0.75f, GLUT_BITMAP_HELVETICA_18, "blue point:given omf");

    drawFrequencyCurves();

    const double pointX = chartX(derived.freqRatio);
    drawDisc({pointX, chartAmplitudeY(derived.Ad)}, 0.01, colourBlue);
    drawDisc({pointX, chartLagY(derived.phaseLag)}, 0.01, colourBlue);

    drawSweepPoints();
}

void advanceFrame()
{
    for (int stepCounter = 0; stepCounter < stepsPerFrame; stepCounter++) {
        run.stepStart[0] = run.state[0];
        run.stepStart[1] = run.state[1];
        rungeKuttaGill(run.t, dt, run.stepStart, run.state, 2);
        run.t = run.t + dt;
        motionRecordStep();
        energyViewRecordStep();
    }
    // The history's index wraps where the time axis ends, and never past the
    // end of the buffers, however small the time scale.
    run.histIndex = run.histIndex + 1;
    if (run.histIndex > 1.0 / view.timeScale || run.histIndex > rowLength - 1) {
        run.histIndex = 0;
    }
    yHistory()[run.histIndex] = run.state[0];
    forceHistory()[run.histIndex] = forceSample(run.t);
    // A specimen's K is hidden: its file has the force in newtons instead.
    if (specimenState.active) {
        csvWriteFrame(run.t, run.state[0], run.state[1], appliedForce(run.t));
    } else {
        const CsvEnergyColumns energy = energyColumnsNow();
        csvWriteFrame(run.t, run.state[0], run.state[1], forceHistory()[run.histIndex], &energy);
    }
}

void drawFrame()
{
    beginFrame();
    // The string's ends move with the base (and stay put for a force).
    plotSeries(view.vibPlotOrigin, view.yScale, 1, run.state,
               baseDisplacement(params.system, run.t) * view.yScale);
    drawForceArrow();
    drawText(-0.9f, 0.9f, GLUT_BITMAP_HELVETICA_18, "red  : mass vibration y(t)");
    const char* legend = excitationText[static_cast<int>(params.system.kind)].legend;
    char scale[64] = "1grid=(1s, 0.2m)";
    // A specimen's force in newtons, on the scale its row is recorded at
    // (model/specimen_state.h).
    if (specimenState.active) {
        legend = "green: external force F(t)";
        std::snprintf(scale, sizeof scale, "1grid=(1s, 0.2m, %gN)",
                      specimenForceGrid(params.system.F));
    }
    drawText(-0.9f, 0.85f, GLUT_BITMAP_HELVETICA_18, legend);
    drawText(-0.9f, 0.8f, GLUT_BITMAP_HELVETICA_18, scale);
    drawTimePlot();
    if (chartRequested()) {
        if (specimenState.active) {
            drawMeasuredChart();
        } else if (energyViewShown()) {
            drawPowerChart();
        } else {
            drawFrequencyChart();
        }
    }
    if (energyViewShown()) {
        drawEnergyBars();
    }
    // Last, so that the crosshair and its line lie on top.
    drawReadout(readoutText(chartRequested()));
    endFrame();
}

void display()
{
    advanceFrame();
    drawFrame();
}
