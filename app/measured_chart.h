// A specimen's chart (the key f): the student's own measured points
// (app/measurements.h) against the forcing frequency in rad/s, amplitude
// upwards and lag downwards, on scales chosen from the points alone: no
// theory curve, nothing of the hidden system.
#pragma once

#include "app/measurements.h"

// Where the chart puts its points: drawing units per rad/s across, per
// metre of amplitude upwards and per pi of lag (negative: downwards), from
// the measured points and the zoom keys' scales of app/view.h.
struct MeasuredScale {
    double perRadPerS;
    double perMetre;
    double perPi;
};
MeasuredScale measuredScale();

// Draw the chart: its legend, the frequency axis's marks and the points.
void drawMeasuredChart();

// The measured point whose square (amplitude or lag) lies near (x, y), or null.
const Measurement* measuredPointNear(double x, double y);
