// The readout under the pointer, read from the glyphs a press draws.
#include <cmath>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "app/display.h"
#include "app/pointer.h"
#include "app/snapshot.h"
#include "model/oscillator.h"
#include "model/state.h"
#include "tests/frame_fixture.h"

namespace
{

// The readout's line: the glyphs drawn after the time plot's labels.
std::string readoutLine()
{
    std::string text;
    for (int code : glGlyphs()) {
        text += static_cast<char>(code);
    }
    const std::string labelsEnd = "1grid=(1s, 0.2m)";
    return text.substr(text.find(labelsEnd) + labelsEnd.size());
}

using Readout = FrameTest;

TEST_F(Readout, PressReadsTheTimePlotAndTheChartWithoutMovingTheMotion)
{
    drawUnrecorded();
    for (int i = 0; i < 100; i++) {
        display();
    }
    const double tNow = run.t;
    setGlRecording(true);

    // Pixel 100 of 800 from the left is sample 60 of the time axis, 0.004 apart from x = -0.99.
    pointerPress(100, 400);
    EXPECT_EQ(run.t, tNow);
    EXPECT_EQ(framesDrawn(), 1u);
    double t = 0, y = 0, force = 0;
    ASSERT_EQ(std::sscanf(readoutLine().c_str(), "t=%lf[s]  y=%lf[m]  F/K=%lf[m]", &t, &y, &force),
              3)
        << readoutLine();
    EXPECT_NEAR(t, 60 * 0.04, 0.005);
    EXPECT_NEAR(y, yHistory()[60], 0.00005);
    EXPECT_NEAR(force, forceHistory()[60], 0.00005);

    // On the chart: pixel 604 is ratio 2.005 (0.02 a table sample, 0.005 apart
    // from x = 0.01); the entered zeta's closed form there.
    lastKey = 'f';
    resetGl();
    pointerPress(604, 300);
    double ratio = 0, amplitude = 0, lag = 0;
    ASSERT_EQ(std::sscanf(readoutLine().c_str() + readoutLine().find("wf/w0="),
                          "wf/w0=%lf  A=%lf[m]  Phi=%lf[deg]", &ratio, &amplitude, &lag),
              3)
        << readoutLine();
    EXPECT_DOUBLE_EQ(ratio, 2.005);
    const double r = 2.005, zeta = 0.05;
    EXPECT_NEAR(amplitude, 0.25 / std::hypot(1 - r * r, 2 * zeta * r), 0.00005);
    EXPECT_NEAR(lag, std::atan2(2 * zeta * r, 1 - r * r) * 180 / 3.14159265358979, 0.005);
    EXPECT_NE(std::string(windowSnapshot()).find("\"readout\":\"ωf/ω0= 2.005  A= "),
              std::string::npos);

    // A moving base: the same point names its transmissibility beside A.
    params.system.kind = ExcitationKind::base;
    computeForcedResponse();
    resetGl();
    pointerPress(604, 300);
    const std::string line = readoutLine();
    double gain = 0;
    ASSERT_NE(line.find("|Y/U|="), std::string::npos) << line;
    ASSERT_EQ(std::sscanf(line.c_str() + line.find("|Y/U|="), "|Y/U|=%lf", &gain), 1);
    EXPECT_NEAR(gain, std::hypot(1, 2 * zeta * r) / std::hypot(1 - r * r, 2 * zeta * r), 0.00005);

    // Off the plots (the mass's figure, with the chart gone) clears it.
    lastKey = 's';
    resetGl();
    pointerPress(700, 400);
    EXPECT_EQ(glCallCount("glutSwapBuffers"), 1u);
    EXPECT_EQ(readoutLine(), "");
}

} // namespace
