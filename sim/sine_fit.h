// The least-squares fit of y = A sin(omf t - phi) to samples of a steady
// vibration: the one measurement of amplitude and lag that the sweep and
// the key r share.
#pragma once

// The sums of y = a sin(omf t) + b cos(omf t) over the samples so far.
struct SineFit {
    double ss, cc, sc, ys, yc;
};

// Add the sample y at phase omf t.
void sineFitAdd(SineFit* fit, double phase, double y);

// The amplitude (m) and the lag of y behind the wave sin(omf t) of an
// excitation whose amplitude has the sign `sign` (units of pi), read off
// the sums; false when they hold too little to fit.
bool sineFitSolve(const SineFit& fit, double sign, double* amplitude, double* lag);
