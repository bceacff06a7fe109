// The excitations of model/excitation.h: their closed forms against known
// values, the crossing of the transmissibility at sqrt 2, and the sweep and
// the key r measuring each of them.
#include <cmath>
#include <cstdio>

#include <gtest/gtest.h>

#include "model/excitation.h"
#include "sim/frequency_sweep.h"
#include "sim/motion_figures.h"

namespace
{

// What the laboratory class accepts between measurement and formula.
constexpr double amplitudeTolerance = 0.005; // relative
constexpr double lagToleranceDeg = 0.5;
// Rounding of closed forms that are exact on paper.
constexpr double exact = 1e-12;

const double root2 = std::sqrt(2.0);

// m = 1 kg, K = 4 N/m (om0 = 2 rad/s), lambda for zeta, the excitation's amplitude 0.1.
Oscillator system(ExcitationKind kind, double zeta, double omf)
{
    Oscillator o = {1, 4 * zeta, 4, 0.1, omf};
    o.kind = kind;
    return o;
}

TEST(Excitation, ClosedFormsGiveTheTextbookValues)
{
    // Force: the static deflection at rest, As/(2 zeta) and 90 degrees at resonance.
    EXPECT_NEAR(steadyResponse(ExcitationKind::force, 0.25, 0, 0.1).amplitude, 0.25, exact);
    EXPECT_NEAR(steadyResponse(ExcitationKind::force, 0.25, 1, 0.1).amplitude, 1.25, exact);
    // Base: |Y/U| = sqrt(1 + 4 zeta^2) / (2 zeta) = 5.0990 at resonance for zeta 0.1,
    // lagging atan2(2 zeta, 4 zeta^2) = 78.69 degrees; 1 and no lag at rest.
    const SteadyResponse base = steadyResponse(ExcitationKind::base, 1, 1, 0.1);
    EXPECT_NEAR(base.amplitude, std::sqrt(1.04) / 0.2, exact);
    EXPECT_NEAR(base.lag * 180, 78.690067525979785, 1e-9);
    EXPECT_NEAR(steadyResponse(ExcitationKind::base, 1, 0, 0.1).amplitude, 1, exact);
    // Far above resonance the base's lag tends to 90 degrees and |Y/U| to 2 zeta / r.
    EXPECT_NEAR(steadyResponse(ExcitationKind::base, 1, 1000, 0.1).amplitude, 0.2 / 1000, 1e-7);
    // Unbalance: m X / (me e) is 1/(2 zeta) at resonance, 0 at rest, tends to 1, not 0.
    EXPECT_NEAR(steadyResponse(ExcitationKind::unbalance, 1, 1, 0.1).amplitude, 5, exact);
    EXPECT_EQ(steadyResponse(ExcitationKind::unbalance, 1, 1, 0.1).lag, 0.5);
    EXPECT_EQ(steadyResponse(ExcitationKind::unbalance, 1, 0, 0.1).amplitude, 0);
    EXPECT_NEAR(steadyResponse(ExcitationKind::unbalance, 1, 1000, 0.1).amplitude, 1, 1e-5);
    // The scales and the forces at t: me e omf^2 sin, and K u + lambda u' of the base.
    const Oscillator u = system(ExcitationKind::unbalance, 0.1, 3);
    EXPECT_NEAR(referenceAmplitude(u), 0.1, exact);
    EXPECT_NEAR(excitationForce(u, 0.5), 0.1 * 9 * std::sin(1.5), exact);
    const Oscillator b = system(ExcitationKind::base, 0.1, 3);
    EXPECT_NEAR(excitationForce(b, 0.5), 4 * 0.1 * std::sin(1.5) + 0.4 * 0.3 * std::cos(1.5),
                exact);
    EXPECT_NEAR(baseDisplacement(b, 0.5), 0.1 * std::sin(1.5), exact);
    EXPECT_EQ(baseDisplacement(u, 0.5), 0);
}

TEST(Excitation, EveryTransmissibilityCrossesOneAtRootTwo)
{
    for (const double zeta : {0.0, 0.02, 0.05, 0.1, 0.2, 0.7071, 1.0, 2.0, 5.0}) {
        EXPECT_NEAR(steadyResponse(ExcitationKind::base, 1, root2, zeta).amplitude, 1, exact)
            << "zeta " << zeta;
        // Isolation above the crossing, amplification below it.
        EXPECT_GT(steadyResponse(ExcitationKind::base, 1, 1.3, zeta).amplitude, 1);
        EXPECT_LT(steadyResponse(ExcitationKind::base, 1, 1.5, zeta).amplitude, 1);
    }
}

// The sweep's own run of one point, as its search for the resonance runs one.
SweepPoint sweepPoint(const Oscillator& o, double ratio)
{
    PointRun run;
    SweepPoint point;
    pointBegin(&run, &point, o, ratio, 5.0, sweepTimeLimit);
    long steps = 1L << 40;
    pointAdvance(&run, &steps);
    pointFinish(run, &point);
    return point;
}

TEST(Excitation, SweepAndKeyRMeasureEveryExcitation)
{
    for (const ExcitationKind kind :
         {ExcitationKind::force, ExcitationKind::base, ExcitationKind::unbalance}) {
        for (const double zeta : {0.05, 0.2}) {
            double worst[2][2] = {}; // [sweep, r][amplitude %, lag deg]
            for (const double ratio : {0.5, 1.0, root2, 3.0}) {
                const Oscillator o = system(kind, zeta, 2 * ratio);
                const SteadyResponse want =
                    steadyResponse(kind, referenceAmplitude(o), ratio, zeta);
                const SweepPoint swept = sweepPoint(o, ratio);
                // From rest, for 30 time constants 1/(zeta om0).
                const MotionFigures r = measureMotion(o, 0, 0, std::lround(15 / zeta / 0.01));
                const double got[2][2] = {{swept.amplitude, swept.phaseLag},
                                          {r.amplitude, r.phaseLag}};
                for (int i = 0; i < 2; i++) {
                    const double ampError = std::fabs(got[i][0] / want.amplitude - 1);
                    const double lagError = std::fabs(got[i][1] - want.lag) * 180;
                    EXPECT_LT(ampError, amplitudeTolerance)
                        << i << " zeta " << zeta << " r " << ratio;
                    EXPECT_LT(lagError, lagToleranceDeg) << i << " zeta " << zeta << " r " << ratio;
                    worst[i][0] = std::fmax(worst[i][0], 100 * ampError);
                    worst[i][1] = std::fmax(worst[i][1], lagError);
                }
            }
            std::printf("%s zeta %.2f: sweep %.2g %% %.2g deg, r %.2g %% %.2g deg\n",
                        excitationName(kind), zeta, worst[0][0], worst[0][1], worst[1][0],
                        worst[1][1]);
        }
    }
}

} // namespace
