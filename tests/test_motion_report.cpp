// The key 'r' after frames of the window: its line is that of the whole
// motion run again from its start, forced and in a free decay.
#include <string>

#include <gtest/gtest.h>

#include "app/display.h"
#include "app/figures_text.h"
#include "app/motion_report.h"
#include "tests/console_capture.h"
#include "tests/frame_fixture.h"

namespace
{

class MotionReport : public FrameTest
{
  protected:
    // The line of 'r' after `frames` frames, and the line of a whole re-run.
    static void expectLineOfWholeRun(int frames)
    {
        for (int k = 0; k < frames; k++) {
            advanceFrame();
        }
        const Oscillator o = {params.system.m, params.system.lambda, params.system.K,
                              params.system.F, params.system.omf};
        const long steps = frames * static_cast<long>(stepsPerFrame);
        const std::string whole = motionFiguresText(measureMotion(o, params.y0, params.v0, steps));
        EXPECT_EQ(withConsole("", reportMotionFigures), whole + "\n");
    }
};

TEST_F(MotionReport, LineIsTheWholeRunsForcedAndFree)
{
    // 120 s of the worked example: its windows lie far from the start.
    expectLineOfWholeRun(3000);
    // A free decay from 0.5 m, begun again: the record starts anew.
    params.system.F = 0;
    params.y0 = 0.5;
    params.v0 = 0;
    resetRun();
    expectLineOfWholeRun(1500);
}

} // namespace
