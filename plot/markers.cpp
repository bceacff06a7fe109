// Square markers for measured points, in immediate mode.
#include "plot/markers.h"

#include "plot/primitives.h"

#include <GL/gl.h>

// Draw a filled axis-aligned rectangle between its lower left and upper right corners.
void drawRectangle(const Point2& lowerLeft, const Point2& upperRight, const Rgba& colour)
{
    const double left = scaleCoord(lowerLeft.x);
    const double right = scaleCoord(upperRight.x);
    const double bottom = scaleCoord(lowerLeft.y);
    const double top = scaleCoord(upperRight.y);

    glDisable(GL_LIGHTING);
    glColor4f(colour.r, colour.g, colour.b, colour.a);
    // clang-format off
    glBegin(GL_POLYGON);
        glVertex2d(left, bottom);
        glVertex2d(right, bottom);
        glVertex2d(right, top);
        glVertex2d(left, top);
    glEnd();
    // clang-format on
    glEnable(GL_LIGHTING);
}

// Draw a filled square, axis-aligned, centred on centre.
void drawSquare(const Point2& centre, double halfSide, const Rgba& colour)
{
    drawRectangle({centre.x - halfSide, centre.y - halfSide},
                  {centre.x + halfSide, centre.y + halfSide}, colour);
}

// Draw the outline of a square in the line width last set by another routine.
void drawSquareOutline(const Point2& centre, double halfSide, const Rgba& colour)
{
    const Point2 corners[4] = {
        {centre.x - halfSide, centre.y - halfSide},
        {centre.x + halfSide, centre.y - halfSide},
        {centre.x + halfSide, centre.y + halfSide},
        {centre.x - halfSide, centre.y + halfSide},
    };
    for (int i = 0; i < 4; ++i) {
        drawLine(corners[i], corners[(i + 1) % 4], colour);
    }
}
