// The brackets of every frame and the fixed view of the -1..1 square.
#include "app/frame.h"

#include <GL/glut.h>

#include "plot/markers.h"
#include "plot/primitives.h"

namespace
{

// The window's size, pixels, as last reshaped; the window opens at 800 x 800.
struct WindowSize {
    int width;
    int height;
};
WindowSize windowSize = {800, 800};

// A text's box about its baseline, pixels: Helvetica 18's capitals and
// descenders with a pixel or two to spare, and a little room at either end.
constexpr int boxAbove = 16;
constexpr int boxBelow = 6;
constexpr int boxEnds = 3;
constexpr Rgba white = {1.0f, 1.0f, 1.0f, 0.0f};

} // namespace

// Set the white, opaque clear colour; nothing changes it afterwards.
void initGL()
{
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
}

// Map the -1..1 square onto the whole window, stretched to its shape.
void reshape(int width, int height)
{
    windowSize = {width, height};
    glViewport(0, 0, width, height);
    // Identity projection: no orthographic or perspective set-up, so drawing
    // coordinates are clip coordinates.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Leave the modelview matrix current for the frame's own reset.
    glMatrixMode(GL_MODELVIEW);
}

// Clear colour and depth, and reset the modelview matrix.
void beginFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
}

void drawTextOnWhite(float x, float y, const char* text)
{
    const int length =
        glutBitmapLength(GLUT_BITMAP_HELVETICA_18, reinterpret_cast<const unsigned char*>(text));
    // Pixels to drawing units: the -1..1 square fills the window.
    const double across = 2.0 / windowSize.width;
    const double up = 2.0 / windowSize.height;
    drawRectangle({x - boxEnds * across, y - boxBelow * up},
                  {x + (length + boxEnds) * across, y + boxAbove * up}, white);
    drawText(x, y, GLUT_BITMAP_HELVETICA_18, text);
}

// Finish the frame drawn into the back buffer and show it.
void endFrame()
{
    glFlush();
    glutSwapBuffers();
}
