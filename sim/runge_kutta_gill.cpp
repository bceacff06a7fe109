// One Runge-Kutta-Gill integration step for n first-order equations.
#include "sim/runge_kutta_gill.h"

#include <cstdio>
#include <cstdlib>

#include "sim/equation_of_motion.h"

namespace
{

// Gill's coefficients as the short decimals the method is usually quoted with,
// eight or nine digits, not the exact 1 - 1/sqrt(2), 1 + 1/sqrt(2) and 1/6.
// Kept on purpose: every motion the program draws follows from these very
// numbers, and the reference steps of the tests tell them from the exact ones.
constexpr double gillStage2 = 0.292893219; // stands for 1 - 1/sqrt(2)
constexpr double gillStage3 = 1.70710678;  // stands for 1 + 1/sqrt(2)
constexpr double gillWeight = 0.16666667;  // weight of the last stage, stands for 1/6
constexpr double halfStep = 0.5;           // first-stage weight and mid-step time offset
constexpr double carryFactor = 3.0;        // carry factor of stages 1 to 3
constexpr double lastCarryFactor = 2.0;    // factor of the carry in the last stage

// Obtain one zero-filled scratch array of n doubles, or end the process.
// A fresh zeroed block per array and step, and the "memory overflow" exit
// (on standard output, status 1), are kept on purpose: the step takes any n
// with no limit of its own, and that message is what a user sees when memory
// runs out. The allocations cost about 48 ns a step (bench/README-results.md).
double* obtainScratch(int n)
{
    void* p = scratchAllocator(static_cast<std::size_t>(n), sizeof(double));
    if (p == nullptr) {
        std::fputs("memory overflow\n", stdout);
        std::exit(1); // exit, not _exit: the message must leave the stdio buffer
    }
    return static_cast<double*>(p);
}

} // namespace

void* (*scratchAllocator)(std::size_t count, std::size_t size) = std::calloc;
void (*scratchRelease)(void* p) = std::free;

// Advance n equations by one Gill step of length dt from yIn at t into yOut.
void rungeKuttaGill(double t, double dt, const double* yIn, double* yOut, int n)
{
    double* y1 = obtainScratch(n);
    double* y2 = obtainScratch(n);
    double* y3 = obtainScratch(n);
    double* q1 = obtainScratch(n);
    double* q2 = obtainScratch(n);
    double* q3 = obtainScratch(n);

    // Each stage finishes every component before the next stage starts, so
    // derivative always sees the complete vector of the previous stage.
    // yIn is read only here, which is what lets yOut be the same array.
    for (int i = 0; i < n; i++) {
        double k = derivative(i, t, yIn) * dt;
        double r = halfStep * k;
        y1[i] = yIn[i] + r;
        q1[i] = carryFactor * r - halfStep * k;
    }
    for (int i = 0; i < n; i++) {
        double k = derivative(i, halfStep * dt + t, y1) * dt;
        double r = (k - q1[i]) * gillStage2;
        y2[i] = y1[i] + r;
        q2[i] = (carryFactor * r + q1[i]) - gillStage2 * k;
    }
    for (int i = 0; i < n; i++) {
        double k = derivative(i, halfStep * dt + t, y2) * dt;
        double r = (k - q2[i]) * gillStage3;
        y3[i] = y2[i] + r;
        q3[i] = (carryFactor * r + q2[i]) - gillStage3 * k;
    }
    for (int i = 0; i < n; i++) {
        double k = derivative(i, t + dt, y3) * dt;
        double r = (k - lastCarryFactor * q3[i]) * gillWeight;
        yOut[i] = y3[i] + r;
    }

    scratchRelease(y1);
    scratchRelease(y2);
    scratchRelease(y3);
    scratchRelease(q1);
    scratchRelease(q2);
    scratchRelease(q3);
}
