// The energy of the window's motion and the power that flows through it,
// read off every integration step: means over the last whole forcing period.
//
// The record keeps the states of the latest steps, so that the means over a
// period cost one pass over that period's steps, whenever they are asked.
#pragma once

#include "model/excitation.h"

// States the record keeps: 2^15 steps of 0.01 s, a forcing period of up to
// 327 s (omf down to 0.02 rad/s).
constexpr int energyRecordCapacity = 32768;

// The latest states of one motion (plain data; written by the routines below).
struct EnergyRecord {
    long samples;                      // states taken since the start, the start's included
    double t[energyRecordCapacity];    // s; sample k in slot k % capacity
    double y[energyRecordCapacity][2]; // m and m/s
};

// Start the record with the state (y0, v0) at time t.
void energyRecordBegin(EnergyRecord* record, double t, double y0, double v0);

// Take the state at the end of the next step.
void energyRecordStep(EnergyRecord* record, double t, double y, double v);

// What the means could be taken over.
enum class EnergyMeansKind {
    period,   // the last whole forcing period
    noForce,  // no force acts (F or omf is 0): the present values instead
    tooShort, // less than one forcing period has run: the present values instead
    tooLong,  // the period is longer than the record holds: the present values instead
};

// The energies (J) and powers (W): their means over the last forcing period
// for EnergyMeansKind::period, else their values at the latest state.
struct EnergyMeans {
    EnergyMeansKind kind;
    double t;      // the latest state's time, s
    double period; // the forcing period 2 pi / omf, s; 0 without a force
    double kinetic;
    double spring;
    double input;
    double damper;
};

// The means of the motion of o that the record holds.
EnergyMeans energyMeans(const EnergyRecord& record, const Oscillator& o);
