// The chain figure, sampled curves and their colours, against the recorder.
#include "plot/curves.h"

#include "plot/primitives.h"
#include "tests/recorded_gl_test.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// Positions built by adding a step to a value below 2 a few hundred times
// stay within this of the exact decimal.
constexpr double kAccumulation = 1e-12;

const GlColour red = {1.0f, 0.0f, 0.0f, 0.0f};
const GlColour green = {0.0f, 1.0f, 0.0f, 0.0f};

using Curves = RecordedGlTest;

// A coordinate as it reaches OpenGL, written out rather than taken from
// scaleCoord: times 400, then divided by 400, which moves some values by
// their last bit.
double hooked(double v)
{
    return (v * 400.0) / 400.0;
}

// A disc as drawn: its centre from the matrix, its radius from vertex 0.
struct Disc {
    double x;
    double y;
    double radius;
    GlColour colour;
};

std::vector<Disc> discs()
{
    std::vector<Disc> found;
    for (const GlPrimitive& p : glPrimitives()) {
        if (p.mode == GL_POLYGON) {
            found.push_back({p.modelview.tx, p.modelview.ty, p.vertices.at(0).x, p.colour});
        }
    }
    return found;
}

TEST_F(Curves, ColourTables)
{
    const GlColour expected[curveColourCount] = {
        {1, 0, 0, 0},    {0, 1, 0, 0},    {0, 0, 1, 0},    {1, 0.2f, 0, 0}, {0, 1, 0.2f, 0},
        {0.2f, 0, 1, 0}, {1, 0.4f, 0, 0}, {0, 1, 0.4f, 0}, {0.4f, 0, 1, 0}, {1, 0.6f, 0, 0},
        {0, 1, 0.6f, 0}, {0.6f, 0, 1, 0}, {1, 0.8f, 0, 0}, {0, 1, 0.8f, 0}, {0.8f, 0, 1, 0},
        {1, 1, 0, 0},    {0, 1, 1, 0},    {1, 0, 1, 0},    {1, 1, 0.2f, 0}, {0.2f, 1, 1, 0},
        {1, 0.2f, 1, 0},
    };
    for (int k = 0; k < curveColourCount; ++k) {
        EXPECT_EQ(glColourOf(curveColours[k]), expected[k]) << "entry " << k;
    }
    EXPECT_EQ(glColourOf(colourGreen), green);
    EXPECT_EQ(glColourOf(colourBlue), (GlColour{0, 0, 1, 0}));
    EXPECT_EQ(glColourOf(colourBlack), (GlColour{0, 0, 0, 0}));
    EXPECT_EQ(plotRightEdge, 0.99);
}

TEST_F(Curves, SeriesOfOnePointIsTheMassOnItsString)
{
    const double samples[] = {0.2};
    plotSeries({0.01, 0.0}, 0.5, 1, samples);

    // Two red lines through the point, drawn before any disc.
    const std::vector<GlSegment> s = glSegments();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].from.x, 0.01);
    EXPECT_EQ(s[0].from.y, 0.0);
    EXPECT_NEAR(s[0].to.x, 0.5, kAccumulation);
    EXPECT_EQ(s[0].to.y, 0.1);
    EXPECT_EQ(s[1].from.x, s[0].to.x);
    EXPECT_EQ(s[1].from.y, 0.1);
    EXPECT_EQ(s[1].to.x, 0.99);
    EXPECT_EQ(s[1].to.y, 0.0);
    EXPECT_EQ(s[0].colour, red);
    EXPECT_EQ(s[1].colour, red);
    EXPECT_EQ(glPrimitives()[0].mode, static_cast<GLenum>(GL_LINES));
    EXPECT_EQ(glPrimitives()[1].mode, static_cast<GLenum>(GL_LINES));

    // Then the two end discs, then the large disc exactly on the line's vertex.
    const std::vector<Disc> d = discs();
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[0].x, 0.01);
    EXPECT_EQ(d[0].y, 0.0);
    EXPECT_EQ(d[0].radius, 0.01);
    EXPECT_EQ(d[1].x, 0.99);
    EXPECT_EQ(d[1].y, 0.0);
    EXPECT_EQ(d[1].radius, 0.01);
    EXPECT_EQ(d[2].x, s[0].to.x);
    EXPECT_EQ(d[2].y, 0.1);
    EXPECT_EQ(d[2].radius, 0.04);
    EXPECT_EQ(d[0].colour, red);
    EXPECT_EQ(d[1].colour, red);
    EXPECT_EQ(d[2].colour, glColourOf(curveColours[0]));

    // Flushed last; the line width is left to whoever set it.
    EXPECT_EQ(glCallNames().back(), "glFlush");
    EXPECT_EQ(glCallCount("glFlush"), 1u);
    EXPECT_EQ(glCallCount("glLineWidth"), 0u);
    EXPECT_EQ(glState().colour, glColourOf(curveColours[0]));
}

TEST_F(Curves, SeriesWithoutPointsOrAboveTheAxis)
{
    // No point: one straight line, the two end discs, no large disc.
    plotSeries({0.01, 0.0}, 0.5, 0, nullptr);
    std::vector<GlSegment> s = glSegments();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].from.x, 0.01);
    EXPECT_EQ(s[0].to.x, 0.99);
    EXPECT_EQ(s[0].to.y, 0.0);
    EXPECT_EQ(discs().size(), 2u);
    EXPECT_EQ(glCallNames().back(), "glFlush");

    // Raised origin: the right end is raised with it; heights add origin.y.
    resetGl();
    const double samples[] = {0.2};
    plotSeries({0.01, 0.3}, 0.5, 1, samples);
    s = glSegments();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].to.y, 0.5 * 0.2 + 0.3);
    EXPECT_EQ(s[1].to.x, 0.99);
    EXPECT_EQ(s[1].to.y, 0.3);
    const std::vector<Disc> d = discs();
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[1].x, 0.99);
    EXPECT_EQ(d[1].y, 0.3);
}

TEST_F(Curves, SeriesPointsShareTheWidthEqually)
{
    const double samples[] = {0.1, -0.2, 0.3};
    plotSeries({-0.01, 0.0}, 1.0, 3, samples);

    const std::vector<GlSegment> s = glSegments();
    ASSERT_EQ(s.size(), 4u);
    const std::vector<Disc> d = discs();
    ASSERT_EQ(d.size(), 5u);
    const double xs[] = {0.24, 0.49, 0.74};
    for (int i = 0; i < 3; ++i) {
        const Disc& point = d[static_cast<std::size_t>(2 + i)];
        const GlSegment& into = s[static_cast<std::size_t>(i)];
        EXPECT_NEAR(point.x, xs[i], kAccumulation);
        EXPECT_EQ(point.x, into.to.x); // the same additions: exactly on the vertex
        EXPECT_EQ(point.y, samples[i]);
        EXPECT_EQ(point.colour, glColourOf(curveColours[i]));
    }
    EXPECT_EQ(s[3].to.x, 0.99);
}

TEST_F(Curves, SeriesOfEveryColourAccumulatesItsSpacing)
{
    std::vector<double> samples(curveColourCount);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = 0.01 * static_cast<double>(i);
    }
    plotSeries({-0.01, 0.0}, 1.0, curveColourCount, samples.data());

    const std::vector<GlSegment> s = glSegments();
    ASSERT_EQ(s.size(), static_cast<std::size_t>(curveColourCount) + 1);
    const std::vector<Disc> d = discs();
    ASSERT_EQ(d.size(), static_cast<std::size_t>(curveColourCount) + 2);

    // Line vertices and point discs both step by repeated additions, which
    // here differ from origin.x + k*dx in the last bit for several points.
    const double dx = (0.99 - -0.01) / (curveColourCount + 1.0);
    double x = -0.01;
    int offGrid = 0;
    for (int i = 0; i < curveColourCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        x += dx;
        offGrid += hooked(x) != hooked(-0.01 + (i + 1) * dx) ? 1 : 0;
        EXPECT_EQ(s[k].to.x, hooked(x)) << "point " << i;
        EXPECT_EQ(d[k + 2].x, hooked(x)) << "point " << i;
        EXPECT_EQ(d[k + 2].colour, glColourOf(curveColours[i])) << "point " << i;
    }
    EXPECT_GT(offGrid, 0);
}

TEST_F(Curves, CurveAccumulatesItsStepsAndScalesFromTheOrigin)
{
    constexpr int steps = 300;
    std::vector<double> samples(steps + 1);
    for (int i = 0; i <= steps; ++i) {
        samples[static_cast<std::size_t>(i)] = 0.001 * (i % 7) - 0.002;
    }
    const Rgba teal = {0.0f, 0.6f, 0.8f, 0.0f};
    plotCurve({0.01, 0.1}, 0.005, -0.8, steps, samples.data(), &teal);

    EXPECT_EQ(glCallsNamed("glLineWidth").at(0).args, std::vector<double>{2.0});
    const std::vector<GlSegment> s = glSegments();
    ASSERT_EQ(s.size(), static_cast<std::size_t>(steps));

    // x grows by one addition per sample, never as origin.x + k*step; every
    // coordinate reaches OpenGL through the hook.
    double x = 0.01;
    int offGrid = 0; // samples where accumulation and origin.x + k*step differ
    int moved = 0;   // where the hook moves x
    for (int i = 0; i < steps; ++i) {
        const GlSegment& seg = s[static_cast<std::size_t>(i)];
        EXPECT_EQ(seg.from.x, hooked(x));
        x += 0.005;
        EXPECT_EQ(seg.to.x, hooked(x));
        offGrid += x != 0.01 + (i + 1) * 0.005 ? 1 : 0;
        moved += hooked(x) != x ? 1 : 0;
        EXPECT_EQ(seg.to.y, hooked(-0.8 * samples[static_cast<std::size_t>(i) + 1] + 0.1));
        EXPECT_EQ(seg.colour, glColourOf(teal));
        EXPECT_EQ(seg.lineWidth, 2.0f);
    }
    EXPECT_GT(offGrid, 0); // so the exact comparisons above tell the two apart
    EXPECT_GT(moved, 0);   // and tell the hook from none
    EXPECT_EQ(s[0].from.y, hooked(-0.8 * samples[0] + 0.1)); // sample 0, not origin
    EXPECT_NEAR(s.back().to.x, 1.51, kAccumulation);
    // A positive sample lands below origin.y with the negative scale.
    EXPECT_LT(s[3].to.y, 0.1);
    EXPECT_EQ(glState().lineWidth, 2.0f);
}

// A whole curve is one group with lighting off around it: every switch ends
// the software renderer's batch, and the chart's 6,000 segments one switch
// apart made its frames seven times as slow.
TEST_F(Curves, CurveIsOneGroupWithOneLightingSwitch)
{
    const std::vector<double> samples(301, 0.1);
    plotCurve({0.0, 0.0}, 0.005, 1.0, 300, samples.data(), &colourBlack);
    EXPECT_EQ(glSegments().size(), 300u);
    EXPECT_EQ(glCallCount("glBegin"), 1u);
    EXPECT_EQ(glCallCount("glDisable"), 1u);
    EXPECT_EQ(glCallCount("glEnable"), 1u);
    EXPECT_TRUE(glState().lighting);
    EXPECT_TRUE(glErrors().empty());
}

TEST_F(Curves, CurveOfNoStepsOnlySetsTheWidth)
{
    glColor4f(0.1f, 0.2f, 0.3f, 0.0f);
    clearGlCalls();
    const double sample = 0.4;
    plotCurve({0.0, 0.0}, 0.005, 1.0, 0, &sample, &colourBlack);
    EXPECT_EQ(glCallNames(), std::vector<std::string>{"glLineWidth"});
    EXPECT_EQ(glState().lineWidth, 2.0f);
    EXPECT_EQ(glState().colour, (GlColour{0.1f, 0.2f, 0.3f, 0.0f}));
}

TEST_F(Curves, CurvesDrawRowsByStrideEachInItsColour)
{
    // No row: no call at all, the width stays as it was.
    const double scales[] = {1.0, 0.5};
    const double block[] = {0.1, 0.2, 0.3, 9.0, 9.0,  // row 0, then unread padding
                            0.4, 0.5, 0.6, 9.0, 9.0}; // row 1
    plotCurves({0.0, 0.0}, 0.1, scales, 0, 2, block, 5);
    EXPECT_TRUE(glCalls().empty());
    EXPECT_EQ(glState().lineWidth, 1.0f);

    plotCurves({0.0, 0.0}, 0.1, scales, 2, 2, block, 5);
    const std::vector<GlSegment> s = glSegments();
    ASSERT_EQ(s.size(), 4u);
    // Row 0 in red first, row 1 in green over it, each with its own scale.
    EXPECT_EQ(s[0].colour, red);
    EXPECT_EQ(s[1].colour, red);
    EXPECT_EQ(s[2].colour, green);
    EXPECT_EQ(s[3].colour, green);
    EXPECT_EQ(s[0].from.y, 0.1);
    EXPECT_EQ(s[1].to.y, 0.3);
    EXPECT_EQ(s[2].from.y, 0.5 * 0.4);
    EXPECT_EQ(s[3].to.y, 0.5 * 0.6);
    EXPECT_EQ(s[2].from.x, 0.0); // every row starts again at origin.x
    EXPECT_EQ(glCallCount("glLineWidth"), 2u);
    EXPECT_EQ(glState().colour, green);
}

} // namespace
