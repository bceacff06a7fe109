// The sampled frequency-response curves and the table fill.
#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "model/frequency_response.h"
#include "model/oscillator.h"
#include "model/state.h"

namespace
{

// The reference values are rounded to six decimals.
constexpr double tableTolerance = 0.5e-6;

struct Sample {
    int k;
    double amplitude;
    double phase;
};

struct Curve {
    double zeta;
    std::vector<Sample> samples;
};

TEST(FrequencyResponse, ReferenceSamples)
{
    const double aboveOne = 1.0000000000000009; // pi over the fourteen-decimal pi
    // One row a curve, as the reference table stands.
    // clang-format off
    const Curve curves[] = {
        {0, {{0, 1, 0}, {25, 1.333333, 0}, {50, 100000, 0.5}, {100, 0.333333, aboveOne},
             {300, 0.028571, aboveOne}}},
        {0.1, {{0, 1, 0}, {25, 1.321637, 0.042192}, {50, 5, 0.5}, {100, 0.330409, 0.957808},
               {300, 0.028555, 0.989091}}},
        {0.7071, {{0, 1, 0}, {25, 0.970147, 0.240631}, {50, 0.707114, 0.5},
                  {100, 0.242537, 0.759369}, {300, 0.027767, 0.924291}}},
        {1, {{0, 1, 0}, {25, 0.8, 0.295167}, {50, 0.5, 0.5}, {100, 0.2, 0.704833},
             {300, 0.027027, 0.894863}}},
        {5, {{0, 1, 0}, {25, 0.197787, 0.452607}, {50, 0.1, 0.5}, {100, 0.049447, 0.547393},
             {300, 0.014396, 0.668091}}},
    };
    // clang-format on
    for (const Curve& curve : curves) {
        double amp[rowLength] = {};
        double phase[rowLength] = {};
        computeFrequencyResponse(ExcitationKind::force, 0.02, 300, curve.zeta, 1.0, amp, phase);
        for (const Sample& s : curve.samples) {
            SCOPED_TRACE(testing::Message() << "zeta " << curve.zeta << " sample " << s.k);
            EXPECT_NEAR(amp[s.k], s.amplitude, tableTolerance);
            EXPECT_NEAR(phase[s.k], s.phase, tableTolerance);
        }
        EXPECT_EQ(amp[301], 0.0) << "slots past the last step stay untouched";
    }
}

TEST(FrequencyResponse, ResonanceSample)
{
    double amp[rowLength] = {};
    double phase[rowLength] = {};
    // Undamped: the cap, not scaled by the static deflection; neighbours finite.
    computeFrequencyResponse(ExcitationKind::force, 0.02, 300, 0, 0.01, amp, phase);
    EXPECT_EQ(amp[50], 100000.0);
    EXPECT_EQ(phase[50], 0.5);
    EXPECT_NEAR(amp[49], 25.252525 * 0.01, tableTolerance);
    EXPECT_NEAR(amp[51], 24.752475 * 0.01, tableTolerance);
    EXPECT_EQ(phase[49], 0.0);
    EXPECT_EQ(phase[51], 1.0000000000000009);
    // Everything else is one hundredth of the unit-deflection curve.
    EXPECT_NEAR(amp[25], 0.01333333, 1e-8);

    // A NaN damping ratio counts as undamped at resonance, NaN elsewhere.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    computeFrequencyResponse(ExcitationKind::force, 0.02, 300, nan, 1, amp, phase);
    EXPECT_EQ(amp[50], 100000.0);
    EXPECT_EQ(phase[50], 0.5);
    EXPECT_TRUE(std::isnan(amp[25]) && std::isnan(phase[25]));

    // Negative damping: the size of the swing as the dialog gives it, phases below zero.
    computeFrequencyResponse(ExcitationKind::force, 0.02, 300, -0.1, 1, amp, phase);
    EXPECT_EQ(amp[50], 5.0);
    EXPECT_GT(amp[25], 0.0);
    EXPECT_LT(phase[25], 0.0);
    EXPECT_GT(phase[25], -1.0);
}

TEST(FrequencyResponse, StepCountBoundsWhatIsWritten)
{
    const double sentinel = -123.0;
    double amp[4] = {sentinel, sentinel, sentinel, sentinel};
    double phase[4] = {sentinel, sentinel, sentinel, sentinel};

    computeFrequencyResponse(ExcitationKind::force, 0.02, -1, 0.1, 0.3, amp, phase);
    EXPECT_EQ(amp[0], sentinel);
    EXPECT_EQ(phase[0], sentinel);

    computeFrequencyResponse(ExcitationKind::force, 0.02, 0, 0.1, 0.3, amp, phase);
    EXPECT_EQ(amp[0], 0.3);
    EXPECT_EQ(phase[0], 0.0);
    EXPECT_EQ(amp[1], sentinel);
}

TEST(FrequencyResponse, StepWithNoResonanceSampleUsesTheGeneralFormula)
{
    // With a step of 0.03 no sample comes within 1e-6 of ratio 1, so even
    // the undamped curve stays finite and never takes the cap.
    double amp[rowLength];
    double phase[rowLength];
    computeFrequencyResponse(ExcitationKind::force, 0.03, 200, 0, 1, amp, phase);
    for (int k = 0; k <= 200; k++) {
        EXPECT_NE(amp[k], 100000.0) << k;
        EXPECT_TRUE(std::isfinite(amp[k])) << k;
        const double r = k * 0.03;
        EXPECT_EQ(amp[k], 1 / std::sqrt((1 - r * r) * (1 - r * r))) << k;
    }
}

TEST(FrequencyResponse, TableFillUsesEnteredZetaThenTheNineRows)
{
    resetAllState();
    derived.zeta = 0.1;
    derived.As = 2;
    derived.freqRatio = 0.7; // the tables do not depend on the forcing frequency
    fillFrequencyTables();
    EXPECT_EQ(tables.freqStep, 0.02);
    EXPECT_EQ(tables.freqPoints, 300);
    EXPECT_EQ(tables.zetaCount, 9);
    EXPECT_EQ(tables.givenAmp[50], 10.0);
    EXPECT_EQ(tables.zetaAmp[0][50], 100000.0);
    for (int i = 0; i < zetaTableSize; i++) {
        double amp[rowLength] = {};
        double phase[rowLength] = {};
        computeFrequencyResponse(ExcitationKind::force, 0.02, 300, zetaTable[i], 2, amp, phase);
        for (int k = 0; k < rowLength; k++) {
            ASSERT_EQ(tables.zetaAmp[i][k], amp[k]) << i << "," << k;
            ASSERT_EQ(tables.zetaPhase[i][k], phase[k]) << i << "," << k;
        }
    }
    // The rows lie back to back in one block, as the chart walks them.
    EXPECT_EQ(&tables.zetaAmp[0][0] + 8 * rowLength, &tables.zetaAmp[8][0]);
}

} // namespace
