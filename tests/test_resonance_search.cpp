// The sweep's search for the resonance against the closed form, and the
// figures it must not invent.
#include <cmath>

#include <gtest/gtest.h>

#include "sim/frequency_sweep.h"
#include "sim/resonance_search.h"

namespace
{

// How close the found ratios must be to the closed form's (relative).
constexpr double ratioTolerance = 0.005;
// A slice like the window's timer takes, steps.
constexpr long sliceSteps = 20000;

// The coarse sweep and the search of m 1, K 4 (om0 = 2 rad/s), F 1.
ResonanceSearch searchAtOnce(double zeta)
{
    Sweep sweep;
    sweepBegin(&sweep, {1, 4 * zeta, 4, 1, 0});
    while (!sweepAdvance(&sweep, 1000000)) {
    }
    ResonanceSearch search;
    resonanceBegin(&search, {1, 4 * zeta, 4, 1, 0}, sweep.points, sweepPointCount);
    while (!resonanceAdvance(&search, sliceSteps)) {
    }
    return search;
}

TEST(ResonanceSearch, RatiosAgreeWithTheClosedForm)
{
    for (const double zeta : {0.02, 0.05, 0.1, 0.2}) {
        const ResonanceSearch search = searchAtOnce(zeta);
        const ResonanceFigures& f = resonanceFigures(search);
        const double root = 2 * zeta * std::sqrt(1 - zeta * zeta);
        ASSERT_TRUE(f.rp.exists && f.r1.exists && f.r2.exists && f.r90.exists) << zeta;
        EXPECT_NEAR(f.rp.value / std::sqrt(1 - 2 * zeta * zeta), 1, ratioTolerance) << zeta;
        EXPECT_NEAR(f.r1.value / std::sqrt(1 - 2 * zeta * zeta - root), 1, ratioTolerance);
        EXPECT_NEAR(f.r2.value / std::sqrt(1 - 2 * zeta * zeta + root), 1, ratioTolerance);
        EXPECT_NEAR(f.r90.value, 1, ratioTolerance) << zeta;
        EXPECT_NEAR(f.Ap.value * root / 0.25, 1, ratioTolerance) << zeta;
        EXPECT_DOUBLE_EQ(f.Q.value, 1 / (f.r2.value - f.r1.value));
        ASSERT_GT(resonanceAddedCount(search), 0);
        for (int k = 0; k < resonanceAddedCount(search); k++) {
            EXPECT_TRUE(resonanceAddedPoint(search, k).settled) << zeta;
        }
    }
}

TEST(ResonanceSearch, MissingPeakOrBandEdgeIsNone)
{
    // zeta 0.4: a peak, but 1/sqrt 2 of it lies above the static amplitude.
    const ResonanceFigures band = resonanceFigures(searchAtOnce(0.4));
    EXPECT_TRUE(band.rp.exists && band.r2.exists && band.r90.exists);
    EXPECT_FALSE(band.r1.exists || band.zetaBand.exists || band.Q.exists);
    // zeta 1: the amplitude falls all the way; the lag still passes 90 degrees.
    const ResonanceFigures falling = resonanceFigures(searchAtOnce(1.0));
    EXPECT_FALSE(falling.rp.exists || falling.Ap.exists || falling.r1.exists || falling.r2.exists);
    EXPECT_NEAR(falling.r90.value, 1, ratioTolerance);
    // Undamped: nothing settles, nothing is searched.
    ResonanceSearch undamped;
    const SweepPoint coarse[1] = {{1.0, 1.0, 0.5, false}};
    resonanceBegin(&undamped, {1, 0, 4, 1, 0}, coarse, 1);
    EXPECT_TRUE(resonanceAdvance(&undamped, 1));
    EXPECT_EQ(resonanceAddedCount(undamped), 0);
    EXPECT_FALSE(resonanceFigures(undamped).r90.exists);
}

} // namespace
