// The least-squares fit of y = A sin(omf t - phi) to a steady vibration's
// samples: the one measurement of amplitude and lag, for the sweep and the key r.
#pragma once

// The sums of y = a sin(omf t) + b cos(omf t) over the samples so far.
struct SineFit {
    double ss, cc, sc, ys, yc;
};

// Add the sample y at phase omf t.
void sineFitAdd(SineFit* fit, double phase, double y);

// The amplitude (m) and the lag (units of pi) of y behind the wave sin(omf t)
// of an excitation of the sign `sign`; false when the sums hold too little.
bool sineFitSolve(const SineFit& fit, double sign, double* amplitude, double* lag);
