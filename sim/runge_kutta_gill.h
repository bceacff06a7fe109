// One Runge-Kutta-Gill integration step, for any system of first-order
// equations: the step is handed its right-hand side.
#pragma once

#include <cstddef>

// How the integrator obtains its zero-filled scratch arrays (calloc unless a
// test puts a failing allocator here to reach the out-of-memory path).
extern void* (*scratchAllocator)(std::size_t count, std::size_t size);
// How it releases them again (free unless a test watches the releases).
extern void (*scratchRelease)(void* p);

// One zero-filled scratch array of n doubles from scratchAllocator; prints
// "memory overflow" and ends the process (status 1) when there is none.
double* obtainGillScratch(int n);

// Gill's coefficients as the short decimals the method is usually quoted with,
// eight or nine digits, not the exact 1 - 1/sqrt(2), 1 + 1/sqrt(2) and 1/6.
// Kept on purpose: every motion the program draws follows from these very
// numbers, and the reference steps of the tests tell them from the exact ones.
constexpr double gillStage2 = 0.292893219; // stands for 1 - 1/sqrt(2)
constexpr double gillStage3 = 1.70710678;  // stands for 1 + 1/sqrt(2)
constexpr double gillWeight = 0.16666667;  // weight of the last stage, stands for 1/6
constexpr double gillHalf = 0.5;           // first-stage weight and mid-step time offset
constexpr double gillCarry = 3.0;          // carry factor of stages 1 to 3
constexpr double gillLastCarry = 2.0;      // factor of the carry in the last stage

// Six scratch arrays of n doubles each that a Gill step works in: y1, y2,
// y3 for the stages, q1, q2, q3 for their carries.
struct GillScratch {
    double* y1;
    double* y2;
    double* y3;
    double* q1;
    double* q2;
    double* q3;
};

// One Gill step in the caller's scratch: gillStep's arithmetic to the last
// bit, for a measurement that re-runs many steps and cannot afford an
// allocation per step. The scratch needs no zeroing: every element is
// written before it is read.
template <typename Rhs>
void gillStepIn(const GillScratch& w, Rhs&& rhs, double t, double dt, const double* yIn,
                double* yOut, int n)
{
    double* y1 = w.y1;
    double* y2 = w.y2;
    double* y3 = w.y3;
    double* q1 = w.q1;
    double* q2 = w.q2;
    double* q3 = w.q3;

    // Each stage finishes every component before the next stage starts, so
    // rhs always sees the complete vector of the previous stage. yIn is read
    // only here, which is what lets yOut be the same array.
    for (int i = 0; i < n; i++) {
        double k = rhs(i, t, yIn) * dt;
        double r = gillHalf * k;
        y1[i] = yIn[i] + r;
        q1[i] = gillCarry * r - gillHalf * k;
    }
    for (int i = 0; i < n; i++) {
        double k = rhs(i, gillHalf * dt + t, y1) * dt;
        double r = (k - q1[i]) * gillStage2;
        y2[i] = y1[i] + r;
        q2[i] = (gillCarry * r + q1[i]) - gillStage2 * k;
    }
    for (int i = 0; i < n; i++) {
        double k = rhs(i, gillHalf * dt + t, y2) * dt;
        double r = (k - q2[i]) * gillStage3;
        y3[i] = y2[i] + r;
        q3[i] = (gillCarry * r + q2[i]) - gillStage3 * k;
    }
    for (int i = 0; i < n; i++) {
        double k = rhs(i, t + dt, y3) * dt;
        double r = (k - gillLastCarry * q3[i]) * gillWeight;
        yOut[i] = y3[i] + r;
    }
}

// One Gill step of length dt for n equations, from yIn at t to yOut at t+dt;
// component i of the right-hand side is rhs(i, t, y), a double. yIn and yOut
// may be the same array. Six scratch arrays are obtained and released per
// step, so that any n is taken with no limit of the step's own.
template <typename Rhs>
void gillStep(Rhs&& rhs, double t, double dt, const double* yIn, double* yOut, int n)
{
    const GillScratch w = {obtainGillScratch(n), obtainGillScratch(n), obtainGillScratch(n),
                           obtainGillScratch(n), obtainGillScratch(n), obtainGillScratch(n)};
    gillStepIn(w, rhs, t, dt, yIn, yOut, n);
    scratchRelease(w.y1);
    scratchRelease(w.y2);
    scratchRelease(w.y3);
    scratchRelease(w.q1);
    scratchRelease(w.q2);
    scratchRelease(w.q3);
}

// The window's step: gillStep with the process-wide equation of motion,
// derivative() of sim/equation_of_motion.h.
void rungeKuttaGill(double t, double dt, const double* yIn, double* yOut, int n);
