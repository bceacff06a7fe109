// A shared fixture for tests of drawing code against the OpenGL model: an
// empty recording in OpenGL's start state before each case, and no OpenGL
// error left after it.
#pragma once

#include "platform/gl_model/gl_model.h"
#include "plot/drawing_types.h"

#include <gtest/gtest.h>

#include <ostream>

// The program's colour as the model holds it.
inline GlColour glColourOf(const Rgba& c)
{
    return {c.r, c.g, c.b, c.a};
}

inline std::ostream& operator<<(std::ostream& out, const GlColour& c)
{
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
}

class RecordedGlTest : public ::testing::Test
{
  protected:
    void SetUp() override { resetGl(); }
    void TearDown() override { EXPECT_TRUE(glErrors().empty()) << glErrors().front(); }
};
