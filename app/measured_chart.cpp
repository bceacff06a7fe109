// The chart of a specimen's measured points.
#include "app/measured_chart.h"

#include <GL/glut.h>

#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "app/sweep_squares.h"
#include "app/view.h"
#include "plot/curves.h"
#include "plot/markers.h"
#include "plot/primitives.h"

namespace
{

// Drawing units the highest measured frequency and amplitude reach at the
// start scales: 0.8 of the right half across, and up to just below the
// legend.
constexpr double frequencyReach = 0.8;
constexpr double amplitudeReach = 0.65;
// The frequency axis's marks: their length, and how many the axis has at most.
constexpr double markLength = 0.015;
constexpr int mostMarks = 12;

const Rgba& amplitudeColour = curveColours[0];
const Rgba& lagColour = colourBlue;

// The largest finite, positive value of a field over the points; fallback when none.
double largest(double Measurement::*field, double fallback)
{
    double most = 0;
    for (int i = 0; i < measurementCount(); i++) {
        const double v = std::fabs(measurementAt(i).*field);
        if (std::isfinite(v) && v > most) {
            most = v;
        }
    }
    return most > 0 ? most : fallback;
}

// A 1-2-5 step of at least span / mostMarks.
double markStep(double span)
{
    const double wanted = span / mostMarks;
    const double decade = std::pow(10.0, std::floor(std::log10(wanted)));
    for (const double step : {1.0, 2.0, 5.0}) {
        if (step * decade >= wanted) {
            return step * decade;
        }
    }
    return 10 * decade;
}

Point2 amplitudePoint(const MeasuredScale& s, const Measurement& p)
{
    return {view.freqPlotOrigin.x + p.omf * s.perRadPerS,
            view.freqPlotOrigin.y + p.amplitude * s.perMetre};
}

Point2 lagPoint(const MeasuredScale& s, const Measurement& p)
{
    return {view.freqPlotOrigin.x + p.omf * s.perRadPerS,
            view.freqPlotOrigin.y + p.phaseLag * s.perPi};
}

// Marks and numbers along the frequency axis, and the axis's name.
void drawFrequencyMarks(const MeasuredScale& s)
{
    const double right = 1.0 - view.freqPlotOrigin.x;
    const double step = markStep(right / s.perRadPerS);
    for (int k = 1; k * step * s.perRadPerS < right; k++) {
        const double x = view.freqPlotOrigin.x + k * step * s.perRadPerS;
        drawLine({x, view.freqPlotOrigin.y - markLength}, {x, view.freqPlotOrigin.y + markLength},
                 colourBlack);
        if (k % 2 == 0) {
            char number[32];
            std::snprintf(number, sizeof number, "%g", k * step);
            drawText(static_cast<float>(x - 0.01), static_cast<float>(view.freqPlotOrigin.y - 0.05),
                     GLUT_BITMAP_HELVETICA_18, number);
        }
    }
}

} // namespace

MeasuredScale measuredScale()
{
    // With no points yet the axes stand ready for ten rad/s and a metre.
    const double omfMost = largest(&Measurement::omf, 10.0);
    const double ampMost = largest(&Measurement::amplitude, 1.0);
    return {frequencyReach * (view.freqXScale / startFreqXScale) / omfMost,
            amplitudeReach * (view.zetaAmpScale[0] / startYScale) / ampMost,
            view.zetaPhaseScale[0]};
}

void drawMeasuredChart()
{
    const MeasuredScale s = measuredScale();
    char line[128];
    drawText(0.01f, 0.9f, GLUT_BITMAP_HELVETICA_18, "measured points (key r)");
    drawText(0.01f, 0.85f, GLUT_BITMAP_HELVETICA_18, "red: amplitude A, up");
    std::snprintf(line, sizeof line, "top mark: A=%.4g m", amplitudeReach / s.perMetre);
    drawText(0.01f, 0.8f, GLUT_BITMAP_HELVETICA_18, line);
    drawText(0.01f, 0.75f, GLUT_BITMAP_HELVETICA_18, "blue: phase lag Phi, down to 180deg");
    drawText(0.75f, 0.05f, GLUT_BITMAP_HELVETICA_18, "wf [rad/s]");

    drawFrequencyMarks(s);
    // The amplitude's top mark and the lag of 180 degrees on the left edge.
    const double left = view.freqPlotOrigin.x;
    drawLine({left, view.freqPlotOrigin.y + amplitudeReach},
             {left + 2 * markLength, view.freqPlotOrigin.y + amplitudeReach}, amplitudeColour);
    drawLine({left, view.freqPlotOrigin.y + s.perPi},
             {left + 2 * markLength, view.freqPlotOrigin.y + s.perPi}, lagColour);

    for (int i = 0; i < measurementCount(); i++) {
        const Measurement& p = measurementAt(i);
        if (!std::isfinite(p.amplitude) || !std::isfinite(p.phaseLag)) {
            continue;
        }
        // Hollow where the motion had not settled, as the sweep's squares.
        const auto mark = p.settled ? drawSquare : drawSquareOutline;
        mark(amplitudePoint(s, p), sweepSquareHalfSide, amplitudeColour);
        mark(lagPoint(s, p), sweepSquareHalfSide, lagColour);
    }
}

const Measurement* measuredPointNear(double x, double y)
{
    const MeasuredScale s = measuredScale();
    const double reach = sweepSquareReach;
    for (int i = 0; i < measurementCount(); i++) {
        const Measurement& p = measurementAt(i);
        const Point2 a = amplitudePoint(s, p);
        const Point2 l = lagPoint(s, p);
        if (std::fabs(x - a.x) <= reach &&
            (std::fabs(y - a.y) <= reach || std::fabs(y - l.y) <= reach)) {
            return &p;
        }
    }
    return nullptr;
}
