// Derived quantities of the oscillator and the run reset.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "model/frequency_response.h"
#include "model/oscillator.h"
#include "model/state.h"

namespace
{

// Printed figures carry four decimals; half a unit of the last one.
constexpr double printedTolerance = 0.5e-4;

void enter(double m, double lambda, double K, double F, double omf)
{
    resetAllState();
    params.system.m = m;
    params.system.lambda = lambda;
    params.system.K = K;
    params.system.F = F;
    params.system.omf = omf;
    computeNaturalFrequency();
    computeForcedResponse();
}

TEST(Oscillator, WorkedExample)
{
    enter(1, 0.2, 4, 1, 1);
    EXPECT_EQ(derived.om0, 2.0);
    EXPECT_EQ(derived.zeta, 0.05);
    EXPECT_EQ(derived.As, 0.25);
    EXPECT_EQ(derived.freqRatio, 0.5);
    EXPECT_NEAR(derived.Ad, 0.3326, printedTolerance);
    EXPECT_NEAR(derived.phaseLag * 180, 3.81, 0.005);
    setSteadyStateStart();
    EXPECT_NEAR(params.y0, -0.0221, printedTolerance);
    EXPECT_NEAR(params.v0, 0.3319, printedTolerance);
}

TEST(Oscillator, PhaseLagUsesTheFourteenDecimalPi)
{
    // Exact resonance takes the 90-degree branch, not atan2.
    enter(1, 0.2, 4, 1, 2);
    EXPECT_EQ(derived.freqRatio, 1.0);
    EXPECT_EQ(derived.phaseLag, 0.5);

    // One bit off resonance goes through atan2 and lands close to 0.5.
    enter(1, 0.2, 4, 1, std::nextafter(2.0, 3.0));
    EXPECT_NE(derived.freqRatio, 1.0);
    EXPECT_NEAR(derived.phaseLag, 0.5, 1e-12);

    // Undamped above resonance: pi / 3.14159265358979, not 1.
    enter(1, 0, 4, 1, 3);
    EXPECT_EQ(derived.zeta, 0.0);
    EXPECT_EQ(derived.phaseLag, 1.0000000000000009);
    // Undamped below resonance: in phase.
    enter(1, 0, 4, 1, 1);
    EXPECT_EQ(derived.phaseLag, 0.0);
}

TEST(Oscillator, OddInputTravelsAsIeeeValues)
{
    enter(1, 0, 4, 1, 1);
    EXPECT_TRUE(std::isinf(1 / (2 * derived.zeta))); // the printed resonance ratio

    enter(0, 0.2, 4, 1, 1);
    EXPECT_TRUE(std::isinf(derived.om0));
    EXPECT_TRUE(std::isinf(derived.zeta));

    enter(1, 0.2, 4, 0, 1);
    EXPECT_EQ(derived.As, 0.0);
    EXPECT_EQ(derived.Ad, 0.0);
    setSteadyStateStart();
    EXPECT_EQ(params.y0, -0.0); // a zero force starts the steady state at rest
    EXPECT_EQ(params.v0, 0.0);
}

TEST(Oscillator, RunResetStartsTheRun)
{
    enter(1, 0.2, 4, 1, 1);
    run.t = 12.5;
    run.histIndex = 77;
    params.y0 = 0.1;
    params.v0 = -0.2;

    resetRun();

    EXPECT_EQ(run.state[0], 0.1);
    EXPECT_EQ(run.state[1], -0.2);
    EXPECT_EQ(run.t, 0.0);
    EXPECT_EQ(run.histIndex, 0);
    EXPECT_EQ(yHistory()[0], 0.1);
    EXPECT_EQ(forceHistory()[0], 0.0);
}

} // namespace
