// The OpenGL 1.x subset and the bitmap text of GLUT that the drawing library
// calls, for the web page: the state is kept here, each frame becomes a list
// of drawing commands in window pixels, and glutSwapBuffers hands the list to
// the page, which draws it on a 2-D canvas (platform/web/index.html).
//
// Only what the program does is modelled: lines and convex polygons, one
// colour per primitive, rotations about the z axis, no blending (alpha is
// ignored), no depth test, a clear of the whole window.
#include <GL/glut.h>

#include <cmath>
#include <vector>

#include "platform/web/draw_list.h"

namespace
{

// pi for turning glRotated's degrees into radians.
constexpr double pi = 3.14159265358979323846;
// The raster colour of text drawn with lighting on: the default light
// model's ambient 0.2 times the default material's ambient 0.2 (no light
// source is ever switched on).
constexpr float litGrey = 0.04f;
// Deepest stacks kept; OpenGL guarantees 32 modelview and 2 projection
// entries, more than the program uses.
constexpr std::size_t stackLimit = 32;

// Advance of each printable ASCII character (32 to 126) in the Helvetica 18
// bitmap font, pixels: the raster position moves by these after each glyph.
constexpr unsigned char helvetica18Advance[95] = {
    5,  6,  5,  10, 10, 16, 13, 4,  6,  6,  7,  10, 5,  11, 5,  5,  10, 10, 10, 10, 10, 10, 10, 10,
    10, 10, 5,  5,  10, 11, 10, 10, 18, 12, 13, 14, 13, 11, 11, 14, 13, 6,  10, 13, 10, 16, 13, 15,
    12, 15, 12, 13, 12, 13, 14, 18, 13, 14, 12, 5,  5,  5,  9,  10, 4,  9,  11, 10, 11, 10, 6,  11,
    10, 4,  4,  9,  4,  14, 10, 11, 11, 11, 6,  9,  6,  10, 10, 14, 10, 10, 9,  6,  4,  6,  10,
};

// (x, y) -> (a*x + c*y + tx, b*x + d*y + ty).
struct Affine {
    double a, b, c, d, tx, ty;
};

constexpr Affine identity = {1.0, 0.0, 0.0, 1.0, 0.0, 0.0};

struct Colour {
    float r, g, b;
};

// What glPushAttrib(GL_CURRENT_BIT) saves.
struct CurrentAttrib {
    Colour colour;
    Colour rasterColour;
    double rasterX, rasterY;
    bool rasterValid;
};

// The whole OpenGL state of the one context, and the frame being built.
struct Context {
    Colour colour = {1.0f, 1.0f, 1.0f};
    Colour clearColour = {0.0f, 0.0f, 0.0f};
    float lineWidth = 1.0f;
    bool lighting = false;
    GLenum matrixMode = GL_MODELVIEW;
    Affine modelview = identity;
    Affine projection = identity;
    std::vector<Affine> modelviewStack;
    std::vector<Affine> projectionStack;
    int viewport[4] = {0, 0, 0, 0};
    // Height of the window, for turning OpenGL's upward y into the canvas's.
    int windowHeight = 0;
    // Raster position in canvas pixels, its validity and colour.
    CurrentAttrib current = {};
    std::vector<CurrentAttrib> attribStack;
    // The primitive between glBegin and glEnd: its mode and vertices in
    // canvas pixels.
    GLenum mode = 0;
    std::vector<float> vertices;
    DrawList frame;
};

Context gl;

Affine compose(const Affine& m, const Affine& n)
{
    return {m.a * n.a + m.c * n.b, m.b * n.a + m.d * n.b,          m.a * n.c + m.c * n.d,
            m.b * n.c + m.d * n.d, m.a * n.tx + m.c * n.ty + m.tx, m.b * n.tx + m.d * n.ty + m.ty};
}

Affine& currentMatrix()
{
    return gl.matrixMode == GL_PROJECTION ? gl.projection : gl.modelview;
}

std::vector<Affine>& currentStack()
{
    return gl.matrixMode == GL_PROJECTION ? gl.projectionStack : gl.modelviewStack;
}

// Clip coordinates of a point in drawing coordinates.
void toClip(double x, double y, double* cx, double* cy)
{
    const Affine& m = gl.modelview;
    const double mx = m.a * x + m.c * y + m.tx;
    const double my = m.b * x + m.d * y + m.ty;
    const Affine& p = gl.projection;
    *cx = p.a * mx + p.c * my + p.tx;
    *cy = p.b * mx + p.d * my + p.ty;
}

// Canvas pixels of a point in clip coordinates: the viewport transform, with
// y turned to run downwards.
void toCanvas(double cx, double cy, double* px, double* py)
{
    *px = gl.viewport[0] + (cx + 1.0) * 0.5 * gl.viewport[2];
    *py = gl.windowHeight - (gl.viewport[1] + (cy + 1.0) * 0.5 * gl.viewport[3]);
}

float clampUnit(float v)
{
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

} // namespace

// The frame built since the last swap; the window hands it to the page.
DrawList& currentDrawList()
{
    return gl.frame;
}

// The window's height in pixels, for the y flip; set when the window opens.
void setDrawWindowHeight(int height)
{
    gl.windowHeight = height;
}

extern "C" {

void* glutBitmapHelvetica18 = nullptr;

void glBegin(GLenum mode)
{
    gl.mode = mode;
    gl.vertices.clear();
}

void glEnd(void)
{
    const Colour& c = gl.colour;
    if (gl.mode == GL_LINES) {
        gl.frame.addLines(c.r, c.g, c.b, gl.lineWidth, gl.vertices.data(),
                          gl.vertices.size() / 4 * 4);
    } else if (gl.mode == GL_POLYGON && gl.vertices.size() >= 6) {
        gl.frame.addPolygon(c.r, c.g, c.b, gl.vertices.data(), gl.vertices.size());
    }
    gl.mode = 0;
    gl.vertices.clear();
}

void glVertex2d(GLdouble x, GLdouble y)
{
    double cx, cy, px, py;
    toClip(x, y, &cx, &cy);
    toCanvas(cx, cy, &px, &py);
    gl.vertices.push_back(static_cast<float>(px));
    gl.vertices.push_back(static_cast<float>(py));
}

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat /*alpha*/)
{
    gl.colour = {clampUnit(red), clampUnit(green), clampUnit(blue)};
}

void glEnable(GLenum cap)
{
    if (cap == GL_LIGHTING) {
        gl.lighting = true;
    }
}

void glDisable(GLenum cap)
{
    if (cap == GL_LIGHTING) {
        gl.lighting = false;
    }
}

void glLineWidth(GLfloat width)
{
    if (width > 0.0f) {
        gl.lineWidth = width;
    }
}

void glPushMatrix(void)
{
    if (currentStack().size() < stackLimit) {
        currentStack().push_back(currentMatrix());
    }
}

void glPopMatrix(void)
{
    std::vector<Affine>& stack = currentStack();
    if (!stack.empty()) {
        currentMatrix() = stack.back();
        stack.pop_back();
    }
}

void glTranslated(GLdouble x, GLdouble y, GLdouble /*z*/)
{
    // z moves nothing in this flat picture.
    currentMatrix() = compose(currentMatrix(), Affine{1.0, 0.0, 0.0, 1.0, x, y});
}

void glRotated(GLdouble angle, GLdouble /*x*/, GLdouble /*y*/, GLdouble z)
{
    // The program turns only about the z axis.
    const double theta = (z < 0.0 ? -angle : angle) * pi / 180.0;
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    currentMatrix() = compose(currentMatrix(), Affine{c, s, -s, c, 0.0, 0.0});
}

void glLoadIdentity(void)
{
    currentMatrix() = identity;
}

void glMatrixMode(GLenum mode)
{
    gl.matrixMode = mode;
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    gl.viewport[0] = x;
    gl.viewport[1] = y;
    gl.viewport[2] = width;
    gl.viewport[3] = height;
}

void glRasterPos2f(GLfloat x, GLfloat y)
{
    double cx, cy;
    toClip(x, y, &cx, &cy);
    // A raster position outside the clip volume is invalid: no glyph shows.
    gl.current.rasterValid = std::fabs(cx) <= 1.0 && std::fabs(cy) <= 1.0;
    toCanvas(cx, cy, &gl.current.rasterX, &gl.current.rasterY);
    gl.current.rasterColour = gl.lighting ? Colour{litGrey, litGrey, litGrey} : gl.colour;
}

void glPushAttrib(GLbitfield /*mask*/)
{
    // Only GL_CURRENT_BIT is ever asked for.
    gl.current.colour = gl.colour;
    gl.attribStack.push_back(gl.current);
}

void glPopAttrib(void)
{
    if (!gl.attribStack.empty()) {
        gl.current = gl.attribStack.back();
        gl.colour = gl.current.colour;
        gl.attribStack.pop_back();
    }
}

void glFlush(void) {}

void glClear(GLbitfield mask)
{
    // Everything drawn before a clear of the whole window is hidden by it.
    if ((mask & GL_COLOR_BUFFER_BIT) != 0) {
        gl.frame.clear();
        const Colour& c = gl.clearColour;
        gl.frame.addClear(c.r, c.g, c.b);
    }
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf /*alpha*/)
{
    gl.clearColour = {clampUnit(red), clampUnit(green), clampUnit(blue)};
}

void glutBitmapCharacter(void* font, int character)
{
    if (font != GLUT_BITMAP_HELVETICA_18 || character < 32 || character > 126) {
        return;
    }
    if (gl.current.rasterValid) {
        const Colour& c = gl.current.rasterColour;
        gl.frame.addGlyph(c.r, c.g, c.b, static_cast<float>(gl.current.rasterX),
                          static_cast<float>(gl.current.rasterY), character);
    }
    gl.current.rasterX += helvetica18Advance[character - 32];
}

} // extern "C"
