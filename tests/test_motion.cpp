// Tests of the equation of motion and the Runge-Kutta-Gill step.
#include "sim/equation_of_motion.h"
#include "sim/runge_kutta_gill.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "model/state.h"

namespace
{

// Half a unit in the last digit quoted for each reference result: the step
// must reproduce every digit given.
constexpr double freeYDigits = 5e-15;   // 0.99995000041668
constexpr double freeVDigits = 5e-17;   // -0.0099998333300018
constexpr double forcedYDigits = 5e-17; // 2.498343783e-07
constexpr double forcedVDigits = 5e-15; // 7.492941666e-05
// Largest deviation from the exact motion allowed over 10 s of 0.01 s steps,
// in m. The step's own error stays below 3e-9 m; a stage at the wrong time, a
// lost carry or a Gill coefficient wrong in its fourth digit goes to 1e-6 m
// and far beyond. Only the reference steps tell the stored coefficients from
// the exact ones: both track the motion this well.
constexpr double trackingTolerance = 1e-7;

constexpr double stepLength = 0.01; // s, the step the display makes
constexpr int framesIn10s = 250;    // redraws of four steps in 10 s of motion
constexpr int stepsPerRedraw = 4;

// The oscillator's parameters, in the units of the model.
struct Oscillator {
    double m, lambda, K, F, omf;
};

// Start from the state of a fresh process, with the ordinary scratch hooks.
void startFresh(const Oscillator& o)
{
    resetAllState();
    scratchAllocator = std::calloc;
    scratchRelease = std::free;
    params.system.m = o.m;
    params.system.lambda = o.lambda;
    params.system.K = o.K;
    params.system.F = o.F;
    params.system.omf = o.omf;
}

// The steady-state amplitude and phase lag of the forced motion, at full precision.
void steadyState(const Oscillator& o, double& amplitude, double& phase)
{
    double om0 = std::sqrt(o.K / o.m);
    double zeta = o.lambda / (2.0 * std::sqrt(o.m * o.K));
    double r = o.omf / om0;
    amplitude =
        (o.F / o.K) / std::sqrt((1 - r * r) * (1 - r * r) + (2 * zeta * r) * (2 * zeta * r));
    phase = std::atan2(2 * zeta * r, 1 - r * r);
}

// The exact displacement on the steady-state vibration.
double exactSteady(const Oscillator& o, double t)
{
    double amplitude, phase;
    steadyState(o, amplitude, phase);
    return amplitude * std::sin(o.omf * t - phase);
}

// The exact displacement of an underdamped oscillator started at rest at t = 0.
double exactFromRest(const Oscillator& o, double t)
{
    double amplitude, phase;
    steadyState(o, amplitude, phase);
    double om0 = std::sqrt(o.K / o.m);
    double zeta = o.lambda / (2.0 * std::sqrt(o.m * o.K));
    double omd = om0 * std::sqrt(1 - zeta * zeta);
    // The free part cancels the steady part's displacement and velocity at t = 0.
    double c1 = amplitude * std::sin(phase);
    double c2 = (-amplitude * o.omf * std::cos(phase) + zeta * om0 * c1) / omd;
    double free = std::exp(-zeta * om0 * t) * (c1 * std::cos(omd * t) + c2 * std::sin(omd * t));
    return free + amplitude * std::sin(o.omf * t - phase);
}

// Step from y at t = 0 for 10 s as the display does; give the worst deviation from exact(t).
double worstDeviation(const Oscillator& o, double y[2], double (*exact)(const Oscillator&, double))
{
    double t = 0.0;
    double start[2];
    double worst = 0.0;
    for (int frame = 0; frame < framesIn10s; frame++) {
        for (int s = 0; s < stepsPerRedraw; s++) {
            start[0] = y[0];
            start[1] = y[1];
            rungeKuttaGill(t, stepLength, start, y, 2);
            t += stepLength;
            worst = std::fmax(worst, std::fabs(y[0] - exact(o, t)));
        }
    }
    return worst;
}

// What the test hooks saw of the integrator's scratch requests.
struct ScratchLog {
    int failAt; // request number (from 1) that gets no memory; 0 for none
    int obtainedCount;
    int releasedCount;
    void* obtained[16];
    void* released[16];
    std::size_t counts[16];
    std::size_t sizes[16];
};
ScratchLog scratchLog;

// Hand out calloc'ed arrays, recording them, except the request numbered failAt.
void* loggingAllocator(std::size_t count, std::size_t size)
{
    int k = scratchLog.obtainedCount++;
    if (k + 1 == scratchLog.failAt || k >= 16)
        return nullptr;
    scratchLog.counts[k] = count;
    scratchLog.sizes[k] = size;
    scratchLog.obtained[k] = std::calloc(count, size);
    return scratchLog.obtained[k];
}

// Free an array, recording the order of release.
void loggingRelease(void* p)
{
    if (scratchLog.releasedCount < 16)
        scratchLog.released[scratchLog.releasedCount] = p;
    scratchLog.releasedCount++;
    std::free(p);
}

// Make the failAt-th scratch request of one step fail, with standard output
// sent where the death test reads (standard error) and standard error itself
// silenced, so that only what the step prints on standard output is matched.
void stepWithFailingScratch(int failAt)
{
    std::fflush(stdout);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDERR_FILENO);
    scratchLog = ScratchLog{};
    scratchLog.failAt = failAt;
    scratchAllocator = loggingAllocator;
    double y[2] = {1, 0};
    rungeKuttaGill(0.0, stepLength, y, y, 2);
}

// Print what the very first call of derivative returns for index 2, and end.
void reportFirstOtherIndex()
{
    double y[2] = {5, 7};
    std::fprintf(stderr, "%g", derivative(2, 1.0, y));
    std::exit(0);
}

const Oscillator freeUndamped = {1, 0, 1, 0, 0};
const Oscillator workedExample = {1, 0.2, 4, 1, 1};
const Oscillator forcedFromRest = {2, 0.5, 8, 1, 3};

TEST(Derivative, OtherIndexGivesZeroBeforeAnyCall)
{
    // Only a new process has never called derivative, so ask in one.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(reportFirstOtherIndex(), ::testing::ExitedWithCode(0), ::testing::Eq("0"));
}

TEST(Derivative, ComponentsAndMemory)
{
    startFresh(forcedFromRest);
    double nanY[2] = {NAN, 3.5};
    double infY[2] = {INFINITY, -0.25};
    // dy/dt is the velocity exactly, whatever the time and the displacement.
    EXPECT_EQ(derivative(0, NAN, nanY), 3.5);
    EXPECT_EQ(derivative(0, 1e300, infY), -0.25);

    double y[2] = {0.1, 0.2};
    double a = derivative(1, 0.5, y);
    EXPECT_DOUBLE_EQ(a, (std::sin(1.5) - (0.5 * 0.2 + 8 * 0.1)) / 2);
    // Any other index keeps and returns the latest result.
    double other[2] = {9, 9};
    EXPECT_EQ(derivative(2, 0.0, other), a);
    EXPECT_EQ(derivative(-1, 3.0, other), a);
    EXPECT_EQ(derivative(1000, 4.0, other), a);
    EXPECT_EQ(derivative(0, 0.0, y), 0.2);
    EXPECT_EQ(derivative(7, 0.0, other), 0.2);

    // The model is read at every call.
    params.system.F = 0;
    EXPECT_DOUBLE_EQ(derivative(1, 0.5, y), -(0.5 * 0.2 + 8 * 0.1) / 2);
}

TEST(RungeKuttaGill, ReferenceSteps)
{
    startFresh(freeUndamped);
    double y[2] = {1, 0};
    rungeKuttaGill(0.0, stepLength, y, y, 2);
    // With 1 - 1/sqrt(2), 1 + 1/sqrt(2) and 1/6 the velocity would be
    // -0.0099998333333333, far outside these digits.
    EXPECT_NEAR(y[0], 0.99995000041668, freeYDigits);
    EXPECT_NEAR(y[1], -0.0099998333300018, freeVDigits);

    startFresh(forcedFromRest);
    double z[2] = {0, 0};
    rungeKuttaGill(0.0, stepLength, z, z, 2);
    // A last stage at mid-step would give a velocity of 6.243269750e-05.
    EXPECT_NEAR(z[0], 2.498343783e-07, forcedYDigits);
    EXPECT_NEAR(z[1], 7.492941666e-05, forcedVDigits);
}

TEST(RungeKuttaGill, ZeroStepLeavesTheStateAndStillEvaluates)
{
    for (int n : {2, 3, 5}) {
        startFresh(forcedFromRest);
        double yIn[5] = {0.3, -0.7, 2.0, -4.0, 1e-3};
        double yOut[5] = {};
        double primed[2] = {0, 123.0};
        derivative(0, 0.0, primed);
        rungeKuttaGill(2.5, 0.0, yIn, yOut, n);
        for (int i = 0; i < n; i++)
            EXPECT_EQ(yOut[i], yIn[i]) << "n " << n << ", component " << i;
        // The step was not skipped: its last call was the acceleration at t
        // for yIn, the state the last stage sees when dt is 0.
        double none[2] = {0, 0};
        double left = derivative(9, 0.0, none);
        EXPECT_EQ(left, derivative(1, 2.5, yIn)) << "n " << n;
    }
}

TEST(RungeKuttaGill, InPlaceStepMatchesCopy)
{
    startFresh(forcedFromRest);
    double yIn[3] = {0.04, -0.3, 0.5};
    double yOut[3];
    rungeKuttaGill(1.25, stepLength, yIn, yOut, 3);
    double same[3] = {0.04, -0.3, 0.5};
    rungeKuttaGill(1.25, stepLength, same, same, 3);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(same[i], yOut[i]) << "component " << i;
}

TEST(RungeKuttaGill, ExtraEquationsFollowTheAcceleration)
{
    // Index 2 and beyond get the acceleration of the same stage, so an extra
    // equation started at the velocity integrates exactly like the velocity,
    // and the first two equations are not disturbed by the extra ones.
    startFresh(forcedFromRest);
    double two[2] = {0.02, 0.6};
    rungeKuttaGill(0.7, stepLength, two, two, 2);
    double four[4] = {0.02, 0.6, 0.6, 0.6};
    rungeKuttaGill(0.7, stepLength, four, four, 4);
    EXPECT_EQ(four[0], two[0]);
    EXPECT_EQ(four[1], two[1]);
    EXPECT_EQ(four[2], two[1]);
    EXPECT_EQ(four[3], two[1]);
}

TEST(RungeKuttaGill, TracksTheExactMotion)
{
    // On the steady-state vibration of the worked example from the first step.
    startFresh(workedExample);
    double amplitude, phase;
    steadyState(workedExample, amplitude, phase);
    double steady[2] = {-amplitude * std::sin(phase),
                        amplitude * workedExample.omf * std::cos(phase)};
    EXPECT_LT(worstDeviation(workedExample, steady, exactSteady), trackingTolerance);

    // From rest, transient and steady vibration together.
    startFresh(forcedFromRest);
    double rest[2] = {0, 0};
    EXPECT_LT(worstDeviation(forcedFromRest, rest, exactFromRest), trackingTolerance);
}

TEST(RungeKuttaGill, ScratchIsObtainedAndReleasedEveryStep)
{
    startFresh(forcedFromRest);
    scratchLog = ScratchLog{};
    scratchAllocator = loggingAllocator;
    scratchRelease = loggingRelease;
    double y[3] = {0.1, 0.0, 0.0};
    rungeKuttaGill(0.0, stepLength, y, y, 3);
    rungeKuttaGill(stepLength, stepLength, y, y, 3);
    ASSERT_EQ(scratchLog.obtainedCount, 12);
    ASSERT_EQ(scratchLog.releasedCount, 12);
    for (int k = 0; k < 12; k++) {
        EXPECT_EQ(scratchLog.counts[k], 3u) << "request " << k;
        EXPECT_EQ(scratchLog.sizes[k], sizeof(double)) << "request " << k;
        EXPECT_EQ(scratchLog.released[k], scratchLog.obtained[k]) << "release " << k;
    }
    scratchAllocator = std::calloc;
    scratchRelease = std::free;
}

TEST(RungeKuttaGill, FailedScratchEndsTheProcess)
{
    startFresh(freeUndamped);
    for (int failAt = 1; failAt <= 6; failAt++) {
        EXPECT_EXIT(stepWithFailingScratch(failAt), ::testing::ExitedWithCode(1),
                    ::testing::Eq("memory overflow\n"))
            << "failing request " << failAt;
    }
}

} // namespace
