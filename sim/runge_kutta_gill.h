// One Runge-Kutta-Gill integration step.
#pragma once

#include <cstddef>

// One Gill step of length dt for n equations, from yIn at t to yOut at t+dt;
// component i of the right-hand side comes from derivative(i, ...).
// yIn and yOut may be the same array.
void rungeKuttaGill(double t, double dt, const double* yIn, double* yOut, int n);

// How the integrator obtains its zero-filled scratch arrays (calloc unless a
// test puts a failing allocator here to reach the out-of-memory path).
extern void* (*scratchAllocator)(std::size_t count, std::size_t size);
// How it releases them again (free unless a test watches the releases).
extern void (*scratchRelease)(void* p);
