// The energy view (the key e): beside the mass, bars of the kinetic and the
// spring's energy and of the power the force puts in and the damper takes
// out; the chart, while it is on, draws the mean input power against the
// frequency ratio; one line on standard output with the means over the
// last forcing period. Not in a specimen's run, where it would give away
// m and K.
#pragma once

#include <string>

#include "app/csv_export.h"
#include "sim/energy_means.h"

// Show the view, or hide it again, and say the means on standard output as
// it comes on. In a specimen's run only say that it is not available. True
// when the picture changed.
bool energyViewToggle();

// True while the view is on show.
bool energyViewShown();

// Take note of the window's step just taken (run.t and run.state): the
// display frame calls it after every step. A run's first step starts a new
// record.
void energyViewRecordStep();

// The means over the last forcing period of the window's motion so far.
EnergyMeans energyViewMeans();

// The line the view prints: the means, or what was measured instead. No
// newline at the end.
std::string energyMeansText(const EnergyMeans& means);

// The energies and powers at the present state, for the motion file.
CsvEnergyColumns energyColumnsNow();

// Draw the four bars beside the mass.
void drawEnergyBars();

// Draw the chart of the mean input power: the nine tabulated zetas and the
// entered one against the frequency ratio, the entered frequency's point,
// the sweep's measured powers, and the entered zeta's half-power ratios.
void drawPowerChart();
