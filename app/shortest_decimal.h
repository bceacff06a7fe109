// The fewest significant digits that read back as the same double, written
// as printf's %g writes them with that precision: the CSV files' numbers,
// by integer arithmetic instead of a printf and a strtod for every
// precision tried (which cost a frame's row more than its motion).
#pragma once

#include <cstddef>

// Write value into out (size bytes, 32 are enough) as the smallest
// precision P for which "%.*g" with P reads back as value writes it; true
// when done. False, and nothing written, for the values it does not take:
// zero, numbers outside [1e-6, 1e15), not finite, or any whose %g form has
// a positive exponent (the caller writes those out).
bool shortestGeneral(double value, char* out, std::size_t size);
