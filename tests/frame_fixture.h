// A shared starting point for tests of the display frame and the keys: the
// worked example entered, the run reset, and an empty OpenGL recording.
#pragma once

#include <gtest/gtest.h>

#include "tests/recorded_gl_test.h"
#include "tools/worked_example_setup.h"

class FrameTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        enterWorkedExample();
        resetGl();
        setGlRecording(true);
    }

    // Stop recording the calls of the frames to come, where only their effect
    // on the run or the view is checked: a frame of the time plot at full
    // length is thousands of calls, and hundreds of frames would take seconds.
    static void drawUnrecorded() { setGlRecording(false); }

    // The number of frames drawn since the last recording was cleared.
    static std::size_t framesDrawn() { return glCallCount("glutSwapBuffers"); }
};
