// The shortest %g form of a double, by exact integer arithmetic.
//
// |value| = M 2^-s exactly (M < 2^53, s > 0 in the range taken). For each
// precision P from 1 up, the digits %.*g writes are N = M 10^k / 2^s
// rounded half to even (k = P - 1 - X, X the decimal exponent), as printf
// rounds the exact value; they read back as the value when N 10^-k lies in
// the value's rounding interval, the halves of the gaps to its neighbours,
// which strtod, rounding correctly, maps onto the value.
#include "model/shortest_decimal.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

// 128 bits: GCC and Clang have them on every target the program builds for.
__extension__ typedef unsigned __int128 Wide;

// The range taken: every product below stays under 2^125 (at 1e-4, a
// 17-digit N times 2^(s+2) is about 2^124.8).
constexpr double smallestTaken = 1e-4;
constexpr double largestTaken = 1e15;
// The most digits a double needs to read back.
constexpr int mostDigits = 17;
// The precision tried first: most of the motion's numbers need 16 or 17.
constexpr int likelyDigits = 16;

// 10^n for n from 0 to 38, the most 128 bits hold.
struct Powers {
    Wide of[39];
};
constexpr Powers powers = [] {
    Powers p = {};
    p.of[0] = 1;
    for (int n = 1; n < 39; n++) {
        p.of[n] = p.of[n - 1] * 10;
    }
    return p;
}();

Wide power10(int n)
{
    return powers.of[n];
}

// What compare gives when a product would not fit; never in the range taken.
constexpr int cannotTell = 2;

// -1, 0 or 1 as a 10^q compares with b 2^-t (t >= 0), or cannotTell.
int compare(std::uint64_t a, int q, Wide b, int t)
{
    // Both sides times 2^t, and times 10^-q when q < 0.
    Wide left = a;
    Wide right = b;
    if (q >= 0) {
        left *= power10(q);
    } else {
        right *= power10(-q);
    }
    if (t >= 126 || (left >> (126 - t)) != 0 || (right >> 126) != 0) {
        return cannotTell;
    }
    left <<= t;
    return left < right ? -1 : (left > right ? 1 : 0);
}

// The digits m 10^k / 2^s rounded half to even; 10^p when the rounding to
// p digits carries.
std::uint64_t digitsAt(std::uint64_t m, int s, int k)
{
    const Wide one = 1;
    Wide n = 0;
    Wide twice = 0; // twice the remainder, against the divisor
    Wide divisor = one << s;
    if (k >= 0) {
        // A power of two divides: a shift, not a 128-bit division.
        const Wide numerator = m * power10(k);
        n = numerator >> s;
        twice = (numerator & (divisor - 1)) << 1;
    } else {
        divisor *= power10(-k);
        n = m / divisor;
        twice = 2 * (m % divisor);
    }
    if (twice > divisor || (twice == divisor && (n & 1) != 0)) {
        n++;
    }
    return static_cast<std::uint64_t>(n);
}

// The value m 2^-s with decimal exponent x10 at precision p: its digits n,
// its exponent x once rounded, and whether they read back as the value.
struct Trial {
    std::uint64_t n;
    int x;
    int verdict; // 1 reads back, 0 does not, cannotTell
};

// Write the trial's digits at precision p as %g writes them; false for the
// e+XX form, which the caller writes out whole.
bool writeGeneral(const Trial& found, int p, bool negative, char* out)
{
    std::uint64_t n = found.n;
    const int x = found.x;
    if (x >= p) {
        return false; // %g writes e+XX: the caller writes whole numbers out
    }
    char digits[mostDigits + 1];
    for (int i = p - 1; i >= 0; i--) {
        digits[i] = static_cast<char>('0' + n % 10);
        n /= 10;
    }
    int used = p; // the digits left once trailing zeros go, as %g drops them
    while (used > 1 && digits[used - 1] == '0') {
        used--;
    }
    char* at = out;
    if (negative) {
        *at++ = '-';
    }
    if (x < -4) {
        // d.ddde-XX
        *at++ = digits[0];
        if (used > 1) {
            *at++ = '.';
            std::memcpy(at, digits + 1, static_cast<std::size_t>(used - 1));
            at += used - 1;
        }
        const int exponent = -x;
        *at++ = 'e';
        *at++ = '-';
        *at++ = static_cast<char>('0' + exponent / 10);
        *at++ = static_cast<char>('0' + exponent % 10);
    } else if (x >= 0) {
        // The first x + 1 digits before the point (all of them there when
        // fewer are left), the rest after it.
        for (int i = 0; i <= x; i++) {
            *at++ = i < used ? digits[i] : '0';
        }
        if (used > x + 1) {
            *at++ = '.';
            std::memcpy(at, digits + x + 1, static_cast<std::size_t>(used - x - 1));
            at += used - x - 1;
        }
    } else {
        // 0.000ddd
        *at++ = '0';
        *at++ = '.';
        for (int i = 0; i < -x - 1; i++) {
            *at++ = '0';
        }
        std::memcpy(at, digits, static_cast<std::size_t>(used));
        at += used;
    }
    *at = '\0';
    return true;
}

} // namespace

bool shortestGeneral(double value, char* out, std::size_t size)
{
    const double magnitude = std::fabs(value);
    if (!(magnitude >= smallestTaken && magnitude < largestTaken) || size < 32) {
        return false;
    }
    int e = 0;
    const double fraction = std::frexp(magnitude, &e);
    const std::uint64_t m = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    const int s = 53 - e; // magnitude = m 2^-s, s > 0 below 2^53
    // The decimal exponent: 10^x10 <= magnitude < 10^(x10 + 1).
    int x10 = static_cast<int>(std::floor(std::log10(magnitude)));
    while (compare(1, x10, m, s) == 1) {
        x10--;
    }
    while (compare(1, x10 + 1, m, s) <= 0) {
        x10++;
    }
    // The rounding interval, as (2m -+ 1) 2^-(s+1); below a power of two the
    // gap under it is half as wide. Its ends read back as the value when m
    // is even (round half to even).
    const bool powerOfTwo = m == (static_cast<std::uint64_t>(1) << 52);
    const Wide lowNumerator =
        powerOfTwo ? 4 * static_cast<Wide>(m) - 1 : 2 * static_cast<Wide>(m) - 1;
    const int lowShift = powerOfTwo ? s + 2 : s + 1;
    const Wide highNumerator = 2 * static_cast<Wide>(m) + 1;
    const bool endsIn = (m & 1) == 0;

    const auto trial = [&](int p) {
        Trial t = {0, x10, 0};
        int k = p - 1 - t.x;
        t.n = digitsAt(m, s, k);
        if (t.n == static_cast<std::uint64_t>(power10(p))) {
            t.n /= 10;
            t.x++;
            k--;
        }
        const int low = compare(t.n, -k, lowNumerator, lowShift);
        const int high = compare(t.n, -k, highNumerator, s + 1);
        if (low == cannotTell || high == cannotTell) {
            t.verdict = cannotTell;
        } else {
            t.verdict = (low > 0 || (low == 0 && endsIn)) && (high < 0 || (high == 0 && endsIn));
        }
        return t;
    };
    // More digits are never farther from the value than fewer (the fewer
    // are among them), so once some precision reads back every greater one
    // does, and halving the range finds the least; except below a power of
    // two, where the gap under the value is the narrower and a nearer
    // number under it may not read back where a farther one over it did:
    // there every precision is tried in turn.
    // The least precision that reads back, and its trial, kept so that the
    // digits are not worked out twice.
    Trial found = {0, x10, 0};
    if (powerOfTwo) {
        int p = 1;
        for (found = trial(p); p < mostDigits && found.verdict == 0; found = trial(++p)) {
        }
        if (found.verdict != 1) {
            return false;
        }
        return writeGeneral(found, p, value < 0, out);
    }
    // Most of the motion's numbers need 16 or 17 digits: look there first,
    // so that two trials settle most numbers.
    int lo = 1;
    int hi = likelyDigits;
    found = trial(likelyDigits);
    if (found.verdict == cannotTell) {
        return false;
    }
    if (found.verdict == 0) {
        // 17 digits always read back.
        lo = hi = mostDigits;
        found = trial(mostDigits);
    }
    while (lo < hi) {
        // The next below is the likeliest to fail; then halve the range.
        const int mid = hi == likelyDigits ? hi - 1 : (lo + hi) / 2;
        const Trial t = trial(mid);
        if (t.verdict == cannotTell) {
            return false;
        }
        if (t.verdict == 1) {
            hi = mid;
            found = t;
        } else {
            lo = mid + 1;
        }
    }
    if (found.verdict != 1) {
        return false;
    }
    return writeGeneral(found, hi, value < 0, out);
}

std::string shortestNumber(double value)
{
    char text[32];
    if (shortestGeneral(value, text, sizeof text)) {
        return text;
    }
    return shortestNumberBySearch(value);
}

std::string shortestNumberBySearch(double value)
{
    // The program never sets a locale, so %g writes '.' as the decimal point.
    // (std::to_chars would do the same, but the web build's C++ library has
    // it only for integers.)
    char text[32];
    const auto readsBack = [&](int p) {
        std::snprintf(text, sizeof text, "%.*g", p, value);
        return std::strtod(text, nullptr) == value;
    };
    int e = 0;
    const bool powerOfTwo = std::frexp(value, &e) == 0.5 || std::frexp(value, &e) == -0.5;
    int digits = 1;
    if (!std::isfinite(value) || value == 0 || powerOfTwo) {
        // Every precision in turn (see shortestGeneral: below a power of two a
        // nearer number may not read back where a farther one did).
        while (digits < mostDigits && !readsBack(digits)) {
            digits++;
        }
    } else if (!readsBack(likelyDigits)) {
        // As shortestGeneral looks, for the values it does not take (the
        // motion's and the energies' small ones near a zero crossing): each
        // try is a printf and a strtod, which the web build does in software.
        digits = mostDigits;
    } else {
        int lo = 1;
        int hi = likelyDigits;
        while (lo < hi) {
            const int mid = hi == likelyDigits ? hi - 1 : (lo + hi) / 2;
            if (readsBack(mid)) {
                hi = mid;
            } else {
                lo = mid + 1;
            }
        }
        digits = hi;
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
