// The fewest significant digits that read back as the same double, written
// as printf's %g writes them with that precision, '.' as the decimal point:
// how the CSV files, the laboratory's files and its codes write numbers.
#pragma once

#include <cstddef>
#include <string>

// The text of value: shortest round trip, whole numbers up to 17 digits
// written out (100000, not 1e+05).
std::string shortestNumber(double value);

// The same text found by printf's %g and strtod, trying precisions until
// the least that reads back: what shortestNumber gives, the slow way (the
// values shortestGeneral does not take).
std::string shortestNumberBySearch(double value);

// The fast path of shortestNumber, by integer arithmetic instead of a printf
// and a strtod for every precision tried (which cost a frame's row more
// than its motion).

// Write value into out (size bytes, 32 are enough) as the smallest
// precision P for which "%.*g" with P reads back as value writes it; true
// when done. False, and nothing written, for the values it does not take:
// zero, numbers outside [1e-15, 1e15), not finite, or any whose %g form has
// a positive exponent (the caller writes those out).
bool shortestGeneral(double value, char* out, std::size_t size);
