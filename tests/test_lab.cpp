// The laboratory class: the specimen code's refusals, grading, and a whole
// class measured as a student measures it with the program's own tools.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lab/class_maker.h"
#include "lab/grading.h"
#include "lab/number_text.h"
#include "lab/specimen.h"
#include "model/state.h"
#include "sim/motion_figures.h"
#include "sim/runge_kutta_gill.h"

namespace
{

constexpr double pi = 3.14159265358979;
const char alphabet[] = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";

std::vector<ClassStudent> classOf(const std::string& name, int count)
{
    ClassSettings settings;
    settings.name = name;
    settings.count = count;
    std::vector<ClassStudent> students;
    std::string problem;
    EXPECT_TRUE(makeClass(settings, &students, &problem)) << problem;
    return students;
}

// The code without its separators, and back.
std::string bare(std::string code)
{
    code.erase(std::remove(code.begin(), code.end(), '-'), code.end());
    return code;
}

TEST(SpecimenCode, RefusesAMistypeASwapAndAnUnknownVersionAndReadsBackItsClass)
{
    const std::vector<ClassStudent> students = classOf("refusals", 40);
    for (const ClassStudent& student : students) {
        Specimen read;
        std::string typed = bare(student.code);
        std::transform(typed.begin(), typed.end(), typed.begin(), ::tolower);
        ASSERT_EQ(decodeSpecimen(" " + typed.substr(0, 5) + " " + typed.substr(5), &read),
                  CodeProblem::none);
        EXPECT_EQ(read.m, student.specimen.m);
        EXPECT_EQ(read.lambda, student.specimen.lambda);
        EXPECT_EQ(read.K, student.specimen.K);
        EXPECT_EQ(encodeSpecimen(read), student.code);

        const std::string code = bare(student.code);
        for (std::size_t i = 0; i < code.size(); i++) {
            for (const char* c = alphabet; *c != '\0'; c++) {
                std::string wrong = code;
                wrong[i] = *c;
                if (wrong != code) {
                    ASSERT_EQ(decodeSpecimen(wrong, nullptr), CodeProblem::check) << wrong;
                }
            }
            for (std::size_t j = i + 1; j < code.size(); j++) {
                std::string swapped = code;
                std::swap(swapped[i], swapped[j]);
                if (swapped != code) {
                    ASSERT_EQ(decodeSpecimen(swapped, nullptr), CodeProblem::check) << swapped;
                }
            }
        }
    }
    // Every first character with the check that fits it: a good check never
    // runs another system, and fields this version cannot read are another
    // version's code.
    int versions = 0;
    const std::string code = bare(students[0].code);
    for (const char* first = alphabet; *first != '\0'; first++) {
        for (const char* check = alphabet; *check != '\0'; check++) {
            const std::string other = *first + code.substr(1, 10) + *check;
            const CodeProblem problem = decodeSpecimen(other, nullptr);
            if (problem == CodeProblem::version) {
                versions++;
            } else if (problem == CodeProblem::none) {
                EXPECT_EQ(bare(canonicalSpecimenCode(other)), other);
            } else {
                EXPECT_EQ(problem, CodeProblem::check);
            }
        }
    }
    EXPECT_GT(versions, 0);
    EXPECT_EQ(decodeSpecimen("ABCD-EFGH-IJK2", nullptr), CodeProblem::malformed);
    EXPECT_EQ(decodeSpecimen(code.substr(1), nullptr), CodeProblem::malformed);
}

// The hand-in of a student's answers.
std::string handIn(const ClassStudent& student, const double* values, int checks = 0)
{
    Answers answers{};
    for (int i = 0; i < answerCount; i++) {
        answers.value[i] = values[i];
        answers.given[i] = !std::isnan(values[i]);
    }
    return handInCode(student.code, answers, checks);
}

TEST(Grading, GradesRightAndWrongAndListsDamagedOtherClassAndDuplicates)
{
    const std::vector<ClassStudent> students = classOf("grading", 3);
    const TrueAnswers first = trueAnswers(students[0].specimen);
    const TrueAnswers second = trueAnswers(students[1].specimen);
    // Student 1 right (the band by the method), student 2 all 5 % high and
    // the mass left out.
    const double right[answerCount] = {first.value[0] * 1.02, first.value[1], first.bandZeta,
                                       first.value[3], first.value[4] * 0.98};
    double wrong[answerCount];
    for (int i = 0; i < answerCount; i++) {
        wrong[i] = second.value[i] * 1.05;
    }
    wrong[answerM] = NAN;
    const std::string good = handIn(students[0], right, 2);
    std::string damaged = handIn(students[1], wrong);
    damaged[damaged.find('/') + 1] ^= 1; // one digit of om0 mistyped
    std::string lowered = handIn(students[1], wrong);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), ::tolower);
    const std::string other = handIn(classOf("another", 1)[0], right);
    const std::string handIns = "name,hand-in\n\"Sato Hanako\",\"" + good + "\"\nSuzuki, " +
                                damaged + "\r\nTanaka,  " + lowered + " \n" + good + "\n" + other;

    GradeReport report;
    std::string problem;
    ASSERT_TRUE(gradeHandIns(classKeyCsv(students), handIns, &report, &problem)) << problem;
    EXPECT_EQ(report.summary, "採点 2、破損 1、他のクラス 1、重複 1、未提出 1 / graded 2, "
                              "damaged 1, other class 1, duplicate 1, not handed in 1");
    ASSERT_EQ(report.listed.size(), 3u);
    EXPECT_NE(report.listed[0].find("damaged (its check fails): " + damaged), std::string::npos);
    EXPECT_NE(report.listed[1].find("handed in again, not counted (番号 / number 1): " + good),
              std::string::npos);
    EXPECT_NE(report.listed[2].find("not a specimen of this class: " + other), std::string::npos);

    std::vector<std::string> rows;
    for (std::size_t at = 0, end; (end = report.gradesCsv.find('\n', at)) != std::string::npos;
         at = end + 1) {
        rows.push_back(report.gradesCsv.substr(at, end - at));
    }
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].substr(0, 57), "number,code,checks,om0,om0_true,om0_relative_error,om0_ok");
    EXPECT_EQ(rows[1].substr(rows[1].size() - 2), ",5");
    EXPECT_NE(rows[1].find(",2,"), std::string::npos); // checks
    // Student 2: every answer out, the mass left out.
    const std::string mTrue = shortestNumber(students[1].specimen.m);
    EXPECT_EQ(rows[2].substr(rows[2].size() - mTrue.size() - 7), ",," + mTrue + ",,0,0");
    // Student 3 handed nothing in: no total.
    EXPECT_EQ(rows[3].back(), ',');
}

// What a student's `r` shows of a free decay: the damped period and the
// heights of the first peaks (up to ten), from the window's own steps.
struct FreeDecayReading {
    double dampedPeriod;
    std::vector<double> peaks;
};

FreeDecayReading readFreeDecay(const Oscillator& o, double y0)
{
    double y[2] = {y0, 0};
    double t = 0;
    double scratch[6][2];
    const GillScratch work = {scratch[0], scratch[1], scratch[2],
                              scratch[3], scratch[4], scratch[5]};
    PeakRecord record;
    peakRecordBegin(&record, y0);
    FreeDecayReading reading{0, {}};
    for (long k = 1; record.listed.peaks < 10 && k < 100000; k++) {
        const int before = record.listed.peaks;
        gillStepIn(work, OscillatorRhs{o}, t, dt, y, y, 2);
        t = t + dt;
        peakRecordStep(&record, t, y[0]);
        if (record.listed.peaks > before) {
            reading.peaks.push_back(record.lastPeak);
        }
    }
    reading.dampedPeriod = freeDecayFigures(record).dampedPeriod;
    return reading;
}

// The amplitude `r` gives of a forced run from rest at omf, pressed once
// the transient has died (50 s) and five forcing periods more have run.
double forcedAmplitude(const Specimen& s, double F, double omf)
{
    const double settle = 50 + 5 * 2 * pi / omf;
    const MotionFigures f =
        measureMotion({s.m, s.lambda, s.K, F, omf}, 0, 0, std::lround(settle / dt));
    EXPECT_TRUE(f.settled);
    return f.amplitude;
}

// The half-power band from measured points (omf ascending): the level
// Amax / sqrt 2 read on the straight lines between neighbouring points.
double bandWidth(const std::vector<double>& omf, const std::vector<double>& A)
{
    const std::size_t top = std::max_element(A.begin(), A.end()) - A.begin();
    const double level = A[top] / std::sqrt(2.0);
    double low = NAN, high = NAN;
    for (std::size_t i = top; i > 0 && std::isnan(low); i--) {
        if (A[i - 1] <= level) {
            low = omf[i - 1] + (level - A[i - 1]) / (A[i] - A[i - 1]) * (omf[i] - omf[i - 1]);
        }
    }
    for (std::size_t i = top; i + 1 < A.size() && std::isnan(high); i++) {
        if (A[i + 1] <= level) {
            high = omf[i] + (A[i] - level) / (A[i] - A[i + 1]) * (omf[i + 1] - omf[i]);
        }
    }
    return high - low;
}

// The figures: a class of 40 with the defaults, each specimen measured as
// the students are told, every answer within the default 3 %.
TEST(LabFigures, AStudentMeasuringAsToldIsWithinTheToleranceForAClassOf40)
{
    constexpr double F = 1;     // N, the student's choice
    constexpr double y0 = 0.05; // m, the free decay's start
    double worst[answerCount] = {};
    int points = 0; // most points near the peak a student needed
    for (const ClassStudent& student : classOf("figures", 40)) {
        const Specimen& s = student.specimen;
        const FreeDecayReading decay = readFreeDecay({s.m, s.lambda, s.K, 0, 0}, y0);
        ASSERT_GE(decay.peaks.size(), 2u);
        const double delta =
            std::log(decay.peaks.front() / decay.peaks.back()) / (decay.peaks.size() - 1);
        const double zeta = delta / std::sqrt(4 * pi * pi + delta * delta);
        const double om0 = 2 * pi / decay.dampedPeriod / std::sqrt(1 - zeta * zeta);

        const double lowOmf = om0 / 5;
        const double r = lowOmf / om0;
        const double A = forcedAmplitude(s, F, lowOmf);
        const double K = F / (A * std::sqrt((1 - r * r) * (1 - r * r) + 4 * zeta * zeta * r * r));

        // The points near the peak, in steps of half the zeta of the free
        // decay: seven about the peak, then one more outwards on a side
        // while the chart shows no point below the half-power level there.
        const double peak = om0 * std::sqrt(1 - 2 * zeta * zeta);
        std::vector<double> omf, amplitude;
        const auto measureAt = [&](double k, bool atStart) {
            const double at = peak * (1 + k * zeta);
            omf.insert(atStart ? omf.begin() : omf.end(), at);
            amplitude.insert(atStart ? amplitude.begin() : amplitude.end(),
                             forcedAmplitude(s, F, at));
        };
        double lowest = -1.5, highest = 1.5;
        for (double k = lowest; k <= highest; k += 0.5) {
            measureAt(k, false);
        }
        for (bool more = true; more && omf.size() < 10;) {
            const double level =
                *std::max_element(amplitude.begin(), amplitude.end()) / std::sqrt(2.0);
            more = false;
            if (amplitude.front() > level) {
                measureAt(lowest -= 0.5, true);
                more = true;
            }
            if (amplitude.back() > level && omf.size() < 10) {
                measureAt(highest += 0.5, false);
                more = true;
            }
        }
        points = std::max(points, static_cast<int>(omf.size()));
        const double answers[answerCount] = {om0, zeta, bandWidth(omf, amplitude) / (2 * om0), K,
                                             K / (om0 * om0)};
        const TrueAnswers truth = trueAnswers(s);
        for (int i = 0; i < answerCount; i++) {
            double error = std::fabs(answers[i] / truth.value[i] - 1);
            if (i == answerZetaBand) {
                error = std::min(error, std::fabs(answers[i] / truth.bandZeta - 1));
            }
            worst[i] = std::max(worst[i], error);
            EXPECT_TRUE(withinTolerance(s, static_cast<Answer>(i), answers[i]))
                << student.code << " " << answerColumns[i] << " " << answers[i];
        }
    }
    for (int i = 0; i < answerCount; i++) {
        std::printf("worst relative error of %s over 40: %.3g %%\n", answerColumns[i],
                    100 * worst[i]);
    }
    std::printf("most points near the peak: %d\n", points);
}

} // namespace
