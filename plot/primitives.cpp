// Drawing primitives: lines, filled discs and bitmap text, in immediate mode.
// The glBegin/glEnd groups are kept from the formatter, so that their
// vertices stay indented as a block.
//
// Every shape switches lighting off before it draws and on again after it
// (a sampled curve once for all its segments, plot/curves.cpp). Kept on
// purpose: the text that follows is placed with
// lighting on, so its raster colour comes from the default material's
// ambient light, the near-black (10, 10, 10) of every label. Without the
// switches the labels would take the last shape's colour instead.
#include "plot/primitives.h"

#include <GL/gl.h>
#include <GL/glut.h>

#include <cmath>

namespace
{

// Scale of the coordinate hook: multiplied in and divided out again, so that
// positions keep their drawing-unit values (up to the rounding of the product).
constexpr double coordScale = 400.0;

} // namespace

// Pass one coordinate, radius, length or spacing on its way to OpenGL.
double scaleCoord(double v)
{
    return (v * coordScale) / coordScale;
}

// Draw a segment in the line width last set by another routine.
void drawLine(const Point2& from, const Point2& to, const Rgba& colour)
{
    glDisable(GL_LIGHTING);
    glColor4f(colour.r, colour.g, colour.b, colour.a);
    // clang-format off
    glBegin(GL_LINES);
        glVertex2d(scaleCoord(from.x), scaleCoord(from.y));
        glVertex2d(scaleCoord(to.x), scaleCoord(to.y));
    glEnd();
    // clang-format on
    glEnable(GL_LIGHTING);
}

// Draw a filled disc as a polygon of discSegments vertices about its centre.
void drawDisc(const Point2& centre, double radius, const Rgba& colour)
{
    const double cx = scaleCoord(centre.x);
    const double cy = scaleCoord(centre.y);
    const double r = scaleCoord(radius);
    const double step = (2.0 * drawPi) / discSegments;

    glDisable(GL_LIGHTING);
    glPushMatrix();
    glTranslated(cx, cy, 0.0);
    glColor4f(colour.r, colour.g, colour.b, colour.a);
    // clang-format off
    glBegin(GL_POLYGON);
        for (int i = 0; i < discSegments; ++i) {
            const double a = i * step;
            glVertex2d(r * std::cos(a), r * std::sin(a));
        }
    glEnd();
    // clang-format on
    glPopMatrix();
    glEnable(GL_LIGHTING);
}

// Draw bitmap text at a raster position, leaving colour and raster position
// as they were.
void drawText(float x, float y, void* font, const char* text)
{
    // The attribute push keeps the glyphs' advance of the raster position
    // from outlasting the call.
    glPushAttrib(GL_CURRENT_BIT);
    glRasterPos2f(x, y);
    for (const char* p = text; *p != '\0'; ++p) {
        // Read as signed char whatever the platform's char, so bytes of
        // 0x80 and above reach GLUT as negative codes.
        glutBitmapCharacter(font, static_cast<int>(static_cast<signed char>(*p)));
    }
    glPopAttrib();
}
