// A recording stand-in for OpenGL and GLUT, for tests that run drawing code
// without a window.
//
// gl_recorder.cpp defines, with the exact C signatures of <GL/gl.h> and
// <GL/glut.h>, the OpenGL and GLUT functions that the drawing library and the
// frame code call, plus the font symbol behind GLUT_BITMAP_HELVETICA_18. A
// test binary links it instead of libGL and libglut; every call is then
// appended, in order, to a list that the test reads back.
//
// Functions stood in for:
//   glBegin glEnd glVertex2d glColor4f glEnable glDisable glLineWidth
//   glPushMatrix glPopMatrix glTranslated glRotated glLoadIdentity
//   glMatrixMode glViewport glRasterPos2f glPushAttrib glPopAttrib
//   glFlush glClear glClearColor glutBitmapCharacter glutSwapBuffers
//
// Beside the raw list it keeps a small model of the state those calls change
// (GlState), gathers the vertices of each glBegin/glEnd group with the state
// in force (GlPrimitive), and notes misuse that real OpenGL would reject or
// leave undefined (glErrors): a call not allowed inside glBegin/glEnd, a
// vertex outside one, nested or unmatched glBegin/glEnd, a matrix or
// attribute stack popped when empty or pushed past the depth every OpenGL
// guarantees, a line width of 0 or less.
//
// Typical use:
//   resetGl();                       // empty list, default OpenGL state
//   drawDisc({0.5, 0.1}, 0.04, red); // code under test
//   EXPECT_EQ(glCallCount("glVertex2d"), 100u);
//   EXPECT_TRUE(glState().lighting);
//   EXPECT_TRUE(glErrors().empty());
//
// setGlRecording(false) makes every stand-in return at once (no list, no
// model), for benchmarks that link the same seam. Single-threaded, like the
// program it serves.
#pragma once

#include "plot/drawing_types.h"

#include <GL/gl.h>

#include <cstddef>
#include <ostream>
#include <set>
#include <string>
#include <vector>

// One recorded call.
struct GlCall {
    std::string name;         // the function's name, e.g. "glVertex2d"
    std::vector<double> args; // numeric arguments in order; enums, masks and
                              // ints as their values, floats widened exactly
    const void* ptr;          // the pointer argument (the font of
                              // glutBitmapCharacter), else nullptr
};

// A colour as OpenGL holds it.
struct GlColour {
    float r;
    float g;
    float b;
    float a;
};

bool operator==(const GlColour& x, const GlColour& y);
bool operator!=(const GlColour& x, const GlColour& y);
std::ostream& operator<<(std::ostream& out, const GlColour& c);

// The program's colour as the recorder compares it.
GlColour glColourOf(const Rgba& c);

// A 2-D affine transform, (x, y) -> (a*x + c*y + tx, b*x + d*y + ty): all that
// glTranslated and z-axis glRotated can build when z stays 0.
struct GlAffine {
    double a;
    double b;
    double c;
    double d;
    double tx;
    double ty;
};

// A vertex, in the coordinates it was sent in or after the transforms.
struct GlVertex {
    double x;
    double y;
};

// The modelled OpenGL state; defaults as a fresh context has them.
struct GlState {
    GlColour colour;          // current colour; (1, 1, 1, 1) at start
    float lineWidth;          // 1.0 at start
    bool lighting;            // GL_LIGHTING enabled; off at start
    std::set<GLenum> enabled; // every capability enabled, lighting included
    GLenum matrixMode;        // GL_MODELVIEW at start
    int modelviewDepth;       // glPushMatrix minus glPopMatrix on the modelview stack
    int projectionDepth;      // the same on the projection stack
    GlAffine modelview;       // top of the modelview stack
    GlAffine projection;      // top of the projection stack
    int attribDepth;          // glPushAttrib minus glPopAttrib
    double rasterX;           // last glRasterPos2f, as given (untransformed)
    double rasterY;           // and its y
    int rasterGlyphs;         // glyphs since the raster position was set (it has advanced)
    GlColour clearColour;     // (0, 0, 0, 0) at start
    int viewport[4];          // x, y, width, height; all 0 at start
    bool insideBegin;         // between glBegin and glEnd
};

// One glBegin/glEnd group with the state in force at its glBegin.
struct GlPrimitive {
    GLenum mode;                    // GL_LINES, GL_POLYGON, ...
    std::vector<GlVertex> vertices; // as sent with glVertex2d
    std::vector<GlVertex> placed;   // the same through modelview, then projection
    GlColour colour;
    float lineWidth;
    bool lighting;
    int modelviewDepth;
    GlAffine modelview;    // e.g. a disc's centre is (modelview.tx, modelview.ty)
    std::size_t callIndex; // index of its glBegin in glCalls()
};

// One segment of a GL_LINES group (each pair of vertices).
struct GlSegment {
    GlVertex from; // as sent
    GlVertex to;
    GlVertex placedFrom; // through modelview, then projection
    GlVertex placedTo;
    GlColour colour;
    float lineWidth;
    bool lighting;
};

// --- control

// Empty the recording and put the modelled state back to its start values.
void resetGl();
// Empty the recording (calls, primitives, errors) and keep the modelled state.
void clearGlCalls();
// Turn recording and modelling on or off; on at start. Off, every stand-in
// returns at once and nothing changes.
void setGlRecording(bool on);
bool glRecording();

// --- reading back

// Every call since the last reset or clear, in order.
const std::vector<GlCall>& glCalls();
// The names alone, in order, for comparing whole sequences.
std::vector<std::string> glCallNames();
// The calls of one function, in order.
std::vector<GlCall> glCallsNamed(const std::string& name);
// How many calls of one function.
std::size_t glCallCount(const std::string& name);
// The completed glBegin/glEnd groups, in order.
const std::vector<GlPrimitive>& glPrimitives();
// The segments of all GL_LINES groups, in order.
std::vector<GlSegment> glSegments();
// The character codes of glutBitmapCharacter, in order.
std::vector<int> glGlyphs();
// The modelled state now.
const GlState& glState();
// Misuse noticed, one message per fault, naming the call's index.
const std::vector<std::string>& glErrors();

// Apply a transform to a point.
GlVertex glApply(const GlAffine& m, GlVertex v);
