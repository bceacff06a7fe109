// The crosshair and the line that reads the picture under it.
#include "app/readout.h"

#include <GL/glut.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "app/energy_view.h"
#include "app/frame.h"
#include "app/measured_chart.h"
#include "app/sweep_run.h"
#include "app/sweep_squares.h"
#include "app/view.h"
#include "model/energy.h"
#include "model/frequency_response.h"
#include "model/specimen_state.h"
#include "model/state.h"
#include "plot/primitives.h"
#include "sim/frequency_sweep.h"

namespace
{

// Where the crosshair is: drawing units of the -1..1 square.
struct Crosshair {
    bool shown; // placed since the last dialog, and not cleared
    double x;
    double y;
};

// The crosshair; written only by the functions of app/readout.h.
Crosshair crosshair = {false, 0.0, 0.0};

// The window's size, pixels; the window opens at 800 x 800.
int windowWidth = 800;
int windowHeight = 800;

// How far an up or down arrow moves the crosshair, drawing units (4 pixels
// of an 800-pixel window); across, it moves by one sample of its plot.
constexpr double nudgeStep = 0.01;
// Where the readout's line starts: bottom left, below both plots' labels
// (those stand at the top) and clear of the chart's legend.
constexpr float textX = -0.97f;
constexpr float textY = -0.96f;
// The crosshair's colour: grey, which no curve uses.
constexpr Rgba crosshairColour = {0.5f, 0.5f, 0.5f, 0.0f};

// True where x lies on the chart (when it is shown): the right half.
bool onChart(double x, bool chartShown)
{
    return chartShown && x >= view.freqPlotOrigin.x;
}

// True where x lies on the time plot: left of the mass's string.
bool onTimePlot(double x)
{
    return x >= view.axesOrigin.x && x < view.vibPlotOrigin.x;
}

// True where the crosshair reads something.
bool onPlot(double x, bool chartShown)
{
    return onChart(x, chartShown) || onTimePlot(x);
}

// Pixel (px, py) from the window's top left in drawing units: the -1..1
// square fills the window, stretched to its shape; a pixel's centre counts.
Point2 toDrawing(int px, int py)
{
    return {2.0 * (px + 0.5) / windowWidth - 1.0, 1.0 - 2.0 * (py + 0.5) / windowHeight};
}

// The time plot's line for the nearest sample drawn under x.
std::string timePlotText(double x)
{
    const long nearest = std::lround((x - view.axesOrigin.x) / view.timeScale);
    const int i = static_cast<int>(nearest < 0 ? 0 : std::min<long>(nearest, run.histIndex));
    // Slot histIndex holds the present moment; each slot before it one frame earlier.
    const double t = run.t - (run.histIndex - i) * frameTime;
    char line[128];
    if (specimenState.active) {
        // The row holds F(t) at the plot's scale.
        const double newtons =
            forceHistory()[i] * specimenForceGrid(params.system.F) / plotGridMetres;
        std::snprintf(line, sizeof line, "t=%6.2f[s]  y=%7.4f[m]  F=%7.4f[N]", t, yHistory()[i],
                      newtons);
        return line;
    }
    const char* const row = params.system.kind == ExcitationKind::base ? "u" : "F/K";
    std::snprintf(line, sizeof line, "t=%6.2f[s]  y=%7.4f[m]  %s=%7.4f[m]", t, yHistory()[i], row,
                  forceHistory()[i]);
    return line;
}

// The sweep's point whose square (amplitude or lag) lies under (x, y), or null.
const SweepPoint* squareUnder(const std::vector<SweepPoint>& points, double x, double y)
{
    for (const SweepPoint& p : points) {
        if (std::isfinite(p.amplitude) && std::fabs(x - chartX(p.ratio)) <= sweepSquareReach &&
            (std::fabs(y - chartAmplitudeY(p.amplitude)) <= sweepSquareReach ||
             std::fabs(y - chartLagY(p.phaseLag)) <= sweepSquareReach)) {
            return &p;
        }
    }
    return nullptr;
}

// A specimen's chart read: the measured point's figures near one, else the
// frequency and the amplitude or lag at the crosshair on the chart's scales.
std::string measuredChartText(double x, double y)
{
    char line[160];
    const Measurement* point = measuredPointNear(x, y);
    if (point != nullptr) {
        std::snprintf(line, sizeof line, "測定/measured ωf=%6.3f[rad/s]  A=%7.4f[m]  Φ=%7.2f[deg]",
                      point->omf, point->amplitude, point->phaseLag * 180);
        return line;
    }
    const MeasuredScale scale = measuredScale();
    const double omf = std::fmax((x - view.freqPlotOrigin.x) / scale.perRadPerS, 0.0);
    const double above = y - view.freqPlotOrigin.y;
    const bool amplitude = above >= 0; // above the axis; below it, a lag
    std::snprintf(line, sizeof line,
                  amplitude ? "ωf=%6.3f[rad/s]  A=%7.4f[m]" : "ωf=%6.3f[rad/s]  Φ=%7.2f[deg]", omf,
                  amplitude ? above / scale.perMetre : above / scale.perPi * 180);
    return line;
}

std::string chartText(double x, double y)
{
    if (specimenState.active) {
        return measuredChartText(x, y);
    }
    const std::vector<SweepPoint> points = sweepPointsShown();
    // Over a square the curve is read at the square's own ratio, so that the
    // measured and the computed figures compare point for point.
    const SweepPoint* square = squareUnder(points, x, y);
    const double ratio = square != nullptr ? square->ratio : std::fmax(chartRatioAt(x), 0.0);
    // Sample 1 of a one-step curve lies at the ratio itself.
    double amp[2];
    double lag[2];
    computeFrequencyResponse(params.system.kind, ratio, 1, derived.zeta, derived.As, amp, lag);
    char line[192];
    int n = std::snprintf(line, sizeof line, "ωf/ω0=%6.3f  A=%7.4f[m]  Φ=%7.2f[deg]", ratio, amp[1],
                          lag[1] * 180);
    // The base's transmissibility and the unbalance's magnification by name.
    const char* const gain = params.system.kind == ExcitationKind::base        ? "|Y/U|"
                             : params.system.kind == ExcitationKind::unbalance ? "mX/(me e)"
                                                                               : nullptr;
    if (gain != nullptr && n > 0 && n < static_cast<int>(sizeof line)) {
        n += std::snprintf(line + n, sizeof line - n, "  %s=%6.4f", gain, amp[1] / derived.As);
    }
    // The energy view's chart is of the mean input power: its value too.
    if (energyViewShown() && n > 0 && n < static_cast<int>(sizeof line)) {
        Oscillator at = params.system;
        at.omf = ratio * derived.om0;
        n += std::snprintf(line + n, sizeof line - n, "  P=%.4g[W]", meanInputPower(at));
    }
    if (square != nullptr && n > 0 && n < static_cast<int>(sizeof line)) {
        std::snprintf(line + n, sizeof line - n, "  掃引/sweep A=%7.4f[m]  Φ=%7.2f[deg]",
                      square->amplitude, square->phaseLag * 180);
    }
    return line;
}

// The line as the window's bitmap font can show it: the font has no Greek,
// so ω and Φ are spelt in Latin letters there, and the Japanese word left out.
std::string latin(std::string text)
{
    static const char* const spelling[][2] = {
        {"ω", "w"}, {"Φ", "Phi"}, {"掃引/", ""}, {"測定/", ""}};
    for (const auto& pair : spelling) {
        const std::string from = pair[0];
        const std::string to = pair[1];
        for (size_t at = text.find(from); at != std::string::npos;
             at = text.find(from, at + to.size())) {
            text.replace(at, from.size(), to);
        }
    }
    return text;
}

} // namespace

void readoutWindowSize(int width, int height)
{
    windowWidth = width > 0 ? width : 1;
    windowHeight = height > 0 ? height : 1;
}

void readoutPress(int px, int py, bool chartShown)
{
    const Point2 at = toDrawing(px, py);
    crosshair = {onPlot(at.x, chartShown), at.x, at.y}; // off the plots: cleared
}

void readoutDrag(int px, int py, bool chartShown)
{
    const Point2 at = toDrawing(px, py);
    if (crosshair.shown && onPlot(at.x, chartShown)) {
        crosshair = {true, at.x, at.y};
    }
}

void readoutNudge(int dx, int dy, bool chartShown)
{
    // The first press, or one after the chart has gone from under it: the
    // middle of the time plot, on its axis.
    if (!crosshair.shown || !onPlot(crosshair.x, chartShown)) {
        crosshair = {true, (view.axesOrigin.x + view.vibPlotOrigin.x) / 2, view.axesOrigin.y};
        return;
    }
    const double step = onChart(crosshair.x, chartShown) ? view.freqXScale : view.timeScale;
    const double x = crosshair.x + dx * step;
    // The arrows never take it off the plots: a step that would stays put.
    if (onPlot(x, chartShown)) {
        crosshair.x = x;
    }
    crosshair.y = std::fmin(std::fmax(crosshair.y + dy * nudgeStep, -1.0), 1.0);
}

void readoutClear()
{
    crosshair = {false, 0.0, 0.0};
}

std::string readoutText(bool chartShown)
{
    if (crosshair.shown && onChart(crosshair.x, chartShown)) {
        return chartText(crosshair.x, crosshair.y);
    }
    return crosshair.shown && onTimePlot(crosshair.x) ? timePlotText(crosshair.x) : "";
}

void drawReadout(const std::string& text)
{
    // A crosshair left on the chart's half once the chart is gone reads nothing.
    if (!crosshair.shown || text.empty()) {
        return;
    }
    drawLine({crosshair.x, -1.0}, {crosshair.x, 1.0}, crosshairColour);
    drawLine({-1.0, crosshair.y}, {1.0, crosshair.y}, crosshairColour);
    drawTextOnWhite(textX, textY, latin(text).c_str());
}
