// Lines, discs and bitmap text, checked call by call against the recorder.
#include "plot/primitives.h"

#include "tests/recorded_gl_test.h"

#include <GL/gl.h>
#include <GL/glut.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{

// A disc vertex is r*cos, r*sin of an angle built from drawPi: a few roundings
// of values below 1, far inside this.
constexpr double kTrigRounding = 1e-12;

const Rgba red = {1.0f, 0.0f, 0.0f, 0.0f};
const Rgba teal = {0.0f, 0.6f, 0.8f, 0.25f};

using Primitives = RecordedGlTest;

std::vector<std::string> names(std::initializer_list<const char*> list)
{
    return std::vector<std::string>(list.begin(), list.end());
}

TEST_F(Primitives, ScaleCoordKeepsPlainDrawingValues)
{
    EXPECT_EQ(scaleCoord(0.5), 0.5);
    EXPECT_EQ(scaleCoord(0.01), 0.01);
    EXPECT_EQ(scaleCoord(0.0), 0.0);
    EXPECT_EQ(scaleCoord(-0.99), -0.99);
}

TEST_F(Primitives, LineSendsOneSegmentAndLeavesLightingOnAndItsColour)
{
    glLineWidth(3.0f); // a width set earlier must survive the line
    clearGlCalls();

    drawLine({0.1, -0.2}, {0.7, 0.4}, teal);

    EXPECT_EQ(glCallNames(), names({"glDisable", "glColor4f", "glBegin", "glVertex2d", "glVertex2d",
                                    "glEnd", "glEnable"}));
    EXPECT_EQ(glCalls()[0].args, std::vector<double>{GL_LIGHTING});
    EXPECT_EQ(glCalls()[1].args, (std::vector<double>{teal.r, teal.g, teal.b, teal.a}));
    EXPECT_EQ(glCalls()[2].args, std::vector<double>{GL_LINES});
    EXPECT_EQ(glCalls()[6].args, std::vector<double>{GL_LIGHTING});

    const std::vector<GlSegment> s = glSegments();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].from.x, 0.1);
    EXPECT_EQ(s[0].from.y, -0.2);
    EXPECT_EQ(s[0].to.x, 0.7);
    EXPECT_EQ(s[0].to.y, 0.4);
    EXPECT_EQ(s[0].colour, glColourOf(teal));
    EXPECT_FALSE(s[0].lighting);
    EXPECT_EQ(s[0].lineWidth, 3.0f);

    // Lighting was off before the call and is on after it; nothing restored.
    EXPECT_TRUE(glState().lighting);
    EXPECT_EQ(glState().colour, glColourOf(teal));
    EXPECT_EQ(glState().lineWidth, 3.0f);
}

TEST_F(Primitives, LineWithEqualEndsIsAZeroLengthSegment)
{
    drawLine({0.3, 0.3}, {0.3, 0.3}, red);
    const std::vector<GlSegment> s = glSegments();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].from.x, s[0].to.x);
    EXPECT_EQ(s[0].from.y, s[0].to.y);
    EXPECT_EQ(s[0].from.x, 0.3);
}

TEST_F(Primitives, DiscIsAHundredVertexPolygonAboutItsTranslatedCentre)
{
    drawDisc({0.5, 0.1}, 0.04, teal);

    const std::vector<std::string> n = glCallNames();
    ASSERT_EQ(n.size(), 5u + discSegments + 3u);
    EXPECT_EQ(std::vector<std::string>(n.begin(), n.begin() + 5),
              names({"glDisable", "glPushMatrix", "glTranslated", "glColor4f", "glBegin"}));
    EXPECT_EQ(std::vector<std::string>(n.end() - 3, n.end()),
              names({"glEnd", "glPopMatrix", "glEnable"}));
    EXPECT_EQ(glCalls()[2].args, (std::vector<double>{0.5, 0.1, 0.0}));

    ASSERT_EQ(glPrimitives().size(), 1u);
    const GlPrimitive& p = glPrimitives()[0];
    EXPECT_EQ(p.mode, static_cast<GLenum>(GL_POLYGON));
    EXPECT_EQ(p.colour, glColourOf(teal));
    EXPECT_FALSE(p.lighting);
    ASSERT_EQ(p.vertices.size(), static_cast<std::size_t>(discSegments));

    // Vertex 0 on the right, a quarter turn later straight above, and no
    // closing vertex back at angle 2*pi: the polygon closes by itself.
    EXPECT_EQ(p.vertices[0].x, 0.04);
    EXPECT_EQ(p.vertices[0].y, 0.0);
    EXPECT_NEAR(p.vertices[25].x, 0.0, kTrigRounding);
    EXPECT_NEAR(p.vertices[25].y, 0.04, kTrigRounding);
    EXPECT_NEAR(p.vertices[50].x, -0.04, kTrigRounding);
    EXPECT_LT(p.vertices[99].y, 0.0); // last vertex just below the start
    for (const GlVertex& v : p.vertices) {
        EXPECT_NEAR(std::hypot(v.x, v.y), 0.04, kTrigRounding);
    }
    // The vertices are relative to the centre, which only the matrix moves.
    EXPECT_NEAR(p.placed[0].x, 0.54, kTrigRounding);
    EXPECT_NEAR(p.placed[0].y, 0.1, kTrigRounding);

    EXPECT_TRUE(glState().lighting);
    EXPECT_EQ(glState().modelviewDepth, 0);
    EXPECT_EQ(glState().modelview.tx, 0.0);
    EXPECT_EQ(glState().colour, glColourOf(teal));
}

TEST_F(Primitives, DiscOfZeroOrNegativeRadius)
{
    drawDisc({0.2, -0.3}, 0.0, red);
    drawDisc({0.2, -0.3}, -0.01, red);
    ASSERT_EQ(glPrimitives().size(), 2u);

    // Radius 0: all hundred vertices on the centre.
    const GlPrimitive& zero = glPrimitives()[0];
    ASSERT_EQ(zero.vertices.size(), static_cast<std::size_t>(discSegments));
    for (const GlVertex& v : zero.vertices) {
        EXPECT_EQ(std::fabs(v.x), 0.0);
        EXPECT_EQ(std::fabs(v.y), 0.0);
    }

    // Negative radius: the same disc, started on the left of the centre.
    const GlPrimitive& negative = glPrimitives()[1];
    ASSERT_EQ(negative.vertices.size(), static_cast<std::size_t>(discSegments));
    EXPECT_EQ(negative.vertices[0].x, -0.01);
    EXPECT_NEAR(negative.vertices[25].y, -0.01, kTrigRounding);
    EXPECT_EQ(negative.modelview.tx, 0.2);
    EXPECT_EQ(negative.modelview.ty, -0.3);
}

TEST_F(Primitives, TextSendsEveryByteAsASignedCharacterCode)
{
    drawText(-0.9f, 0.85f, GLUT_BITMAP_HELVETICA_18, "Az \x80\xe9\xff");

    const std::vector<std::string> n = glCallNames();
    ASSERT_EQ(n.size(), 2u + 6u + 1u);
    EXPECT_EQ(n.front(), "glPushAttrib");
    EXPECT_EQ(n[1], "glRasterPos2f");
    EXPECT_EQ(n.back(), "glPopAttrib");
    EXPECT_EQ(glCalls()[0].args, std::vector<double>{GL_CURRENT_BIT});
    // The raster position goes to OpenGL as given, without scaleCoord.
    EXPECT_EQ(glCalls()[1].args, (std::vector<double>{-0.9f, 0.85f}));

    EXPECT_EQ(glGlyphs(), (std::vector<int>{'A', 'z', ' ', -128, -23, -1}));
    for (const GlCall& c : glCallsNamed("glutBitmapCharacter")) {
        EXPECT_EQ(c.ptr, GLUT_BITMAP_HELVETICA_18);
    }
}

TEST_F(Primitives, TextLeavesColourRasterPositionAndLightingAsTheyWere)
{
    glEnable(GL_LIGHTING);
    glColor4f(0.1f, 0.2f, 0.3f, 0.4f);
    glRasterPos2f(0.25f, -0.5f);
    clearGlCalls();

    drawText(0.01f, 0.9f, GLUT_BITMAP_HELVETICA_18, "blue point:given omf");

    EXPECT_EQ(glState().raster.x, 0.25f);
    EXPECT_EQ(glState().raster.y, -0.5f);
    EXPECT_EQ(glState().raster.glyphs, 0); // the glyphs' advance did not outlast the call
    EXPECT_EQ(glState().colour, (GlColour{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_EQ(glState().attribDepth, 0);
    EXPECT_TRUE(glState().lighting);
    EXPECT_EQ(glCallCount("glEnable") + glCallCount("glDisable") + glCallCount("glColor4f"), 0u);
}

TEST_F(Primitives, EmptyTextSetsAndRestoresTheRasterPositionOnly)
{
    drawText(0.5f, 0.5f, GLUT_BITMAP_HELVETICA_18, "");
    EXPECT_EQ(glCallNames(), names({"glPushAttrib", "glRasterPos2f", "glPopAttrib"}));
    EXPECT_EQ(glState().raster.x, 0.0);
}

} // namespace
