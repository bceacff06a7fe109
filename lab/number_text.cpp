// Numbers as the laboratory writes them.
#include "lab/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

std::string shortestNumber(double value)
{
    // As the program's CSV files write numbers (app/csv_export.h), which lab/
    // may not include. The program never sets a locale, so %g writes '.'.
    char text[32];
    int digits = 1;
    for (; digits < 17; digits++) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value) {
            break;
        }
    }
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    for (int more = digits + 1; more <= 17 && std::strstr(text, "e+") != nullptr; more++) {
        char longer[32];
        std::snprintf(longer, sizeof longer, "%.*g", more, value);
        if (std::strstr(longer, "e+") == nullptr) {
            std::snprintf(text, sizeof text, "%s", longer);
        }
    }
    return text;
}
