// The calls one Runge-Kutta-Gill step makes of the right-hand side.
//
// This binary brings its own derivative, which records every call, in place
// of the oscillator's: the integrator is linked against it alone.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "sim/equation_of_motion.h"
#include "sim/runge_kutta_gill.h"

namespace
{

struct Call {
    int i;
    double t;
    const double* y;
    std::vector<double> state; // the vector the call saw
};

std::vector<Call> calls;
// Components of the state the step under test works on.
int width = 0;

// y' = -y for every component: a smooth right-hand side with known stages.
double recordedSlope(int i, const double* y)
{
    return -y[i];
}

} // namespace

double derivative(int i, double t, const double* y)
{
    calls.push_back({i, t, y, std::vector<double>(y, y + width)});
    return recordedSlope(i, y);
}

namespace
{

TEST(GillCalls, FourStagesInOrderAtTheirTimes)
{
    calls.clear();
    width = 3;
    const double t = 1.25;
    const double dt = 0.01;
    double yIn[3] = {1, 2, 3};
    double yOut[3] = {};
    rungeKuttaGill(t, dt, yIn, yOut, 3);

    ASSERT_EQ(calls.size(), 12u) << "4 n calls";
    const double times[4] = {t, 0.5 * dt + t, 0.5 * dt + t, t + dt};
    for (std::size_t k = 0; k < calls.size(); k++) {
        SCOPED_TRACE(k);
        EXPECT_EQ(calls[k].i, static_cast<int>(k % 3)) << "components in ascending order";
        EXPECT_EQ(calls[k].t, times[k / 3]);
        // Within a stage every component sees the same, complete vector.
        EXPECT_EQ(calls[k].y, calls[k / 3 * 3].y);
    }
    EXPECT_EQ(calls[0].y, yIn) << "stage 1 reads the input";
    for (int stage = 1; stage < 4; stage++) {
        EXPECT_NE(calls[3 * stage].y, yIn);
        EXPECT_NE(calls[3 * stage].y, yOut) << "the output is written only at the end";
    }
    // Stage 2 starts from yIn + dt/2 * f(yIn).
    EXPECT_EQ(calls[3].state[0], 1 + 0.5 * (-1 * dt));
    EXPECT_EQ(calls[3].state[2], 3 + 0.5 * (-3 * dt));
}

TEST(GillCalls, ZeroStepStillEvaluatesEveryStage)
{
    for (const int n : {1, 2, 3}) {
        SCOPED_TRACE(n);
        calls.clear();
        width = n;
        double y[3] = {0.5, -0.25, 2};
        const double before[3] = {y[0], y[1], y[2]};
        rungeKuttaGill(3.0, 0.0, y, y, n);
        EXPECT_EQ(calls.size(), static_cast<std::size_t>(4 * n));
        for (int i = 0; i < n; i++) {
            EXPECT_EQ(y[i], before[i]);
        }
    }
}

} // namespace
