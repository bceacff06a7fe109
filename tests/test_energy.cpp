// The energy view: the power balance of the window's motion, the energy of
// a free motion, and the chart's half-power band.
#include <algorithm>
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "app/display.h"
#include "app/energy_view.h"
#include "app/keyboard.h"
#include "model/energy.h"
#include "model/oscillator.h"
#include "tests/console_capture.h"
#include "tests/frame_fixture.h"

namespace
{

// The bound on a settled period's means: 0.5 %.
constexpr double meansTolerance = 0.005;
// And on the half-power band of the chart: 0.1 % of 2 zeta.
constexpr double bandTolerance = 0.001;

// Start the worked example's system (m 1, lambda 0.2, K 4) driven by kind
// at omf from rest, and run it for seconds in the window's frames.
void runFromRest(ExcitationKind kind, double omf, double seconds)
{
    params.system.kind = kind;
    params.system.omf = omf;
    params.y0 = params.v0 = 0;
    computeNaturalFrequency();
    computeForcedResponse();
    resetRun();
    for (double t = 0; t < seconds; t += frameTime) {
        advanceFrame();
    }
}

using EnergyView = FrameTest;

// Once settled, what the excitation puts in over a period the damper takes
// out, and for a force both are the closed form's; the key e says so.
TEST_F(EnergyView, PowersBalanceOnceSettled)
{
    drawUnrecorded();
    for (const ExcitationKind kind :
         {ExcitationKind::force, ExcitationKind::base, ExcitationKind::unbalance}) {
        for (const double omf : {1.0, 2.0, 3.0}) {
            SCOPED_TRACE(testing::Message() << "kind " << int(kind) << ", omf " << omf);
            runFromRest(kind, omf, 150); // fifteen time constants 1/(zeta om0)
            const EnergyMeans e = energyViewMeans();
            ASSERT_EQ(e.kind, EnergyMeansKind::period);
            EXPECT_NEAR(e.input, e.damper, meansTolerance * e.damper);
            EXPECT_NEAR(e.input, meanInputPower(params.system), meansTolerance * e.input);
            if (kind == ExcitationKind::force) {
                const double m = 1, lambda = 0.2, K = 4, F = 1, w = omf;
                const double stiffness = K - m * w * w;
                const double closed = 0.5 * F * F * lambda * w * w /
                                      (stiffness * stiffness + lambda * w * lambda * w);
                EXPECT_NEAR(e.input, closed, meansTolerance * closed);
            }
        }
    }
    const std::string line = withConsole("", [] { keyboard('e', 0, 0); });
    EXPECT_EQ(line.rfind("エネルギー / energy (last period): KE= ", 0), 0u) << line;
    EXPECT_TRUE(energyViewShown());
    EXPECT_TRUE(withConsole("", [] { keyboard('e', 0, 0); }).empty());
    EXPECT_FALSE(energyViewShown());
}

// Undamped and free, KE + PE stays what it was over 100 s of 0.01 s steps.
TEST_F(EnergyView, FreeUndampedEnergyStaysConstant)
{
    drawUnrecorded();
    params.system = {1, 0, 4, 0, 0};
    params.y0 = 1;
    params.v0 = 0;
    computeNaturalFrequency();
    computeForcedResponse();
    resetRun();
    const double start = springEnergy(4, 1);
    double drift = 0;
    for (int frame = 0; frame < 2500; frame++) {
        advanceFrame();
        const CsvEnergyColumns e = energyColumnsNow();
        drift = std::max(drift, std::fabs(e.kinetic + e.spring - start) / start);
    }
    EXPECT_NEAR(run.t, 100, 1e-9);
    EXPECT_LT(drift, 1e-6);
    RecordProperty("relativeEnergyDrift", std::to_string(drift));
}

// The chart's power curves peak at ratio 1 exactly, and their half-power
// points lie 2 zeta apart.
TEST(PowerChart, HalfPowerBandIsTwoZetaWide)
{
    for (const double zeta : {0.02, 0.05, 0.2}) {
        SCOPED_TRACE(zeta);
        EXPECT_EQ(relativeInputPower(ExcitationKind::force, zeta, 1.0), 1.0);
        EXPECT_LT(relativeInputPower(ExcitationKind::force, zeta, 1.001), 1.0);
        EXPECT_LT(relativeInputPower(ExcitationKind::force, zeta, 0.999), 1.0);
        double r1, r2;
        ASSERT_TRUE(powerHalfPowerRatios(zeta, &r1, &r2));
        EXPECT_LT(r1, 1);
        EXPECT_GT(r2, 1);
        EXPECT_NEAR(r2 - r1, 2 * zeta, bandTolerance * 2 * zeta);
    }
}

} // namespace
