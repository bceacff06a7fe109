// The energy view: its bars, its chart and its line on standard output.
#include "app/energy_view.h"

#include <GL/glut.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string>

#include "app/sweep_run.h"
#include "app/sweep_squares.h"
#include "app/view.h"
#include "console/console.h"
#include "model/energy.h"
#include "model/specimen_state.h"
#include "model/state.h"
#include "plot/curves.h"
#include "plot/markers.h"
#include "plot/primitives.h"

namespace
{

// Where the bars stand, drawing units: in the lower right, beside the
// mass's string and below the chart's curves, which the view keeps above
// the axis.
constexpr double barsLeft = 0.62;        // left edge of the first bar
constexpr double barPitch = 0.09;        // from one bar's left edge to the next's
constexpr double barWidth = 0.06;        // of one bar
constexpr double barZero = -0.83;        // the line every bar starts from
constexpr double barFullHeight = 0.2;    // a bar at its scale's full value
constexpr double barNegativeRoom = 0.1;  // how far a negative power may reach down
constexpr double barsTextLeft = 0.6;     // the bars' two lines of text
constexpr double barsLabelY = -0.985;    // the bars' names, under them
constexpr double barsHeadroom = 1.25;    // full scale over the settled or the initial peak
constexpr double powerChartClip = 1.1;   // the highest share of the power at r = 1 drawn
constexpr double powerChartHeight = 0.5; // drawing units of the peak power; not zoomed by y, Y

const Rgba kineticColour = {0.9f, 0.1f, 0.1f, 0.0f};
const Rgba springColour = {0.1f, 0.3f, 0.9f, 0.0f};
const Rgba inputColour = {0.0f, 0.7f, 0.0f, 0.0f};
const Rgba damperColour = {0.5f, 0.3f, 0.1f, 0.0f};
const Rgba zeroLineColour = {0.0f, 0.0f, 0.0f, 0.0f};

// The view's state; written by energyViewToggle and energyViewRecordStep only.
struct EnergyViewState {
    bool shown;          // the bars, and the power chart in place of the other
    bool recordValid;    // the record follows the window's run from its start
    EnergyRecord record; // the run's latest states
};

EnergyViewState energyView = {};

// The largest of the finite values, or 1 when there is none above 0.
double fullScale(std::initializer_list<double> values)
{
    double largest = 0;
    for (const double v : values) {
        if (std::isfinite(v)) {
            largest = std::max(largest, v);
        }
    }
    return largest > 0 ? barsHeadroom * largest : 1;
}

// One bar from the zero line, value/full of its full height; a negative
// one reaches down at most barNegativeRoom.
void drawBar(int index, double value, double full, const Rgba& colour, const char* name)
{
    double height = value / full * barFullHeight;
    if (!std::isfinite(height)) {
        height = 0;
    }
    height = std::clamp(height, -barNegativeRoom, barFullHeight);
    const double left = barsLeft + index * barPitch;
    drawRectangle({left, std::min(barZero, barZero + height)},
                  {left + barWidth, std::max(barZero, barZero + height)}, colour);
    drawText(static_cast<float>(left), static_cast<float>(barsLabelY), GLUT_BITMAP_HELVETICA_18,
             name);
}

// One measured point of a sweep on the power chart: the damper's mean
// 1/2 lambda omf^2 A^2 at its measured amplitude A, which a settled
// motion's input equals, as a share of the closed form's at r = 1.
void drawPowerSquare(const SweepPoint& p, double atResonance, double scale)
{
    const double omega = p.ratio * derived.om0;
    const double share =
        0.5 * params.system.lambda * omega * omega * p.amplitude * p.amplitude / atResonance;
    if (!std::isfinite(share)) {
        return;
    }
    const Point2 at = {chartX(p.ratio), scale * share + view.freqPlotOrigin.y};
    if (p.settled) {
        drawSquare(at, sweepSquareHalfSide, sweepColour);
    } else {
        drawSquareOutline(at, sweepSquareHalfSide, sweepColour);
    }
}

// The amplitude of the excitation's force, N: it is a sine of omf t.
double forceAmplitude(const Oscillator& o)
{
    const double quarterPeriod = 0.5 * modelPi / o.omf;
    return std::hypot(excitationForce(o, 0), excitationForce(o, quarterPeriod));
}

} // namespace

bool energyViewToggle()
{
    if (specimenState.active) {
        std::fputs(
            "エネルギーの表示は試験体では使えません（m と K が分かってしまうため） / the energy "
            "view is not available for a specimen (it would give away m and K)\n",
            consoleOut);
        std::fflush(consoleOut);
        return false;
    }
    energyView.shown = !energyView.shown;
    if (energyView.shown) {
        std::fprintf(consoleOut, "%s\n", energyMeansText(energyViewMeans()).c_str());
        std::fflush(consoleOut);
    }
    return true;
}

bool energyViewShown()
{
    return energyView.shown;
}

void energyViewRecordStep()
{
    if (std::lround(run.t / dt) == 1) {
        energyRecordBegin(&energyView.record, 0, params.y0, params.v0);
        energyView.recordValid = true;
    }
    if (energyView.recordValid) {
        energyRecordStep(&energyView.record, run.t, run.state[0], run.state[1]);
    }
}

EnergyMeans energyViewMeans()
{
    // Before the run's first step (a dialog has just reset it), or should
    // the record ever not end at the state on show: that state alone.
    const long last = energyView.record.samples - 1;
    if (!energyView.recordValid || last != std::lround(run.t / dt) ||
        energyView.record.y[last % energyRecordCapacity][0] != run.state[0] ||
        energyView.record.y[last % energyRecordCapacity][1] != run.state[1]) {
        energyRecordBegin(&energyView.record, run.t, run.state[0], run.state[1]);
        energyView.recordValid = false;
    }
    return energyMeans(energyView.record, params.system);
}

std::string energyMeansText(const EnergyMeans& e)
{
    // One format per case, the numbers in four digits as the dialog writes them.
    char line[512];
    switch (e.kind) {
    case EnergyMeansKind::period:
        std::snprintf(line, sizeof line,
                      "エネルギー / energy (last period): KE= %.4g[J]  PE= %.4g[J]  "
                      "入力/input P= %.4g[W]  減衰/damper P= %.4g[W]",
                      e.kinetic, e.spring, e.input, e.damper);
        return line;
    case EnergyMeansKind::noForce:
        if (!(e.kinetic + e.spring > 0)) {
            return "エネルギー / energy: 外力も動きもない / no force and too little motion to "
                   "measure";
        }
        std::snprintf(line, sizeof line,
                      "エネルギー / energy (外力なし、今 / no force, now t= %.4g s): KE= %.4g[J]  "
                      "PE= %.4g[J]  KE+PE= %.4g[J]  減衰/damper P= %.4g[W]",
                      e.t, e.kinetic, e.spring, e.kinetic + e.spring, e.damper);
        return line;
    case EnergyMeansKind::tooShort:
        std::snprintf(line, sizeof line,
                      "エネルギー / energy (1 周期に満たない、今 / less than one forcing period, "
                      "now t= %.4g s < T= %.4g s): KE= %.4g[J]  PE= %.4g[J]  "
                      "入力/input P= %.4g[W]  減衰/damper P= %.4g[W]",
                      e.t, e.period, e.kinetic, e.spring, e.input, e.damper);
        return line;
    case EnergyMeansKind::tooLong:
        std::snprintf(line, sizeof line,
                      "エネルギー / energy (周期が長すぎる、今 / the forcing period T= %.4g s is "
                      "too long to average, now t= %.4g s): KE= %.4g[J]  PE= %.4g[J]  "
                      "入力/input P= %.4g[W]  減衰/damper P= %.4g[W]",
                      e.period, e.t, e.kinetic, e.spring, e.input, e.damper);
        return line;
    }
    return "";
}

CsvEnergyColumns energyColumnsNow()
{
    const Oscillator o = params.system;
    const double y = run.state[0];
    const double v = run.state[1];
    return {kineticEnergy(o.m, v), springEnergy(o.K, y), inputPower(o, run.t, v),
            damperPower(o, v)};
}

void drawEnergyBars()
{
    const CsvEnergyColumns now = energyColumnsNow();
    // Scales fixed for the run: the settled motion's peaks, or the start's
    // energy for a free motion, with some headroom for a transient.
    const Oscillator& o = params.system;
    const double w = o.omf;
    const double Ad = derived.Ad;
    const double start = kineticEnergy(o.m, params.v0) + springEnergy(o.K, params.y0);
    const double energyFull = fullScale({0.5 * std::max(o.K, o.m * w * w) * Ad * Ad, start});
    const double powerFull = fullScale({forceAmplitude(o) * std::fabs(w) * Ad,
                                        o.lambda * w * w * Ad * Ad, o.lambda * 2 * start / o.m});

    drawLine({barsLeft - 0.01, barZero}, {barsLeft + 4 * barPitch, barZero}, zeroLineColour);
    drawBar(0, now.kinetic, energyFull, kineticColour, "KE");
    drawBar(1, now.spring, energyFull, springColour, "PE");
    drawBar(2, now.input, powerFull, inputColour, "Pin");
    drawBar(3, now.damper, powerFull, damperColour, "Pd");
    // Three digits: the lines stay clear of the window's right edge.
    char energyLine[40];
    char powerLine[40];
    std::snprintf(energyLine, sizeof energyLine, "E full=%.3gJ", energyFull);
    std::snprintf(powerLine, sizeof powerLine, "P full=%.3gW", powerFull);
    drawText(static_cast<float>(barsTextLeft), -0.53f, GLUT_BITMAP_HELVETICA_18, energyLine);
    drawText(static_cast<float>(barsTextLeft), -0.59f, GLUT_BITMAP_HELVETICA_18, powerLine);
}

void drawPowerChart()
{
    drawText(0.01f, 0.9f, GLUT_BITMAP_HELVETICA_18, "input power P/P(r=1). zeta parameter");
    drawText(0.01f, 0.85f, GLUT_BITMAP_HELVETICA_18, zetaLabel().c_str());
    drawText(0.01f, 0.8f, GLUT_BITMAP_HELVETICA_18, "black curve:given zeta");
    drawText(0.01f, 0.75f, GLUT_BITMAP_HELVETICA_18, "blue point:given omf");

    // Recomputed at every frame that shows them: ten curves of 301 samples
    // cost less than a line of text, and so follow every dialog unasked.
    const ExcitationKind kind = params.system.kind;
    static double curves[zetaTableSize][rowLength];
    static double given[rowLength];
    const double scale = powerChartHeight;
    double scales[zetaTableSize];
    for (int i = 0; i < tables.zetaCount; i++) {
        fillPowerCurve(kind, tables.freqStep, tables.freqPoints, zetaTable[i], curves[i]);
        scales[i] = scale;
    }
    fillPowerCurve(kind, tables.freqStep, tables.freqPoints, derived.zeta, given);
    // Those of a moving base or an unbalance rise above their value at r = 1:
    // kept below the legend.
    for (int k = 0; k <= tables.freqPoints; k++) {
        for (int i = 0; i < tables.zetaCount; i++) {
            curves[i][k] = std::min(curves[i][k], powerChartClip);
        }
        given[k] = std::min(given[k], powerChartClip);
    }
    plotCurves(view.freqPlotOrigin, view.freqXScale, scales, tables.zetaCount, tables.freqPoints,
               curves[0], rowLength);
    plotCurve(view.freqPlotOrigin, view.freqXScale, scale, tables.freqPoints, given, &colourBlack);

    const Point2 point = {chartX(derived.freqRatio),
                          scale * relativeInputPower(kind, derived.zeta, derived.freqRatio) +
                              view.freqPlotOrigin.y};
    drawDisc(point, 0.01, colourBlue);

    // The power at r = 1, which the curves are shares of.
    Oscillator atResonance = params.system;
    atResonance.omf = derived.om0;
    const double resonancePower = meanInputPower(atResonance);
    double r1, r2;
    char line[96];
    if (kind != ExcitationKind::force) {
        std::snprintf(line, sizeof line, "1 = power at ratio 1: %.4gW", resonancePower);
        drawText(0.01f, 0.7f, GLUT_BITMAP_HELVETICA_18, line);
    } else if (powerHalfPowerRatios(derived.zeta, &r1, &r2)) {
        std::snprintf(line, sizeof line, "half power: r1=%.4g r2=%.4g", r1, r2);
        drawText(0.01f, 0.7f, GLUT_BITMAP_HELVETICA_18, line);
        std::snprintf(line, sizeof line, "(r2-r1)/2: zeta=%.4g  peak=%.4gW", (r2 - r1) / 2,
                      resonancePower);
        drawText(0.01f, 0.65f, GLUT_BITMAP_HELVETICA_18, line);
    }

    if (sweepShown() == nullptr) {
        return;
    }
    drawText(0.01f, 0.6f, GLUT_BITMAP_HELVETICA_18, "brown squares:simulated sweep");
    for (const SweepPoint& point : sweepPointsShown()) {
        drawPowerSquare(point, resonancePower, scale);
    }
}
