// The specimen's code, its true answers and the hand-in code.
#include "lab/specimen.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lab/number_text.h"
#include "model/oscillator.h"

// The 32 characters of a code: the digits 2-9 and the letters A-Z less I and
// O, so that none is read as another (0/O, 1/I).
static const char codeAlphabet[] = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";
// Data characters (5 bits each, 55 bits) and the check character after them.
static constexpr int dataChars = 11;
static constexpr int codeChars = dataChars + 1;
static constexpr int dataBits = 5 * dataChars;
// The code's layout version; a code of another version is refused as such.
static constexpr unsigned codeVersion = 1;

// The fields, from the least significant bit of the 55: version (3 bits);
// m, lambda, K each as a mantissa 100..999 less 100 (10 bits) and a decimal
// exponent (4 bits: value = mantissa * 10^(exponent - 7), 1.00e-5 to 9.99e10);
// the tolerance in whole percent (5 bits, 1..31); feedback (1 bit); 4 bits
// that are zero in version 1.
static constexpr int mantissaBits = 10;
static constexpr int exponentBits = 4;
static constexpr int exponentOffset = 7;
// The mantissa field of a zero value (lambda only: an undamped specimen).
static constexpr unsigned zeroMantissa = 1023;
static constexpr int toleranceBits = 5;
static constexpr int reservedBits = 4;

// The scramble, so that the digits of m are not read off the code: the 55
// bits are XORed with a fixed mask, multiplied by an odd number modulo 2^55
// (so that a low field's change carries into the higher ones) and then
// permuted (bit i goes to (i * scrambleStride) mod 55; 17 is prime to 55).
// Every step can be undone: hidden from view, not secret.
static constexpr uint64_t scrambleMask = 0x5A3C96E1B70F2DULL;
static constexpr uint64_t scrambleFactor = 0x2C6B9D14E3A2F5ULL | 1;
static constexpr int scrambleStride = 17;

static constexpr uint64_t dataMask = (uint64_t{1} << dataBits) - 1;

// --- GF(32), for the check character

// Multiply in GF(32) = GF(2)[x] / (x^5 + x^2 + 1); x (2) is primitive.
static unsigned gfMultiply(unsigned a, unsigned b)
{
    unsigned product = 0;
    for (int i = 0; i < 5; i++) {
        if (b & (1u << i)) {
            product ^= a << i;
        }
    }
    for (int bit = 8; bit >= 5; bit--) {
        if (product & (1u << bit)) {
            product ^= 0x25u << (bit - 5);
        }
    }
    return product;
}

// The check character's value for the data characters' values.
//
// The twelve characters s0..s11 (s11 the check) of a good code satisfy
// sum over i of alpha^i * s_i = 0 in GF(32), alpha = x primitive, so the
// weights alpha^0..alpha^11 are distinct and non-zero (alpha has order 31).
// One character changed by e != 0 at position i changes the sum by
// alpha^i * e != 0 (a field has no zero divisors): caught. Two different
// characters a != b at positions i != j swapped change it by
// (alpha^i - alpha^j)(b - a) != 0, both factors non-zero: caught.
static unsigned checkValue(const unsigned* values)
{
    unsigned sum = 0;
    unsigned weight = 1;
    for (int i = 0; i < dataChars; i++) {
        sum ^= gfMultiply(weight, values[i]);
        weight = gfMultiply(weight, 2);
    }
    // weight is alpha^11 now; s11 = sum / alpha^11 = sum * alpha^(31 - 11).
    unsigned inverse = 1;
    for (int i = 0; i < 31 - dataChars; i++) {
        inverse = gfMultiply(inverse, 2);
    }
    return gfMultiply(sum, inverse);
}

// --- the 55 bits

static uint64_t scramble(uint64_t bits)
{
    bits = ((bits ^ scrambleMask) * scrambleFactor) & dataMask;
    uint64_t out = 0;
    for (int i = 0; i < dataBits; i++) {
        if (bits >> i & 1) {
            out |= uint64_t{1} << (i * scrambleStride % dataBits);
        }
    }
    return out;
}

static uint64_t unscramble(uint64_t bits)
{
    uint64_t out = 0;
    for (int i = 0; i < dataBits; i++) {
        if (bits >> (i * scrambleStride % dataBits) & 1) {
            out |= uint64_t{1} << i;
        }
    }
    // The inverse of the odd factor modulo 2^64 (Newton's iteration doubles
    // the good bits each time: 5 steps from 3 give more than 64).
    uint64_t inverse = scrambleFactor;
    for (int i = 0; i < 5; i++) {
        inverse *= 2 - scrambleFactor * inverse;
    }
    return ((out * inverse) ^ scrambleMask) & dataMask;
}

// Put `width` bits of value at *at and move on.
static void putField(uint64_t* bits, int* at, unsigned value, int width)
{
    *bits |= static_cast<uint64_t>(value) << *at;
    *at += width;
}

static unsigned takeField(uint64_t bits, int* at, int width)
{
    const unsigned value = static_cast<unsigned>(bits >> *at) & ((1u << width) - 1);
    *at += width;
    return value;
}

// Pack one value as mantissa and exponent; false when a code cannot hold it.
static bool putValue(uint64_t* bits, int* at, double value, bool zeroAllowed)
{
    if (value == 0 && zeroAllowed) {
        putField(bits, at, zeroMantissa, mantissaBits);
        putField(bits, at, 0, exponentBits);
        return true;
    }
    if (!(value > 0) || !std::isfinite(value)) {
        return false;
    }
    const ThreeDigits digits = threeDigits(value);
    const int exponent = digits.exponent + exponentOffset;
    if (exponent < 0 || exponent >= (1 << exponentBits)) {
        return false;
    }
    putField(bits, at, static_cast<unsigned>(digits.mantissa - 100), mantissaBits);
    putField(bits, at, static_cast<unsigned>(exponent), exponentBits);
    return true;
}

static bool takeValue(uint64_t bits, int* at, bool zeroAllowed, double* value)
{
    const unsigned mantissa = takeField(bits, at, mantissaBits);
    const unsigned exponent = takeField(bits, at, exponentBits);
    if (mantissa == zeroMantissa && exponent == 0 && zeroAllowed) {
        *value = 0;
        return true;
    }
    if (mantissa >= 900) {
        return false;
    }
    *value = fromThreeDigits(static_cast<int>(mantissa) + 100,
                             static_cast<int>(exponent) - exponentOffset);
    return true;
}

std::string encodeSpecimen(const Specimen& specimen)
{
    const long percent = std::lround(specimen.tolerance * 100);
    if (!(percent >= 1 && percent < (1 << toleranceBits))) {
        return "";
    }
    uint64_t bits = 0;
    int at = 0;
    putField(&bits, &at, codeVersion, 3);
    if (!putValue(&bits, &at, specimen.m, false) || !putValue(&bits, &at, specimen.lambda, true) ||
        !putValue(&bits, &at, specimen.K, false)) {
        return "";
    }
    putField(&bits, &at, static_cast<unsigned>(percent), toleranceBits);
    putField(&bits, &at, specimen.feedback ? 1 : 0, 1);
    bits = scramble(bits);

    unsigned values[codeChars];
    for (int i = 0; i < dataChars; i++) {
        values[i] = static_cast<unsigned>(bits >> (5 * (dataChars - 1 - i))) & 31;
    }
    values[dataChars] = checkValue(values);
    std::string code;
    for (int i = 0; i < codeChars; i++) {
        if (i > 0 && i % 4 == 0) {
            code += '-';
        }
        code += codeAlphabet[values[i]];
    }
    return code;
}

// The characters' values of a code as typed; false when it is malformed.
static bool codeValues(const std::string& code, unsigned* values)
{
    int count = 0;
    for (char c : code) {
        if (c == '-' || c == ' ' || c == '\t') {
            continue;
        }
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        const char* at = c == '\0' ? nullptr : std::strchr(codeAlphabet, c);
        if (at == nullptr || count == codeChars) {
            return false;
        }
        values[count++] = static_cast<unsigned>(at - codeAlphabet);
    }
    return count == codeChars;
}

CodeProblem decodeSpecimen(const std::string& code, Specimen* out)
{
    unsigned values[codeChars];
    if (!codeValues(code, values)) {
        return CodeProblem::malformed;
    }
    if (checkValue(values) != values[dataChars]) {
        return CodeProblem::check;
    }
    uint64_t bits = 0;
    for (int i = 0; i < dataChars; i++) {
        bits = bits << 5 | values[i];
    }
    bits = unscramble(bits);

    // A good check over fields this version cannot read is a code of
    // another version (a later layout), not a typing error.
    int at = 0;
    Specimen specimen{};
    const unsigned version = takeField(bits, &at, 3);
    if (version != codeVersion || !takeValue(bits, &at, false, &specimen.m) ||
        !takeValue(bits, &at, true, &specimen.lambda) ||
        !takeValue(bits, &at, false, &specimen.K)) {
        return CodeProblem::version;
    }
    const unsigned percent = takeField(bits, &at, toleranceBits);
    specimen.feedback = takeField(bits, &at, 1) != 0;
    if (percent == 0 || takeField(bits, &at, reservedBits) != 0) {
        return CodeProblem::version;
    }
    specimen.tolerance = percent / 100.0;
    if (out != nullptr) {
        *out = specimen;
    }
    return CodeProblem::none;
}

std::string canonicalSpecimenCode(const std::string& code)
{
    Specimen specimen;
    if (decodeSpecimen(code, &specimen) != CodeProblem::none) {
        return "";
    }
    return encodeSpecimen(specimen);
}

const char* codeProblemText(CodeProblem problem)
{
    switch (problem) {
    case CodeProblem::none:
        return "コードは正しい / the code is good";
    case CodeProblem::malformed:
        return "コードは 2～9 と A～Z（I と O を除く）の 12 文字です（0, 1, I, O は使いません） / "
               "a code is 12 characters of 2-9 and A-Z without I and O (no 0, 1, I or O)";
    case CodeProblem::check:
        return "コードが正しくありません（一文字違うか、二文字が入れ替わっています） / "
               "the code is wrong: a character is mistyped or two are swapped";
    case CodeProblem::version:
        return "このプログラムの知らない版のコードです（新しいプログラムで開いてください） / "
               "a code of a version this program does not know (open it with a newer program)";
    }
    return "";
}

// --- the answers

const char* const answerQuestions[answerCount] = {
    "固有振動数 ω0[rad/s] / natural frequency ω0 [rad/s]",
    "減衰比 ζ（対数減衰率から） / damping ratio ζ by the logarithmic decrement",
    "減衰比 ζ（半値幅から） / damping ratio ζ by the half-power band",
    "ばね定数 K[N/m] / spring constant K [N/m]",
    "質量 m[kg] / mass m [kg]",
};

const char* const answerColumns[answerCount] = {"om0", "zeta_decrement", "zeta_band", "K", "m"};

TrueAnswers trueAnswers(const Specimen& specimen)
{
    TrueAnswers truth{};
    const double om0 = naturalFrequency(specimen.m, specimen.K);
    const double zeta = dampingRatio(specimen.m, specimen.lambda, specimen.K);
    truth.value[answerOm0] = om0;
    truth.value[answerZetaDecrement] = zeta;
    truth.value[answerZetaBand] = zeta;
    truth.value[answerK] = specimen.K;
    truth.value[answerM] = specimen.m;
    // The half-power ratios of the amplitude curve:
    // r^2 = 1 - 2 zeta^2 -/+ 2 zeta sqrt(1 - zeta^2). Above zeta = sin(pi/8)
    // (about 0.383) the lower one does not exist: the curve starts above the
    // half-power level at r = 0, the band has no lower edge and the method
    // gives nothing to hold a student to, so only the true zeta is accepted.
    const double root = zeta < 1 ? 2 * zeta * std::sqrt(1 - zeta * zeta) : 0;
    const double r1Squared = 1 - 2 * zeta * zeta - root;
    const double r2Squared = 1 - 2 * zeta * zeta + root;
    truth.bandZeta =
        r1Squared > 0 && zeta < 1 ? (std::sqrt(r2Squared) - std::sqrt(r1Squared)) / 2 : zeta;
    return truth;
}

// How far value is from truth, relative to truth.
static bool closeTo(double value, double truth, double tolerance)
{
    return std::fabs(value - truth) <= tolerance * std::fabs(truth);
}

bool withinTolerance(const Specimen& specimen, Answer which, double value)
{
    const TrueAnswers truth = trueAnswers(specimen);
    if (closeTo(value, truth.value[which], specimen.tolerance)) {
        return true;
    }
    return which == answerZetaBand && closeTo(value, truth.bandZeta, specimen.tolerance);
}

// --- the hand-in code

// The hand-in's own check: a CRC of 20 bits (polynomial x^20 + x^19 + x^16 +
// x^13 + x^12 + x^5 + x^3 + x + 1) over the text before it, upper-cased so
// that a lower-cased hand-in reads back. Any error within 20 bits in a row,
// so every single mistyped character and every swap of neighbours, is
// caught; other damage is missed one time in a million.
static unsigned handInCheck(const std::string& text)
{
    constexpr unsigned polynomial = 0x9302B;
    unsigned crc = 0xFFFFF;
    for (char c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        crc ^= static_cast<unsigned>(static_cast<unsigned char>(c)) << 12;
        for (int bit = 0; bit < 8; bit++) {
            crc = crc & 0x80000 ? (crc << 1 ^ polynomial) & 0xFFFFF : crc << 1 & 0xFFFFF;
        }
    }
    return crc;
}

static std::string checkText(unsigned check)
{
    std::string text;
    for (int i = 3; i >= 0; i--) {
        text += codeAlphabet[check >> (5 * i) & 31];
    }
    return text;
}

std::string handInCode(const std::string& specimenCode, const Answers& answers, int checks)
{
    std::string code = canonicalSpecimenCode(specimenCode);
    if (code.empty()) {
        code = specimenCode;
    }
    for (int i = 0; i < answerCount; i++) {
        code += '/';
        if (answers.given[i]) {
            code += shortestNumber(answers.value[i]);
        }
    }
    code += '/' + std::to_string(checks < 0 ? 0 : checks);
    return code + '/' + checkText(handInCheck(code));
}

// Split text at '/'.
static int splitFields(const std::string& text, std::string* fields, int most)
{
    int count = 0;
    std::size_t start = 0;
    while (count < most) {
        const std::size_t slash = text.find('/', start);
        fields[count++] = text.substr(start, slash == std::string::npos ? slash : slash - start);
        if (slash == std::string::npos) {
            return count;
        }
        start = slash + 1;
    }
    return most + 1; // too many
}

// A number field: all of it read; an empty field is an answer left out.
static bool readNumber(const std::string& field, double* value, bool* given)
{
    *given = !field.empty();
    if (field.empty()) {
        *value = 0;
        return true;
    }
    char* end = nullptr;
    *value = std::strtod(field.c_str(), &end);
    return end == field.c_str() + field.size();
}

bool readHandIn(const std::string& text, HandIn* out)
{
    std::size_t first = text.find_first_not_of(" \t\r\n");
    std::size_t last = text.find_last_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return false;
    }
    const std::string trimmed = text.substr(first, last - first + 1);
    constexpr int fieldCount = answerCount + 3;
    std::string fields[fieldCount];
    if (splitFields(trimmed, fields, fieldCount) != fieldCount) {
        return false;
    }
    const std::size_t checkAt = trimmed.rfind('/');
    std::string given = fields[fieldCount - 1];
    for (char& c : given) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    if (given != checkText(handInCheck(trimmed.substr(0, checkAt)))) {
        return false;
    }
    HandIn handIn{};
    handIn.specimenCode = canonicalSpecimenCode(fields[0]);
    if (handIn.specimenCode.empty()) {
        return false;
    }
    for (int i = 0; i < answerCount; i++) {
        if (!readNumber(fields[1 + i], &handIn.answers.value[i], &handIn.answers.given[i])) {
            return false;
        }
    }
    const std::string& checks = fields[answerCount + 1];
    if (checks.empty() || checks.size() > 6 ||
        checks.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    handIn.checks = std::atoi(checks.c_str());
    if (out != nullptr) {
        *out = handIn;
    }
    return true;
}
