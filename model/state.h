// The process-wide state of the simulator, grouped by concern; all of it
// starts at zero. One thread: the console dialog writes the parameters,
// derived quantities and tables; the display frame and resetRun the run; the
// keyboard lastKey. The window keeps its own view scales (app/view.h).
#pragma once

#include "model/excitation.h"

// Slots of one history row and of one frequency-table row.
constexpr int rowLength = 501;
// Number of tabulated damping ratios.
constexpr int zetaTableSize = 9;

// What the user typed into the console dialog (SI units).
struct Parameters {
    Oscillator system; // m, lambda, K and the excitation
    double y0;         // initial displacement, m
    double v0;         // initial velocity, m/s
};

// Quantities the dialog derives from the parameters.
struct Derived {
    double om0;       // natural angular frequency, rad/s
    double zeta;      // damping ratio, 1
    double As;        // the response's scale, m: static deflection F/K, base U, or me e / m
    double freqRatio; // omf / om0, 1
    double Ad;        // steady-state amplitude, m
    double phaseLag;  // lag of the steady state behind the excitation, in units of pi
};

// The frequency-response curves, filled by the dialog. The rows of zetaAmp
// and zetaPhase lie back to back: the chart takes each at a stride of rowLength.
struct Tables {
    double freqStep;                            // frequency-ratio step between samples (0.02)
    int freqPoints;                             // steps per curve (300: ratios 0..6)
    int zetaCount;                              // tabulated damping ratios in use (9)
    double givenAmp[rowLength];                 // amplitude for the entered zeta, m
    double givenPhase[rowLength];               // phase for the entered zeta, units of pi
    double zetaAmp[zetaTableSize][rowLength];   // row i: amplitude for zetaTable[i]
    double zetaPhase[zetaTableSize][rowLength]; // row i: phase for zetaTable[i]
};

// The damping ratios of the chart, in the order of its colours.
extern const double zetaTable[zetaTableSize];

// The running simulation; the dialog keys m, g and j set its clock back to 0.
struct Run {
    double t;            // simulated time, s
    double state[2];     // displacement y (m) and velocity v (m/s)
    double stepStart[2]; // copy of state taken before each step
    int histIndex;       // slot of the newest history sample
    // Row 0 is y(t) in m, row 1 the excitation's row (model/specimen_state.h's
    // forceSample): one block, which the plot reads at a stride of rowLength.
    double history[2][rowLength];
};

// Integration step, s.
constexpr double dt = 0.01;
// Integration steps per redraw; a double, compared with an int counter.
constexpr double stepsPerFrame = 4.0;
// Simulated time one redraw advances, s (0.04).
constexpr double frameTime = stepsPerFrame * dt;

extern Parameters params;
extern Derived derived;
extern Tables tables;
extern Run run;

// The last key typed in the window ('m' before the first dialog): the
// dialog's entry point, and whether the frame draws the chart.
extern char lastKey;

// The two history rows by name.
inline double* yHistory()
{
    return run.history[0];
}
inline double* forceHistory()
{
    return run.history[1];
}

// Put every process-wide variable back to its value at process start (for tests).
void resetAllState();
