// Numbers as the laboratory writes them.
#include "lab/number_text.h"

#include <cmath>

// Exact powers of ten, so that rounding is the same on every platform
// (no pow or log10 of a C library in the way).
static double powerOfTen(int exponent)
{
    double power = 1;
    for (int i = 0; i < (exponent < 0 ? -exponent : exponent); i++) {
        power *= 10;
    }
    return exponent < 0 ? 1 / power : power;
}

ThreeDigits threeDigits(double value)
{
    int p = 0;
    while (value >= powerOfTen(p + 1) && p < 300) {
        p++;
    }
    while (value < powerOfTen(p) && p > -300) {
        p--;
    }
    const int exponent = p - 2;
    // Divide by an exact power of ten rather than multiply by an inexact one.
    double scaled = exponent >= 0 ? value / powerOfTen(exponent) : value * powerOfTen(-exponent);
    long mantissa = std::lround(scaled);
    if (mantissa >= 1000) {
        return {100, exponent + 1};
    }
    if (mantissa < 100) {
        return {static_cast<int>(mantissa * 10), exponent - 1};
    }
    return {static_cast<int>(mantissa), exponent};
}

double fromThreeDigits(int mantissa, int exponent)
{
    return exponent >= 0 ? mantissa * powerOfTen(exponent) : mantissa / powerOfTen(-exponent);
}

double roundThreeDigits(double value)
{
    if (!(value > 0) || !std::isfinite(value)) {
        return value;
    }
    const ThreeDigits digits = threeDigits(value);
    return fromThreeDigits(digits.mantissa, digits.exponent);
}
