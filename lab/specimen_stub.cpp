// A stand-in for lab/specimen.cpp until it lands: two fixed codes, and a
// hand-in code that reads back. To be deleted when the real one is merged.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lab/specimen.h"

namespace
{
struct Known {
    const char* code;
    Specimen specimen;
};
const Known known[] = {
    {"TEST-0001-A", {1.37, 0.291, 5.83, 0.03, false}},
    {"TEST-FB02-B", {2.34, 0.567, 8.91, 0.03, true}},
};

std::string squeeze(const std::string& code)
{
    std::string out;
    for (const char c : code) {
        if (c != '-' && c != ' ') {
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return out;
}
} // namespace

CodeProblem decodeSpecimen(const std::string& code, Specimen* out)
{
    for (const Known& k : known) {
        if (squeeze(code) == squeeze(k.code)) {
            *out = k.specimen;
            return CodeProblem::none;
        }
    }
    return squeeze(code).size() == 9 ? CodeProblem::check : CodeProblem::malformed;
}

std::string encodeSpecimen(const Specimen&)
{
    return known[0].code;
}

std::string canonicalSpecimenCode(const std::string& code)
{
    for (const Known& k : known) {
        if (squeeze(code) == squeeze(k.code)) {
            return k.code;
        }
    }
    return "";
}

const char* codeProblemText(CodeProblem problem)
{
    switch (problem) {
    case CodeProblem::none:
        return "";
    case CodeProblem::malformed:
        return "試験体のコードではありません / not a specimen code";
    case CodeProblem::check:
        return "試験体のコードが違います（1 文字違いか入れ替わり） / the specimen code is wrong";
    case CodeProblem::version:
        return "この版では読めない試験体のコードです / a specimen code of an unknown version";
    }
    return "";
}

const char* const answerQuestions[answerCount] = {
    "固有振動数 ω0[rad/s] / natural frequency ω0 [rad/s]",
    "減衰比 ζ（対数減衰率から） / damping ratio ζ by the logarithmic decrement",
    "減衰比 ζ（半値幅から） / damping ratio ζ by the half-power band",
    "ばね定数 K[N/m] / spring constant K [N/m]",
    "質量 m[kg] / mass m [kg]",
};
const char* const answerColumns[answerCount] = {"om0", "zeta_decrement", "zeta_band", "K", "m"};

TrueAnswers trueAnswers(const Specimen& s)
{
    const double om0 = std::sqrt(s.K / s.m);
    const double zeta = s.lambda / (2 * std::sqrt(s.m * s.K));
    return {{om0, zeta, zeta, s.K, s.m}, zeta};
}

bool withinTolerance(const Specimen& s, Answer which, double value)
{
    const double truth = trueAnswers(s).value[which];
    return std::fabs(value - truth) <= s.tolerance * std::fabs(truth);
}

std::string handInCode(const std::string& specimenCode, const Answers& answers, int checks)
{
    std::string out = squeeze(specimenCode);
    for (int i = 0; i < answerCount; i++) {
        char text[32] = "";
        if (answers.given[i]) {
            std::snprintf(text, sizeof text, "%.6g", answers.value[i]);
        }
        out += std::string("/") + text;
    }
    return out + "/" + std::to_string(checks);
}

bool readHandIn(const std::string& text, HandIn* out)
{
    std::string parts[answerCount + 2];
    int n = 0;
    for (const char c : text) {
        if (c == '/') {
            if (++n > answerCount + 1) {
                return false;
            }
        } else {
            parts[n] += c;
        }
    }
    if (n != answerCount + 1) {
        return false;
    }
    out->specimenCode = canonicalSpecimenCode(parts[0]);
    for (int i = 0; i < answerCount; i++) {
        out->answers.given[i] = !parts[i + 1].empty();
        out->answers.value[i] = out->answers.given[i] ? std::atof(parts[i + 1].c_str()) : 0;
    }
    out->checks = std::atoi(parts[answerCount + 1].c_str());
    return !out->specimenCode.empty();
}
