// The motion's own figures against the closed form: a settled forced
// motion, free decays, and motions too short to measure.
#include <cmath>

#include <gtest/gtest.h>

#include "sim/motion_figures.h"

namespace
{

constexpr double pi = 3.14159265358979;
// What the laboratory class accepts between measurement and formula.
constexpr double amplitudeTolerance = 0.005; // relative
constexpr double lagToleranceDeg = 0.5;
constexpr double zetaTolerance = 0.01;    // relative
constexpr double periodTolerance = 0.005; // relative
// 600 s of the window's 0.01 s steps.
constexpr long longRun = 60000;

TEST(MotionFigures, SettledForcedMotionAgreesWithTheClosedForm)
{
    // m 1, K 4 (om0 = 2 rad/s), F 1, forced at ratios 0.8 and 1.2.
    for (const double zeta : {0.05, 0.2, 1.0}) {
        for (const double r : {0.8, 1.2}) {
            const MotionFigures f = measureMotion({1, 4 * zeta, 4, 1, 2 * r}, 0, 0, longRun);
            const double Ad = 0.25 / std::sqrt((1 - r * r) * (1 - r * r) + 4 * zeta * zeta * r * r);
            const double lagDeg = std::atan2(2 * zeta * r, 1 - r * r) * 180 / pi;
            ASSERT_EQ(f.kind, MotionKind::forced) << "zeta " << zeta << ", ratio " << r;
            EXPECT_TRUE(f.settled);
            EXPECT_EQ(f.periods, 5);
            EXPECT_NEAR(f.amplitude / Ad, 1, amplitudeTolerance) << "zeta " << zeta;
            EXPECT_NEAR(f.phaseLag * 180, lagDeg, lagToleranceDeg) << "zeta " << zeta;
            EXPECT_NEAR(f.period / (pi / r), 1, periodTolerance) << "zeta " << zeta;
        }
    }
}

TEST(MotionFigures, FreeDecayGivesZetaAndTheDampedPeriod)
{
    // Released from 0.5 m at rest, om0 = 2 rad/s.
    for (const double zeta : {0.01, 0.05, 0.1, 0.3}) {
        const MotionFigures f = measureMotion({1, 4 * zeta, 4, 0, 0}, 0.5, 0, longRun);
        ASSERT_EQ(f.kind, MotionKind::freeDecay) << "zeta " << zeta;
        EXPECT_NEAR(f.zeta / zeta, 1, zetaTolerance) << "zeta " << zeta;
        EXPECT_NEAR(f.dampedPeriod / (pi / std::sqrt(1 - zeta * zeta)), 1, periodTolerance);
        EXPECT_NEAR(f.logDecrement, 2 * pi * zeta / std::sqrt(1 - zeta * zeta), 1e-2 * zeta);
    }
}

TEST(MotionFigures, TooLittleMotionAndAStartWithNoEarlierWindow)
{
    // Under two forcing periods (pi s each), no motion at all, one peak only.
    EXPECT_EQ(measureMotion({1, 0.2, 4, 1, 2}, 0, 0, 600).kind, MotionKind::tooLittle);
    EXPECT_EQ(measureMotion({1, 0.2, 4, 0, 0}, 0, 0, longRun).kind, MotionKind::tooLittle);
    EXPECT_EQ(measureMotion({1, 0.2, 4, 0, 0}, 0.5, 0, 500).kind, MotionKind::tooLittle);
    EXPECT_TRUE(measureMotion({1, 0.2, 4, 1, 2}, 0, 0, 600).forcedMotion);
    // Three periods: measured, but with no earlier window it is not settled.
    const MotionFigures f = measureMotion({1, 0.2, 4, 1, 2}, 0, 0, 1000);
    EXPECT_EQ(f.kind, MotionKind::forced);
    EXPECT_EQ(f.periods, 3);
    EXPECT_FALSE(f.settled);
}

} // namespace
