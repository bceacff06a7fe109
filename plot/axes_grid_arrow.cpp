// The composite shapes of the time plot: axes cross, grid and force arrow.
// Each draws fixed geometry in a local frame translated to its scaled origin
// and rotated by its angle, inside one matrix push and pop.
// The glBegin/glEnd groups are kept from the formatter, so that their
// vertices stay indented as a block.
#include "plot/axes_grid_arrow.h"

#include "plot/primitives.h"

#include <GL/gl.h>

#include <cmath>

namespace
{

// Half-length of each axis line, drawing units; not scaled, so that the lines
// run across the whole -1..1 window wherever they cross.
constexpr double axisHalfLength = 10.0;
// Line width of the axes, pixels.
constexpr float axesLineWidth = 2.0f;
// Line width of the grid, pixels.
constexpr float gridLineWidth = 1.0f;
// Shaft half-width as a share of the scaled width.
constexpr double shaftHalf = 0.5;
// Barb setback behind the notch, as a share of the scaled head length.
constexpr double barbSetback = 0.5;
// Barb offset from the arrow's axis, as a share of the scaled head length.
constexpr double barbSpread = 0.4;

} // namespace

// Draw two black lines through origin, far longer than the window.
void drawAxes(const Point2& origin, double angle)
{
    const double ox = scaleCoord(origin.x);
    const double oy = scaleCoord(origin.y);

    glDisable(GL_LIGHTING);
    glLineWidth(axesLineWidth);
    glPushMatrix();
    glColor4f(0.0f, 0.0f, 0.0f, 0.0f);
    glTranslated(ox, oy, 0.0);
    glRotated(angle / radPerDeg, 0.0, 0.0, 1.0);
    // clang-format off
    glBegin(GL_LINES);
        glVertex2d(-axisHalfLength, 0.0);
        glVertex2d(axisHalfLength, 0.0);
        glVertex2d(0.0, -axisHalfLength);
        glVertex2d(0.0, axisHalfLength);
    glEnd();
    // clang-format on
    glPopMatrix();
    glEnable(GL_LIGHTING);
}

// Draw a black grid of n cells on each side of origin in both directions.
void drawGrid(const Point2& origin, double angle, int n, double dx, double dy)
{
    const double ox = scaleCoord(origin.x);
    const double oy = scaleCoord(origin.y);
    const double sdx = scaleCoord(dx);
    const double sdy = scaleCoord(dy);
    const double halfWidth = n * sdx;
    const double halfHeight = n * sdy;

    glDisable(GL_LIGHTING);
    glColor4f(0.0f, 0.0f, 0.0f, 0.0f);
    glPushMatrix();
    glLineWidth(gridLineWidth);
    glTranslated(ox, oy, 0.0);
    glRotated(angle / radPerDeg, 0.0, 0.0, 1.0);
    // Each line in a group of its own, all the lines across x first.
    for (int j = -n; j <= n; ++j) {
        const double x = j * sdx;
        // clang-format off
        glBegin(GL_LINES);
            glVertex2d(x, -halfHeight);
            glVertex2d(x, halfHeight);
        glEnd();
        // clang-format on
    }
    for (int j = -n; j <= n; ++j) {
        const double y = j * sdy;
        // clang-format off
        glBegin(GL_LINES);
            glVertex2d(-halfWidth, y);
            glVertex2d(halfWidth, y);
        glEnd();
        // clang-format on
    }
    glPopMatrix();
    glEnable(GL_LIGHTING);
}

// Draw a filled arrow whose tip sits on tip, pointing along angle.
void drawArrow(const Point2& tip, double length, double angle, const Rgba& colour)
{
    const double tx = scaleCoord(tip.x);
    const double ty = scaleCoord(tip.y);
    const double L = scaleCoord(length);
    const double W = scaleCoord(arrowWidth);
    const double H = scaleCoord(arrowHeadLength);

    // A length shorter than the head (or NaN) shortens the shaft to nothing,
    // never the head.
    double S = L - H;
    if (S < 0.0 || std::isnan(S)) {
        S = 0.0;
    }

    glDisable(GL_LIGHTING);
    glPushMatrix();
    glColor4f(colour.r, colour.g, colour.b, colour.a);
    glTranslated(tx, ty, 0.0);
    glRotated(angle / radPerDeg, 0.0, 0.0, 1.0);
    // clang-format off
    glBegin(GL_POLYGON);
        glVertex2d(-H, -shaftHalf * W);
        glVertex2d(-H - S, -shaftHalf * W);
        glVertex2d(-H - S, shaftHalf * W);
        glVertex2d(-H, shaftHalf * W);
    glEnd();
    // clang-format on

    const double A = barbSetback * H;
    const double B = barbSpread * H;
    // clang-format off
    glBegin(GL_POLYGON);
        glVertex2d(0.0, 0.0);
        glVertex2d(-H, 0.0);
        glVertex2d(-H - A, B);
    glEnd();
    // clang-format on
    // clang-format off
    glBegin(GL_POLYGON);
        glVertex2d(0.0, 0.0);
        glVertex2d(-H, 0.0);
        glVertex2d(-H - A, -B);
    glEnd();
    // clang-format on
    glPopMatrix();
    glEnable(GL_LIGHTING);
}
