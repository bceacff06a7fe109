// A specimen: a system whose m, lambda and K are hidden from the student,
// named by a short code typed from a printed sheet, and the figures the
// student hands in for it.
//
// The code decodes to its system without any file, so a specimen runs
// offline. Its values are hidden from view, not secret: the code is only
// scrambled, and one who decodes it can find them.
#pragma once

#include <string>

// A specimen's hidden system and how its answers are judged.
struct Specimen {
    double m;         // mass, kg (three significant digits)
    double lambda;    // damping coefficient, N/(m/s) (three significant digits)
    double K;         // spring constant, N/m (three significant digits)
    double tolerance; // relative error an answer may have, e.g. 0.03
    bool feedback;    // the program says of each answer whether it is within tolerance
};

// Why a code was refused.
enum class CodeProblem {
    none,      // the code is good
    malformed, // wrong length, or a character that no code has
    check,     // the check fails: a character wrong, or two swapped
    version,   // a code of a version this program does not know
};

// Read a code as a student types it: upper or lower case, with or without
// the group separators and spaces. On success *out holds the specimen.
CodeProblem decodeSpecimen(const std::string& code, Specimen* out);

// The code of a specimen in its printed form, grouped for reading (at most
// 14 characters, separators included). m, lambda, K are rounded to three
// significant digits and the tolerance to what the code holds. Empty when
// no code can hold it: m or K not positive, lambda negative, a value outside
// 1.00e-5 to 9.99e10, a tolerance outside 1 % to 31 %.
std::string encodeSpecimen(const Specimen& specimen);

// The code in its printed form again, from any way decodeSpecimen accepts it;
// empty when it is not a good code.
std::string canonicalSpecimenCode(const std::string& code);

// One line, in Japanese and English, that says why the code was refused
// (no line feed).
const char* codeProblemText(CodeProblem problem);

// The figures a student hands in, in this order.
enum Answer {
    answerOm0,           // natural angular frequency, rad/s
    answerZetaDecrement, // damping ratio by the logarithmic decrement
    answerZetaBand,      // damping ratio by the half-power band
    answerK,             // spring constant, N/m
    answerM,             // mass, kg
    answerCount,
};

// The question of each answer in the hand-in dialog, Japanese then English,
// with its unit, e.g. "固有振動数 ω0[rad/s] / natural frequency ω0 [rad/s]".
extern const char* const answerQuestions[answerCount];
// Short names of the answers, as the CSV files' columns have them:
// "om0", "zeta_decrement", "zeta_band", "K", "m".
extern const char* const answerColumns[answerCount];

// A student's answers; a figure left out is not given.
struct Answers {
    double value[answerCount];
    bool given[answerCount];
};

// The true value of each answer. For the half-power band, bandZeta is what
// the band gives on the exact curve, (r2 - r1)/2 with the closed form's
// half-power ratios; grading accepts it or the true zeta.
struct TrueAnswers {
    double value[answerCount];
    double bandZeta;
};
TrueAnswers trueAnswers(const Specimen& specimen);

// Whether an answer is within the specimen's tolerance of its true value
// (for the band, of either accepted value).
bool withinTolerance(const Specimen& specimen, Answer which, double value);

// The hand-in code: the specimen's code, the answers, how many times answers
// were checked, and a check of its own, on one line with no space, comma or
// quote, so it survives a course site and a CSV export.
std::string handInCode(const std::string& specimenCode, const Answers& answers, int checks);

// What a hand-in code holds.
struct HandIn {
    std::string specimenCode; // printed form
    Answers answers;
    int checks;
};

// Read a hand-in code; false when it is damaged (its check fails) or not one.
bool readHandIn(const std::string& text, HandIn* out);
