// A shared starting point for tests of the display frame and the keys: the
// worked example entered, the run reset, and an empty OpenGL recording.
#pragma once

#include <gtest/gtest.h>

#include "app/view.h"
#include "model/frequency_response.h"
#include "model/oscillator.h"
#include "model/state.h"
#include "tools/gl_recorder.h"

class FrameTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        resetAllState();
        params = Parameters{1, 0.2, 4, 1, 1, 0, 0};
        computeNaturalFrequency();
        computeForcedResponse();
        fillFrequencyTables();
        setSteadyStateStart();
        resetRun();
        resetView();
        resetGl();
    }

    // The number of frames drawn since the last recording was cleared.
    static std::size_t framesDrawn() { return glCallCount("glutSwapBuffers"); }
};
