// A model of the OpenGL 1.x subset and GLUT bitmap text that the drawing
// library and the frame call (gl_model.cpp defines them with the C
// signatures of <GL/gl.h> and <GL/glut.h>; glutSwapBuffers is the platform's).
// The web page turns each frame's shapes into canvas commands; the tests read
// the same shapes, the calls and the misuse noticed. Modelled is what the
// program does: lines, convex polygons, rotations about z, lighting as a
// switch that greys the text, GL_CURRENT_BIT. What OpenGL rejects is refused
// and named in glErrors(): calls between glBegin and glEnd it does not allow,
// unmatched groups, stacks popped empty or pushed past the depth every OpenGL
// guarantees, a line width <= 0, and what the model does not cover.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// One call, as the tests read it back.
struct GlCall {
    std::string name;         // e.g. "glVertex2d"
    std::vector<double> args; // numeric arguments in order, floats widened exactly
    const void* ptr;          // the font of glutBitmapCharacter, else nullptr
};

// A colour as OpenGL holds it (not clamped).
struct GlColour {
    float r, g, b, a;
};
bool operator==(const GlColour& x, const GlColour& y);

// (x, y) -> (a*x + c*y + tx, b*x + d*y + ty): all that glTranslated and
// z-axis glRotated build.
struct GlAffine {
    double a, b, c, d, tx, ty;
};

struct GlVertex {
    double x, y;
};

// The raster position, what glPushAttrib(GL_CURRENT_BIT) keeps with the colour.
struct GlRaster {
    double x = 0.0, y = 0.0;             // as given to glRasterPos2f
    int glyphs = 0;                      // glyphs drawn since
    double windowX = 0.0, windowY = 0.0; // in window pixels, advanced by each glyph
    bool valid = true;                   // inside the clip volume
    GlColour colour = {1.0f, 1.0f, 1.0f, 1.0f};
};

// The modelled state; defaults as a fresh context has them.
struct GlState {
    GlColour colour = {1.0f, 1.0f, 1.0f, 1.0f};
    float lineWidth = 1.0f;
    bool lighting = false;
    GLenum matrixMode = GL_MODELVIEW;
    int modelviewDepth = 0; // entries pushed on each stack
    int projectionDepth = 0;
    GlAffine modelview = {1.0, 0.0, 0.0, 1.0, 0.0, 0.0};
    GlAffine projection = {1.0, 0.0, 0.0, 1.0, 0.0, 0.0};
    int attribDepth = 0;
    GlRaster raster;
    GlColour clearColour = {0.0f, 0.0f, 0.0f, 0.0f};
    int viewport[4] = {0, 0, 0, 0};
    bool insideBegin = false;
};

// One glBegin/glEnd group with the state in force at its glBegin.
struct GlPrimitive {
    GLenum mode;
    GlColour colour;
    float lineWidth;
    bool lighting;
    int modelviewDepth;
    GlAffine modelview;    // e.g. a disc's centre is (modelview.tx, modelview.ty)
    std::size_t callIndex; // its glBegin among the calls
    std::size_t first;     // its first vertex in GlModel's arrays
    std::size_t count;     // and how many
    // Filled by glPrimitives() for the tests:
    std::vector<GlVertex> vertices; // as sent
    std::vector<GlVertex> placed;   // through modelview, then projection
};

// One segment of a GL_LINES group.
struct GlSegment {
    GlVertex from, to;             // as sent
    GlVertex placedFrom, placedTo; // through modelview, then projection
    GlColour colour;
    float lineWidth;
    bool lighting;
};

// One visible glyph, at its origin in window pixels.
struct GlGlyph {
    int character;
    float x, y;
    GlColour colour;
    std::size_t after; // shapes drawn before it
};

// Everything the model holds; one per process, as there is one context.
struct GlModel {
    bool on = true;      // off: every call returns at once
    bool logging = true; // keep the calls, errors and sent vertices for the tests
    GlState state;
    int windowHeight = 0; // for window pixels with y running down
    std::vector<GlCall> calls;
    std::vector<std::string> errors;
    // The shapes and glyphs since clearGlCalls (logging) or the last clear of
    // the window (not logging); the vertices of all shapes in window pixels
    // (x, y pairs, y down) and, logging, as sent and placed.
    std::vector<GlPrimitive> shapes;
    std::vector<float> window;
    std::vector<GlVertex> sent, placed;
    std::vector<GlGlyph> glyphs;
    // What the window shows: the shapes and glyphs from these on, over the
    // colour of the last clear if there was one.
    std::size_t frameShape = 0, frameGlyph = 0;
    bool cleared = false;
    GlColour clearColour = {0.0f, 0.0f, 0.0f, 0.0f};
    std::vector<GlAffine> modelviewStack, projectionStack;
    std::vector<std::pair<GlColour, GlRaster>> attribStack;
    std::vector<GlPrimitive> read; // glPrimitives()'s copy
};

// --- for the page
const GlModel& glModel();
// The window's height in pixels, for the y flip of window pixels.
void setGlWindowHeight(int height);
// Keep the calls, errors and sent vertices (on at start), or only the frame.
void setGlLogging(bool on);
// Model a call of the platform's own (glutSwapBuffers): kept in the calls,
// refused between glBegin and glEnd.
void noteGlCall(const char* name);

// --- for the tests
// Empty the calls, shapes and errors and put the state back to its start.
void resetGl();
// Empty the calls, shapes and errors; keep the state.
void clearGlCalls();
// Model at all or not (on at start); off, every call returns at once.
void setGlRecording(bool on);
const std::vector<GlCall>& glCalls();
std::vector<std::string> glCallNames();
std::vector<GlCall> glCallsNamed(const std::string& name);
std::size_t glCallCount(const std::string& name);
const std::vector<GlPrimitive>& glPrimitives();
std::vector<GlSegment> glSegments();
// The character codes of glutBitmapCharacter, in order.
std::vector<int> glGlyphs();
const GlState& glState();
// Misuse noticed, one message per fault, naming the call's index.
const std::vector<std::string>& glErrors();
