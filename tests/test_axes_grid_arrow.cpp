// The axes cross, the grid and the force arrow, checked against the recorder.
#include "plot/axes_grid_arrow.h"

#include "plot/primitives.h"
#include "tests/recorded_gl_test.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace
{

// Grid and arrow coordinates come from one or two multiplications or
// subtractions of values below 10: a few ulps at most.
constexpr double kRoundoff = 1e-14;
// radPerDeg holds pi/180 to eleven decimals, so a quarter turn reaches
// glRotated some 1e-10 degrees away from 90.
constexpr double kDegreeSlack = 1e-8;
// The recorder's rotation uses the full pi; vertices placed through it sit
// within this of where the arrow's drawing units put them.
constexpr double kPlacedSlack = 1e-9;

constexpr double quarterTurn = drawPi / 2.0;
const Rgba green = {0.0f, 1.0f, 0.0f, 0.0f};
const GlColour black = {0.0f, 0.0f, 0.0f, 0.0f};

using AxesGridArrow = RecordedGlTest;

// The first count names of the recording.
std::vector<std::string> firstNames(std::size_t count)
{
    std::vector<std::string> n = glCallNames();
    n.resize(std::min(count, n.size()));
    return n;
}

// The last count names of the recording.
std::vector<std::string> lastNames(std::size_t count)
{
    const std::vector<std::string> n = glCallNames();
    return std::vector<std::string>(n.end() - static_cast<long>(std::min(count, n.size())),
                                    n.end());
}

void expectVertex(const GlVertex& v, double x, double y)
{
    EXPECT_NEAR(v.x, x, kRoundoff);
    EXPECT_NEAR(v.y, y, kRoundoff);
}

TEST_F(AxesGridArrow, AxesCrossAtTheirOriginAcrossTheWindow)
{
    drawAxes({-0.99, 0.0}, 0.0);

    EXPECT_EQ(firstNames(7),
              (std::vector<std::string>{"glDisable", "glLineWidth", "glPushMatrix", "glColor4f",
                                        "glTranslated", "glRotated", "glBegin"}));
    EXPECT_EQ(lastNames(3), (std::vector<std::string>{"glEnd", "glPopMatrix", "glEnable"}));
    EXPECT_EQ(glCalls()[1].args, std::vector<double>{2.0});
    EXPECT_EQ(glCalls()[4].args, (std::vector<double>{-0.99, 0.0, 0.0}));
    EXPECT_EQ(glCalls()[5].args, (std::vector<double>{0.0, 0.0, 0.0, 1.0}));

    // One group, x axis first, each ten units either side of the origin.
    ASSERT_EQ(glPrimitives().size(), 1u);
    const std::vector<GlSegment> s = glSegments();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].from.x, -10.0);
    EXPECT_EQ(s[0].to.x, 10.0);
    EXPECT_EQ(s[0].from.y, 0.0);
    EXPECT_EQ(s[1].from.y, -10.0);
    EXPECT_EQ(s[1].to.y, 10.0);
    EXPECT_EQ(s[1].placedFrom.x, -0.99); // the vertical line at x = -0.99
    EXPECT_EQ(s[1].placedTo.x, -0.99);
    EXPECT_EQ(s[0].placedFrom.y, 0.0); // the horizontal one at y = 0
    EXPECT_EQ(s[0].colour, black);
    EXPECT_EQ(s[0].lineWidth, 2.0f);

    EXPECT_TRUE(glState().lighting);
    EXPECT_EQ(glState().lineWidth, 2.0f);
    EXPECT_EQ(glState().colour, black);
    EXPECT_EQ(glState().modelviewDepth, 0);
}

TEST_F(AxesGridArrow, GridOfThirtyCellsEachWay)
{
    glLineWidth(2.0f); // left by the axes; the grid sets its own
    clearGlCalls();

    drawGrid({0.0, 0.0}, 0.0, 30, 0.1, 0.1);

    EXPECT_EQ(firstNames(6),
              (std::vector<std::string>{"glDisable", "glColor4f", "glPushMatrix", "glLineWidth",
                                        "glTranslated", "glRotated"}));
    EXPECT_EQ(lastNames(2), (std::vector<std::string>{"glPopMatrix", "glEnable"}));

    // 61 lines across x, then 61 across y, one group each, in ascending order.
    const std::vector<GlPrimitive>& p = glPrimitives();
    ASSERT_EQ(p.size(), 122u);
    for (int k = 0; k < 61; ++k) {
        const GlPrimitive& across = p[static_cast<std::size_t>(k)];
        const GlPrimitive& along = p[static_cast<std::size_t>(61 + k)];
        ASSERT_EQ(across.mode, static_cast<GLenum>(GL_LINES));
        ASSERT_EQ(across.vertices.size(), 2u);
        ASSERT_EQ(along.vertices.size(), 2u);
        const double at = -3.0 + 0.1 * k;
        expectVertex(across.vertices[0], at, -3.0);
        expectVertex(across.vertices[1], at, 3.0);
        expectVertex(along.vertices[0], -3.0, at);
        expectVertex(along.vertices[1], 3.0, at);
        EXPECT_EQ(across.lineWidth, 1.0f);
        EXPECT_EQ(along.colour, black);
        EXPECT_FALSE(along.lighting);
    }
    EXPECT_TRUE(glState().lighting);
    EXPECT_EQ(glState().lineWidth, 1.0f);
    EXPECT_EQ(glState().modelviewDepth, 0);
}

TEST_F(AxesGridArrow, GridWithNoCellsOrANegativeCount)
{
    // n = 0: one zero-length line each way, on the origin.
    drawGrid({0.3, -0.2}, 0.0, 0, 0.1, 0.2);
    ASSERT_EQ(glPrimitives().size(), 2u);
    for (const GlPrimitive& p : glPrimitives()) {
        ASSERT_EQ(p.vertices.size(), 2u);
        for (const GlVertex& v : p.vertices) {
            EXPECT_EQ(std::fabs(v.x), 0.0);
            EXPECT_EQ(std::fabs(v.y), 0.0);
        }
        expectVertex(p.placed[0], 0.3, -0.2);
    }

    // n < 0: no line, yet the state is left as after any grid.
    resetGl();
    glLineWidth(2.0f);
    glColor4f(1.0f, 0.0f, 0.0f, 0.0f);
    clearGlCalls();

    drawGrid({0.0, 0.0}, 0.0, -1, 0.1, 0.1);
    EXPECT_EQ(glCallCount("glBegin"), 0u);
    EXPECT_TRUE(glState().lighting);
    EXPECT_EQ(glState().lineWidth, 1.0f);
    EXPECT_EQ(glState().colour, black);
    EXPECT_EQ(glState().modelviewDepth, 0);
}

TEST_F(AxesGridArrow, ArrowAlongXWithAShaftBehindTheHead)
{
    drawArrow({0.0, 0.0}, 0.3, 0.0, green);

    EXPECT_EQ(firstNames(6), (std::vector<std::string>{"glDisable", "glPushMatrix", "glColor4f",
                                                       "glTranslated", "glRotated", "glBegin"}));
    EXPECT_EQ(lastNames(3), (std::vector<std::string>{"glEnd", "glPopMatrix", "glEnable"}));
    EXPECT_EQ(glCallCount("glLineWidth"), 0u);

    const std::vector<GlPrimitive>& p = glPrimitives();
    ASSERT_EQ(p.size(), 3u);
    for (const GlPrimitive& part : p) {
        EXPECT_EQ(part.mode, static_cast<GLenum>(GL_POLYGON));
        EXPECT_EQ(part.colour, glColourOf(green));
    }
    // Shaft: from the notch at -0.1 back to -0.3, 0.02 wide.
    ASSERT_EQ(p[0].vertices.size(), 4u);
    expectVertex(p[0].vertices[0], -0.1, -0.01);
    expectVertex(p[0].vertices[1], -0.3, -0.01);
    expectVertex(p[0].vertices[2], -0.3, 0.01);
    expectVertex(p[0].vertices[3], -0.1, 0.01);
    // Head: two halves from the tip to the notch and out to a barb each.
    ASSERT_EQ(p[1].vertices.size(), 3u);
    ASSERT_EQ(p[2].vertices.size(), 3u);
    for (int half = 1; half <= 2; ++half) {
        const std::vector<GlVertex>& v = p[static_cast<std::size_t>(half)].vertices;
        EXPECT_EQ(v[0].x, 0.0);
        EXPECT_EQ(v[0].y, 0.0);
        EXPECT_EQ(v[1].x, -0.1);
        EXPECT_EQ(v[1].y, 0.0);
        expectVertex(v[2], -0.15, half == 1 ? 0.04 : -0.04);
    }

    EXPECT_TRUE(glState().lighting);
    EXPECT_EQ(glState().colour, glColourOf(green));
    EXPECT_EQ(glState().modelviewDepth, 0);
}

TEST_F(AxesGridArrow, ArrowShorterThanItsHeadKeepsTheWholeHead)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const double length : {0.1, 0.05, 0.0, -0.5, nan}) {
        SCOPED_TRACE(length);
        resetGl();
        drawArrow({0.5, 0.2}, length, 0.0, green);
        const std::vector<GlPrimitive>& p = glPrimitives();
        ASSERT_EQ(p.size(), 3u);
        // A shaft of zero length: all four corners on the notch line.
        for (const GlVertex& v : p[0].vertices) {
            EXPECT_EQ(v.x, -0.1);
            EXPECT_EQ(std::fabs(v.y), 0.01);
        }
        expectVertex(p[1].vertices[2], -0.15, 0.04);
        expectVertex(p[2].vertices[2], -0.15, -0.04);
    }
}

TEST_F(AxesGridArrow, QuarterTurnsPointTheArrowUpOrDown)
{
    const Point2 tip = {0.5, 0.2};
    for (const double angle : {quarterTurn, -quarterTurn}) {
        SCOPED_TRACE(angle);
        resetGl();
        drawArrow(tip, 0.3, angle, green);

        const std::vector<GlCall> rotations = glCallsNamed("glRotated");
        ASSERT_EQ(rotations.size(), 1u);
        EXPECT_NEAR(rotations[0].args[0], angle > 0 ? 90.0 : -90.0, kDegreeSlack);
        EXPECT_EQ(glCallsNamed("glTranslated")[0].args, (std::vector<double>{0.5, 0.2, 0.0}));

        // The tip sits on the point; everything else lies below (up) or above (down).
        const std::vector<GlPrimitive>& p = glPrimitives();
        ASSERT_EQ(p.size(), 3u);
        EXPECT_NEAR(p[1].placed[0].x, tip.x, kPlacedSlack);
        EXPECT_NEAR(p[1].placed[0].y, tip.y, kPlacedSlack);
        for (const GlPrimitive& part : p) {
            for (const GlVertex& v : part.placed) {
                EXPECT_NEAR(v.x, tip.x, 0.04 + kPlacedSlack);
                const double behind = angle > 0 ? tip.y - v.y : v.y - tip.y;
                EXPECT_GE(behind, -kPlacedSlack);
                EXPECT_LE(behind, 0.3 + kPlacedSlack);
            }
        }
    }
}

} // namespace
