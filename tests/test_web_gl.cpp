// The web page's draw list (platform/web/draw_list.h): the drawing library's
// calls, through the OpenGL model, become the commands the page paints on
// its canvas, in window pixels with y running down.
#include <GL/glut.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gl_model/gl_model.h"
#include "platform/web/draw_list.h"
#include "plot/primitives.h"

namespace
{

// The program's window, pixels a side.
constexpr int side = 800;
// The colour of text placed while lighting is on (the default material's
// ambient light), as the page draws it.
constexpr float litGrey = 0.04f;

const Rgba red = {1.0f, 0.0f, 0.0f, 0.0f};
const Rgba blue = {0.0f, 0.0f, 1.0f, 0.0f};

// The draw list so far, as the page receives it.
std::vector<float> commands()
{
    return currentDrawList();
}

// A fresh frame of the program's window: viewport, identity matrices,
// cleared to white.
void startFrame()
{
    setDrawWindowHeight(side);
    glViewport(0, 0, side, side);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

TEST(WebDrawList, LinesGatherByColourAndWidthTextTakesTheLitGrey)
{
    startFrame();
    glEnable(GL_LIGHTING);
    glLineWidth(2.0f);
    drawLine({-1.0, -1.0}, {1.0, 1.0}, red);
    drawLine({0.0, 0.5}, {0.5, 0.0}, red);
    drawLine({0.0, 0.0}, {0.0, -1.0}, blue);
    // Lighting is on again after the shapes: the glyphs are lit grey; the
    // raster position moves by each glyph's advance ('A' 12, 'b' 11 pixels).
    drawText(-0.5f, 0.5f, GLUT_BITMAP_HELVETICA_18, "Ab");
    // A raster position off the window shows no glyph.
    drawText(1.5f, 0.0f, GLUT_BITMAP_HELVETICA_18, "A");

    // clang-format off
    const std::vector<float> expected = {
        0, 1, 1, 1,                                                      // clear, white
        1, 1, 0, 0, 2, 2, 0, 800, 800, 0, 400, 200, 600, 400,            // two red lines
        1, 0, 0, 1, 2, 1, 400, 400, 400, 800,                            // a blue one
        3, litGrey, litGrey, litGrey, 200, 200, 'A',                     // glyphs at their
        3, litGrey, litGrey, litGrey, 212, 200, 'b',                     // origins
    };
    // clang-format on
    EXPECT_EQ(commands(), expected);

    // A clear drops everything before it.
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(commands(), (std::vector<float>{0, 1, 1, 1}));
}

TEST(WebDrawList, PolygonsFollowTheMatrixStackAndTheViewport)
{
    startFrame();
    // A quarter turn about the point (0.5, 0): (0.1, 0) lands on (0.5, 0.1).
    glColor4f(0.0f, 1.0f, 0.0f, 0.0f);
    glPushMatrix();
    glTranslated(0.5, 0.0, 0.0);
    glRotated(90.0, 0.0, 0.0, 1.0);
    glBegin(GL_POLYGON);
    glVertex2d(0.0, 0.0);
    glVertex2d(0.1, 0.0);
    glVertex2d(0.0, 0.1);
    glEnd();
    glPopMatrix();
    // Back at the identity, in the left half of a window 400 pixels wide.
    glViewport(0, 0, side / 2, side);
    glBegin(GL_POLYGON);
    glVertex2d(-1.0, -1.0);
    glVertex2d(1.0, -1.0);
    glVertex2d(1.0, 1.0);
    glEnd();

    const std::vector<float> list = commands();
    ASSERT_EQ(list.size(), 4u + 5 + 6 + 5 + 6);
    const std::vector<float> turned(list.begin() + 4, list.begin() + 15);
    const std::vector<float> expectedTurned = {2, 0, 1, 0, 3, 600, 400, 600, 360, 560, 400};
    ASSERT_EQ(turned.size(), expectedTurned.size());
    for (std::size_t i = 0; i < turned.size(); ++i) {
        // The rotation's cosine is not exactly 0.
        EXPECT_NEAR(turned[i], expectedTurned[i], 1e-3) << "float " << i;
    }
    const std::vector<float> halfWindow(list.begin() + 15, list.end());
    EXPECT_EQ(halfWindow, (std::vector<float>{2, 0, 1, 0, 3, 0, 800, 400, 800, 400, 0}));
}

TEST(GlModel, RefusesAndNamesWhatOpenGLRejects)
{
    setGlLogging(true);
    resetGl();
    glBegin(GL_LINES);
    glPushMatrix(); // not between glBegin and glEnd
    glEnd();
    glPopMatrix(); // nothing pushed
    glLineWidth(0.0f);
    glVertex2d(0.0, 0.0); // outside a group
    glEnd();
    EXPECT_EQ(glErrors(), (std::vector<std::string>{
                              "call 1 glPushMatrix: not allowed between glBegin and glEnd",
                              "call 3 glPopMatrix: matrix stack underflow",
                              "call 4 glLineWidth: line width must be greater than 0",
                              "call 5 glVertex2d: vertex outside glBegin/glEnd",
                              "call 6 glEnd: glEnd without glBegin"}));
    EXPECT_EQ(glState().modelviewDepth, 0);
    EXPECT_EQ(glState().lineWidth, 1.0f);
}

} // namespace
