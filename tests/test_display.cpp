// The display frame against the recording OpenGL stand-in.
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "app/display.h"
#include "app/view.h"
#include "plot/curves.h"
#include "plot/primitives.h"
#include "sim/runge_kutta_gill.h"
#include "tests/frame_fixture.h"

namespace
{

const std::string timeLabels =
    "red  : mass vibration y(t)green: external force F(t)/K1grid=(1s, 0.2m)";
const std::string chartLabels =
    "frequency characteristics. zeta parameterzeta={0, 0.02, 0.05, 0.1, 0.2, 0.707, 1, 2, "
    "5}black curve:given zetablue point:given omf";

std::string glyphText()
{
    std::string text;
    for (int code : glGlyphs()) {
        text += static_cast<char>(code);
    }
    return text;
}

// Width-2 segments of one colour: the sampled curves.
int curveSegments(const Rgba& colour)
{
    int count = 0;
    for (const GlSegment& s : glSegments()) {
        count += s.colour == glColourOf(colour) && s.lineWidth == 2.0f;
    }
    return count;
}

// Polygons of one colour drawn with a disc's 100 vertices; their centres.
std::vector<GlVertex> discCentres(const Rgba& colour)
{
    std::vector<GlVertex> centres;
    for (const GlPrimitive& p : glPrimitives()) {
        if (p.mode == GL_POLYGON && p.vertices.size() == 100 && p.colour == glColourOf(colour)) {
            centres.push_back({p.modelview.tx, p.modelview.ty});
        }
    }
    return centres;
}

using Display = FrameTest;

TEST_F(Display, OneFrameIsFourStepsOneSampleAndTheWholePicture)
{
    double expected[2] = {run.state[0], run.state[1]};
    double t = 0;
    for (int i = 0; i < 4; i++) {
        rungeKuttaGill(t, 0.01, expected, expected, 2);
        t += 0.01;
    }

    display();

    EXPECT_EQ(run.t, t);
    EXPECT_EQ(run.state[0], expected[0]);
    EXPECT_EQ(run.state[1], expected[1]);
    EXPECT_EQ(run.histIndex, 1);
    EXPECT_EQ(yHistory()[1], expected[0]);
    EXPECT_EQ(forceHistory()[1], std::sin(1 * t) * 0.25);

    const std::vector<std::string> names = glCallNames();
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(names[0], "glClear");
    EXPECT_EQ(names[1], "glLoadIdentity");
    EXPECT_EQ(names[names.size() - 2], "glFlush");
    EXPECT_EQ(names.back(), "glutSwapBuffers");
    EXPECT_EQ(glyphText(), timeLabels);
    // The first frame after a reset draws one segment of each time curve.
    EXPECT_EQ(curveSegments(curveColours[0]), 1);
    EXPECT_EQ(curveSegments(curveColours[1]), 1);
    EXPECT_TRUE(glErrors().empty()) << glErrors().front();
}

TEST_F(Display, MassAndArrowFollowTheStateAndTheForce)
{
    display();
    const double massY = view.yScale * run.state[0];
    // Half-way along the string from the figure's anchor to the plots' right edge.
    const double massX = startVibPlotOrigin.x + (plotRightEdge - startVibPlotOrigin.x) / 2;
    const std::vector<GlVertex> mass = discCentres(curveColours[0]);
    // End discs are radius 0.01 and share the colour; the mass is the one in the middle.
    ASSERT_EQ(mass.size(), 3u);
    EXPECT_EQ(mass[2].x, scaleCoord(massX));
    EXPECT_EQ(mass[2].y, scaleCoord(massY));

    // sin(omf t) > 0 at t = 0.04: the arrow points up at the mass from below.
    const std::vector<GlCall> turns = glCallsNamed("glRotated");
    const std::vector<GlCall> moves = glCallsNamed("glTranslated");
    bool found = false;
    for (std::size_t i = 0; i < turns.size(); i++) {
        if (turns[i].args[0] != 0.0) {
            found = true;
            EXPECT_NEAR(turns[i].args[0], 90.0, 1e-9);
        }
    }
    EXPECT_TRUE(found) << "no turned arrow";
    bool tipFound = false;
    for (const GlCall& move : moves) {
        tipFound |= move.args[0] == scaleCoord(massX) &&
                    move.args[1] == scaleCoord(run.state[0] * startYScale + startVibPlotOrigin.y -
                                               0.04 * startYScale);
    }
    EXPECT_TRUE(tipFound);
}

TEST_F(Display, ChartOnlyForItsKeys)
{
    for (const char key : {'f', 'x', 'X', 'y', 'Y', 's', 't', 'T', 'j', 'q'}) {
        SCOPED_TRACE(key);
        lastKey = key;
        clearGlCalls();
        display();
        const bool chart = std::string("fxXyY").find(key) != std::string::npos;
        EXPECT_EQ(glyphText(), chart ? timeLabels + chartLabels : timeLabels);
        EXPECT_EQ(curveSegments(colourBlack), chart ? 602 : 2) << "the axes are black too";
        EXPECT_EQ(discCentres(colourBlue).size(), chart ? 2u : 0u);
    }
}

TEST_F(Display, ChartPointsMarkTheEnteredFrequency)
{
    lastKey = 'f';
    display();
    const std::vector<GlVertex> points = discCentres(colourBlue);
    ASSERT_EQ(points.size(), 2u);
    // Ratio 0.5 at table steps of 0.02, from the chart's origin.
    const double x = (0.5 / 0.02) * startFreqXScale + startVibPlotOrigin.x;
    EXPECT_EQ(points[0].x, scaleCoord(x));
    EXPECT_EQ(points[0].y, scaleCoord(startYScale * derived.Ad));
    EXPECT_EQ(points[1].x, scaleCoord(x));
    EXPECT_EQ(points[1].y, scaleCoord(startPhaseScale * derived.phaseLag));
    // Nine coloured amplitude and phase rows of 300 segments each, over the axes.
    for (int k = 2; k < 9; k++) {
        EXPECT_EQ(curveSegments(curveColours[k]), 600) << k;
    }
}

TEST_F(Display, HistoryWrapsAtTheEndOfTheTimeAxis)
{
    drawUnrecorded();
    for (int frame = 1; frame <= 250; frame++) {
        display();
    }
    EXPECT_EQ(run.histIndex, 250);
    setGlRecording(true);
    clearGlCalls();
    display(); // the 251st call writes slot 0 and draws no time curve
    EXPECT_EQ(run.histIndex, 0);
    EXPECT_EQ(yHistory()[0], run.state[0]);
    EXPECT_EQ(curveSegments(curveColours[1]), 0);
    clearGlCalls();
    display();
    EXPECT_EQ(run.histIndex, 1);
    EXPECT_EQ(curveSegments(curveColours[1]), 1);
}

TEST_F(Display, ZeroForcingFrequencyGivesAFlatForceAndAnUpwardArrow)
{
    params.system.omf = 0;
    computeForcedResponse();
    resetRun();
    for (int frame = 0; frame < 5; frame++) {
        display();
        EXPECT_EQ(forceHistory()[run.histIndex], 0.0);
    }
    for (const GlCall& turn : glCallsNamed("glRotated")) {
        EXPECT_GE(turn.args[0], 0.0);
    }
}

} // namespace
