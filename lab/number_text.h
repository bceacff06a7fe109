// Numbers as the laboratory's files and codes write them: three significant
// digits for a specimen's values, the shortest text that reads back for
// everything else.
#pragma once

#include <string>

// shortestNumber, the text the CSV files give a number.
#include "model/shortest_decimal.h"

// A positive value as mantissa 100..999 times 10^exponent, rounded to three
// significant digits.
struct ThreeDigits {
    int mantissa;
    int exponent;
};
ThreeDigits threeDigits(double value);

// mantissa * 10^exponent as the nearest double (0.0502, not 0.050200000000000002).
double fromThreeDigits(int mantissa, int exponent);

// value rounded to three significant digits; zero, negative and non-finite
// values as they are.
double roundThreeDigits(double value);
