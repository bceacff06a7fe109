// The shortest %g form of a double, by exact integer arithmetic.
//
// |value| = M 2^-s exactly (M < 2^53, s > 0 in the range taken). For each
// precision P the digits %.*g writes are N = M 10^k / 2^s rounded half to
// even (k = P - 1 - X, X the decimal exponent), as printf rounds the exact
// value; they read back as the value when N 10^-k lies in the value's
// rounding interval, the halves of the gaps to its neighbours, which
// strtod, rounding correctly, maps onto the value. The exact value and the
// interval's ends are scaled to 17 digits once, in 128 bits; every P is
// then a division and two comparisons in 64.
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

// The range taken. The value scaled to 17 digits is m 5^k / 2^(s-k) with
// k = 16 - X from 2 to 31 (16 - X at most 32 while X is found): m 5^k, and
// the rounding interval's (4m - 1) 5^k, stay under 2^127.
constexpr double smallestTaken = 1e-15;
constexpr double largestTaken = 1e15;
// The most digits a double needs to read back.
constexpr int mostDigits = 17;
// The precision tried first: most of the motion's numbers need 16 or 17.
constexpr int likelyDigits = 16;

// 5^n for n from 0 to 32, and 10^n for n from 0 to 17.
struct Powers {
    Wide five[33];
    std::uint64_t ten[mostDigits + 1];
};
constexpr Powers powers = [] {
    Powers p = {};
    p.five[0] = 1;
    for (int n = 1; n < 33; n++) {
        p.five[n] = p.five[n - 1] * 5;
    }
    p.ten[0] = 1;
    for (int n = 1; n <= mostDigits; n++) {
        p.ten[n] = p.ten[n - 1] * 10;
    }
    return p;
}();

// numerator 2^-shift: its whole part, and how the rest compares with one
// half (0 none, 1 under, 2 a half, 3 over).
struct Scaled {
    std::uint64_t whole;
    int rest;
};

Scaled scaled(Wide numerator, int shift)
{
    if (shift <= 0) {
        return {static_cast<std::uint64_t>(numerator << -shift), 0};
    }
    const Wide one = 1;
    const Wide rest = numerator & ((one << shift) - 1);
    const Wide half = one << (shift - 1);
    const int place = rest == 0 ? 0 : (rest < half ? 1 : (rest == half ? 2 : 3));
    return {static_cast<std::uint64_t>(numerator >> shift), place};
}

// The value m 2^-s with decimal exponent x10 at precision p: its digits n,
// its exponent x once rounded, and whether they read back as the value.
struct Trial {
    std::uint64_t n;
    int x;
    bool readsBack;
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
    // The decimal exponent X (10^X <= magnitude < 10^(X + 1)), from the
    // binary one, which gives X or X - 1; and the value's 17 digits, rounded
    // down: m 10^k 2^-s with k = 16 - X, which lies in [10^16, 10^17).
    int x10 = static_cast<int>(std::floor((e - 1) * 0.30102999566398120));
    Scaled digits = scaled(m * powers.five[16 - x10], s - (16 - x10));
    while (digits.whole >= powers.ten[mostDigits]) {
        x10++;
        digits = scaled(m * powers.five[16 - x10], s - (16 - x10));
    }
    if (digits.whole < powers.ten[mostDigits - 1]) {
        return false; // not so: the estimate is never above X
    }
    const int k = 16 - x10;
    // The rounding interval, as (2m -+ 1) 2^-(s+1), scaled as the digits;
    // below a power of two the gap under it is half as wide. Its ends read
    // back as the value when m is even (round half to even).
    const bool powerOfTwo = m == (static_cast<std::uint64_t>(1) << 52);
    const Wide lowNumerator =
        powerOfTwo ? 4 * static_cast<Wide>(m) - 1 : 2 * static_cast<Wide>(m) - 1;
    const Scaled low = scaled(lowNumerator * powers.five[k], (powerOfTwo ? s + 2 : s + 1) - k);
    const Scaled high = scaled((2 * static_cast<Wide>(m) + 1) * powers.five[k], s + 1 - k);
    const bool endsIn = (m & 1) == 0;

    // The digits at precision p: the 17 rounded half to even as printf
    // rounds the exact value (the rest below the 17th digit decides a tie),
    // and whether, scaled back to 17 digits, they lie in the interval.
    const auto trial = [&](int p) {
        const std::uint64_t unit = powers.ten[mostDigits - p];
        Trial t = {digits.whole / unit, x10, false};
        const std::uint64_t dropped = digits.whole % unit;
        const bool odd = (t.n & 1) != 0;
        const bool up =
            unit == 1 ? (digits.rest == 3 || (digits.rest == 2 && odd))
                      : (dropped > unit / 2 || (dropped == unit / 2 && (digits.rest != 0 || odd)));
        t.n += up ? 1 : 0;
        const std::uint64_t at = t.n * unit;
        const bool aboveLow = at > low.whole || (at == low.whole && low.rest == 0 && endsIn);
        const bool belowHigh = (high.rest == 0 ? at < high.whole : at <= high.whole) ||
                               (at == high.whole && high.rest == 0 && endsIn);
        t.readsBack = aboveLow && belowHigh;
        if (t.n == powers.ten[p]) {
            t.n /= 10;
            t.x++;
        }
        return t;
    };
    // More digits are never farther from the value than fewer (the fewer
    // are among them), so once some precision reads back every greater one
    // does, and halving the range finds the least; except below a power of
    // two, where the gap under the value is the narrower and a nearer
    // number under it may not read back where a farther one over it did:
    // there every precision is tried in turn.
    if (powerOfTwo) {
        int p = 1;
        Trial found = trial(p);
        while (!found.readsBack && p < mostDigits) {
            found = trial(++p);
        }
        return found.readsBack && writeGeneral(found, p, value < 0, out);
    }
    // Most of the motion's numbers need 16 or 17 digits: look there first,
    // so that two trials settle most numbers.
    int lo = 1;
    int hi = likelyDigits;
    Trial found = trial(likelyDigits);
    if (!found.readsBack) {
        lo = hi = mostDigits;
        found = trial(mostDigits);
    }
    while (lo < hi) {
        // The next below is the likeliest to fail; then halve the range.
        const int mid = hi == likelyDigits ? hi - 1 : (lo + hi) / 2;
        const Trial t = trial(mid);
        if (t.readsBack) {
            hi = mid;
            found = t;
        } else {
            lo = mid + 1;
        }
    }
    return found.readsBack && writeGeneral(found, hi, value < 0, out);
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
