// The frequency sweep by simulation against the closed-form steady state,
// its undamped and impossible systems, and its slices.
#include <cmath>
#include <cstdio>

#include <gtest/gtest.h>

#include "sim/frequency_sweep.h"

namespace
{

// What the laboratory class accepts between measurement and formula.
constexpr double amplitudeTolerance = 0.005; // relative
constexpr double lagToleranceDeg = 0.5;

constexpr double pi = 3.14159265358979;

// The worked example's mass and spring (om0 = 2 rad/s) with a force of 1 N.
Oscillator workedSystem(double lambda)
{
    return {1, lambda, 4, 1, 0};
}

Sweep sweepAtOnce(const Oscillator& system)
{
    Sweep sweep;
    sweepBegin(&sweep, system);
    while (!sweepAdvance(&sweep, 1000000)) {
    }
    return sweep;
}

TEST(FrequencySweep, MeasuredAmplitudeAndLagAgreeWithTheClosedForm)
{
    // zeta = lambda / (2 sqrt(m K)) = lambda / 4: 0.05, 0.2 and 1.
    for (const double lambda : {0.2, 0.8, 4.0}) {
        const double zeta = lambda / 4;
        const Sweep sweep = sweepAtOnce(workedSystem(lambda));
        ASSERT_TRUE(sweepFinished(sweep));
        EXPECT_EQ(sweep.trouble, SweepTrouble::none);
        double worstAmp = 0;
        double worstLag = 0;
        for (int k = 0; k < sweepPointCount; ++k) {
            const SweepPoint& p = sweep.points[k];
            const double r = (k + 1) * 0.1;
            const double Ad = 0.25 / std::sqrt((1 - r * r) * (1 - r * r) + 4 * zeta * zeta * r * r);
            const double lagDeg = std::atan2(2 * zeta * r, 1 - r * r) * 180 / pi;
            EXPECT_DOUBLE_EQ(p.ratio, r);
            EXPECT_TRUE(p.settled) << "zeta " << zeta << ", ratio " << r;
            EXPECT_NEAR(p.amplitude / Ad, 1, amplitudeTolerance)
                << "zeta " << zeta << ", ratio " << r;
            EXPECT_NEAR(p.phaseLag * 180, lagDeg, lagToleranceDeg)
                << "zeta " << zeta << ", ratio " << r;
            worstAmp = std::fmax(worstAmp, std::fabs(p.amplitude / Ad - 1));
            worstLag = std::fmax(worstLag, std::fabs(p.phaseLag * 180 - lagDeg));
        }
        std::printf("zeta %.2f: largest disagreement %.3f %% in amplitude, %.3f deg in lag\n", zeta,
                    100 * worstAmp, worstLag);
    }
}

TEST(FrequencySweep, SystemsThatCannotSettleAreMarkedAndNeverCrash)
{
    // No damping: the free vibration never dies, least of all at resonance.
    const Sweep undamped = sweepAtOnce(workedSystem(0));
    EXPECT_EQ(undamped.trouble, SweepTrouble::noDamping);
    EXPECT_EQ(sweepUnsettledCount(undamped), sweepPointCount);
    for (int k = 8; k <= 10; ++k) { // ratios 0.9 to 1.1
        EXPECT_FALSE(undamped.points[k].settled);
        EXPECT_TRUE(std::isfinite(undamped.points[k].amplitude)) << "measured all the same";
    }

    // zeta 0.001: 5 time constants are 2500 s, past the time limit.
    const Sweep light = sweepAtOnce(workedSystem(0.004));
    EXPECT_EQ(light.trouble, SweepTrouble::timeLimit);
    EXPECT_FALSE(light.points[9].settled);

    // Negative damping grows past every double; a negative mass has no om0.
    const Sweep growing = sweepAtOnce(workedSystem(-40));
    EXPECT_EQ(growing.trouble, SweepTrouble::noDamping);
    for (const SweepPoint& p : growing.points) {
        EXPECT_FALSE(p.settled);
    }
    for (const Oscillator& impossible :
         {Oscillator{-1, 0.2, 4, 1, 0}, Oscillator{1, 0.2, 4, NAN, 0},
          Oscillator{1, 0.2, 4, INFINITY, 0}}) {
        const Sweep sweep = sweepAtOnce(impossible);
        EXPECT_EQ(sweep.trouble, SweepTrouble::noFrequency);
        EXPECT_TRUE(std::isnan(sweep.points[0].amplitude));
        EXPECT_EQ(sweepUnsettledCount(sweep), sweepPointCount);
    }

    // Too stiff for the 0.01 s step: not measured, so not drawn.
    const Sweep stiff = sweepAtOnce({1, 2000, 1e6, 1, 0});
    EXPECT_EQ(stiff.trouble, SweepTrouble::tooFast);
    EXPECT_TRUE(std::isnan(stiff.points[29].amplitude));
}

TEST(FrequencySweep, SlicesGiveTheSameBitsAsOneRun)
{
    Sweep sliced;
    sweepBegin(&sliced, workedSystem(4.0));
    long slices = 0;
    while (!sweepAdvance(&sliced, 997)) {
        ++slices;
    }
    EXPECT_GT(slices, 100);
    const Sweep whole = sweepAtOnce(workedSystem(4.0));
    for (int k = 0; k < sweepPointCount; ++k) {
        EXPECT_EQ(sliced.points[k].amplitude, whole.points[k].amplitude) << "point " << k;
        EXPECT_EQ(sliced.points[k].phaseLag, whole.points[k].phaseLag) << "point " << k;
    }
}

TEST(FrequencySweep, NegativeForceLagsAsTheDialogSays)
{
    // The lag is behind the force that acts: a force of -1 N gives the lag
    // (and amplitude) of +1 N, atan2(2 zeta r, 1 - r^2), as the dialog prints.
    const Sweep negative = sweepAtOnce({1, 0.8, 4, -1, 0});
    const Sweep positive = sweepAtOnce(workedSystem(0.8));
    for (int k = 0; k < sweepPointCount; ++k) {
        EXPECT_NEAR(negative.points[k].phaseLag, positive.points[k].phaseLag, 1e-9) << k;
        EXPECT_NEAR(negative.points[k].amplitude, positive.points[k].amplitude, 1e-9) << k;
    }
    EXPECT_NEAR(negative.points[4].phaseLag, std::atan2(0.2, 0.75) / pi, lagToleranceDeg / 180);
}

} // namespace
