// How the window draws the plots: the scales the zoom keys change and the
// anchors of the figures, all put back to their start by every dialog pass.
#pragma once

#include <string>

#include "model/state.h"
#include "plot/drawing_types.h"

// Start values of the view, drawing units. The tests and the end-to-end
// checks read the picture's geometry from these.
constexpr double startYScale = 0.5;       // per metre of the vibration plot and the amplitudes
constexpr double startTimeScale = 0.004;  // per history sample: 10 s fill one drawing unit
constexpr double startFreqXScale = 0.005; // per table sample: ratio 1 a quarter across the chart
constexpr double startPhaseScale = -0.8;  // per unit of pi: a lag of pi is 0.8 below the axis
constexpr Point2 startVibPlotOrigin = {0.01, 0}; // left end of the mass's string
constexpr Point2 startAxesOrigin = {-0.99, 0};   // crossing point of the time axes

struct View {
    double yScale;                        // drawing units per metre of the vibration plot
    double timeScale;                     // drawing units per history sample
    double freqXScale;                    // drawing units per table sample of the chart
    double zetaAmpScale[zetaTableSize];   // vertical scale of each amplitude curve
    double zetaPhaseScale[zetaTableSize]; // the same of each phase curve (negative: downwards)
    Point2 vibPlotOrigin;                 // left anchor of the mass figure
    Point2 axesOrigin;                    // crossing point of the axes
    Point2 freqPlotOrigin;                // origin of the frequency chart
};

// Written by the zoom keys and resetView, read by every frame.
extern View view;

// Put every scale and anchor back to its start value.
void resetView();

// The chart's geometry, both ways: a frequency ratio, an amplitude (m) and a
// lag (units of pi) to drawing units, and a drawing x back to its ratio. The
// ratio sits at its fractional table index ratio/freqStep.
double chartX(double ratio);
double chartAmplitudeY(double amplitude);
double chartLagY(double lag);
double chartRatioAt(double x);

// The chart's list of its damping ratios, "zeta={0, 0.02, ..., 5}", as both
// of its kinds (amplitude and phase, or the energy view's power) name them.
std::string zetaLabel();
