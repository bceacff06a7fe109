// Whether the run is a specimen's: a system whose m, lambda and K are hidden.
//
// Decided once, when the run starts (--specimen, or the page's link), by
// specimenBegin and written by nothing else; every output that could show
// the system (the dialog, the picture, the readout, the key r, the CSV
// files, the snapshot) asks specimenState.active before it does.
#pragma once

#include <string>

struct SpecimenState {
    bool active;      // the system is hidden: m, lambda, K and all that follows from them
    std::string code; // the specimen's code in its printed form
    double tolerance; // relative error an answer may have, e.g. 0.03
    bool feedback;    // the hand-in says of each answer whether it is within tolerance
};

// Written only by specimenBegin (and resetAllState).
extern SpecimenState specimenState;

// Make the run a specimen's: m, lambda and K go into params (so that the
// integrator and the measurements use them unchanged) with their om0 and
// zeta, and the code is kept to name the specimen.
void specimenBegin(const std::string& code, double m, double lambda, double K, double tolerance,
                   bool feedback);

// Metres of the time plot per grid cell, as its legend says.
constexpr double plotGridMetres = 0.2;

// Newtons per cell of the time plot's grid for the force of amplitude F: a
// 1-2-5 step so that the force spans about one and a half cells.
double specimenForceGrid(double F);

// The force the excitation puts on the mass, N (model/excitation.h).
double appliedForce(double t);

// The excitation row of the history at time t: F(t)/K in metres (u(t) for
// a moving base, model/excitation.h), or in a specimen, whose K is hidden, F(t) in newtons at the
// grid's scale (a cell of 0.2 m stands for specimenForceGrid(F) newtons).
double forceSample(double t);
