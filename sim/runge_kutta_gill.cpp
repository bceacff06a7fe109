// The Gill step's scratch, and its instance for the process-wide model.
#include "sim/runge_kutta_gill.h"

#include <cstdio>
#include <cstdlib>

#include "sim/equation_of_motion.h"

void* (*scratchAllocator)(std::size_t count, std::size_t size) = std::calloc;
void (*scratchRelease)(void* p) = std::free;

// A fresh zeroed block per array and step, and the "memory overflow" exit
// (on standard output, status 1), are kept on purpose: the step takes any n
// with no limit of its own, and that message is what a user sees when memory
// runs out. The allocations cost about 48 ns a step (bench/README-results.md).
double* obtainGillScratch(int n)
{
    void* p = scratchAllocator(static_cast<std::size_t>(n), sizeof(double));
    if (p == nullptr) {
        std::fputs("memory overflow\n", stdout);
        std::exit(1); // exit, not _exit: the message must leave the stdio buffer
    }
    return static_cast<double*>(p);
}

// Advance n equations of the process-wide model by one Gill step.
void rungeKuttaGill(double t, double dt, const double* yIn, double* yOut, int n)
{
    gillStep(derivative, t, dt, yIn, yOut, n);
}
