// What a finished sweep leaves besides its squares: its rows in
// NAME-sweep.csv, when points did not settle one line saying why, and the
// line of the resonance's figures.
#pragma once

#include "sim/frequency_sweep.h"
#include "sim/resonance_search.h"

// Write the finished sweep's rows, its coarse points then those its search
// added, beside the closed-form values of the chart's black curve; say on
// standard error why coarse points did not settle, if any did not; and
// write the resonance's figures as one line on standard output and as a
// row of NAME-measured.csv.
void reportSweep(const Sweep& sweep, const ResonanceSearch& search);
