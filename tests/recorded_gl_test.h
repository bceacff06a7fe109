// A shared fixture for tests of drawing code against the recording stand-in
// for OpenGL: an empty recording in OpenGL's start state before each case,
// and no OpenGL error left after it.
#pragma once

#include "tools/gl_recorder.h"

#include <gtest/gtest.h>

class RecordedGlTest : public ::testing::Test
{
  protected:
    void SetUp() override { resetGl(); }
    void TearDown() override { EXPECT_TRUE(glErrors().empty()) << glErrors().front(); }
};
