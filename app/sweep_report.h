// What a finished sweep leaves besides its squares: its rows in
// NAME-sweep.csv and, when points did not settle, one line saying why.
#pragma once

#include "sim/frequency_sweep.h"

// Write the finished sweep's rows beside the closed-form values of the
// chart's black curve, then say on standard error why points did not
// settle, if any did not.
void reportSweep(const Sweep& sweep);
