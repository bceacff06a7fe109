// A model of the OpenGL 1.x subset and GLUT text the program calls; see
// gl_model.h.
#include "platform/gl_model/gl_model.h"

#include <GL/glut.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace
{

// Stack depths every OpenGL guarantees (entries, the bottom one included);
// deeper use is refused as not portable.
constexpr int modelviewStackMin = 32;
constexpr int projectionStackMin = 2;
constexpr int attribStackMin = 16;
// pi for turning glRotated's degrees into radians.
constexpr double pi = 3.14159265358979323846;
// The raster colour of text placed with lighting on: the default light
// model's ambient 0.2 times the default material's ambient 0.2 (no light
// source is ever switched on).
constexpr float litGrey = 0.04f;
constexpr GlAffine identity = {1.0, 0.0, 0.0, 1.0, 0.0, 0.0};

// Advance of each printable ASCII character (32 to 126) in the Helvetica 18
// bitmap font, pixels: the raster position moves by these after each glyph.
constexpr unsigned char helvetica18Advance[95] = {
    5,  6,  5,  10, 10, 16, 13, 4,  6,  6,  7,  10, 5,  11, 5,  5,  10, 10, 10, 10, 10, 10, 10, 10,
    10, 10, 5,  5,  10, 11, 10, 10, 18, 12, 13, 14, 13, 11, 11, 14, 13, 6,  10, 13, 10, 16, 13, 15,
    12, 15, 12, 13, 12, 13, 14, 18, 13, 14, 12, 5,  5,  5,  9,  10, 4,  9,  11, 10, 11, 10, 6,  11,
    10, 4,  4,  9,  4,  14, 10, 11, 11, 11, 6,  9,  6,  10, 10, 14, 10, 10, 9,  6,  4,  6,  10,
};

GlModel m;
// Name and index of the call being modelled, for the errors.
const char* callName = "";
std::size_t callIndex = 0;
// Drawing coordinates to window pixels for the open group.
GlAffine groupToWindow;

// Refuse the call being modelled when bad, naming what; true if refused.
bool refused(bool bad, const char* what)
{
    if (bad && m.logging) {
        m.errors.push_back("call " + std::to_string(callIndex) + " " + callName + ": " + what);
    }
    return bad;
}

// Start modelling a call: false when the model is off, or refused because
// OpenGL does not allow it between glBegin and glEnd.
bool call(const char* name, std::initializer_list<double> args, bool insideToo = false,
          const void* ptr = nullptr)
{
    if (!m.on) {
        return false;
    }
    if (m.logging) {
        callName = name;
        callIndex = m.calls.size();
        m.calls.push_back(GlCall{name, args, ptr});
    }
    return !refused(!insideToo && m.state.insideBegin, "not allowed between glBegin and glEnd");
}

// a * n: apply n first, then a.
GlAffine compose(const GlAffine& a, const GlAffine& n)
{
    return {a.a * n.a + a.c * n.b, a.b * n.a + a.d * n.b,          a.a * n.c + a.c * n.d,
            a.b * n.c + a.d * n.d, a.a * n.tx + a.c * n.ty + a.tx, a.b * n.tx + a.d * n.ty + a.ty};
}

GlVertex apply(const GlAffine& a, GlVertex v)
{
    return {a.a * v.x + a.c * v.y + a.tx, a.b * v.x + a.d * v.y + a.ty};
}

GlAffine& currentMatrix()
{
    return m.state.matrixMode == GL_PROJECTION ? m.state.projection : m.state.modelview;
}

// From drawing coordinates to window pixels, y running down: modelview,
// projection, then the viewport.
GlAffine toWindow()
{
    const int* v = m.state.viewport;
    const GlAffine viewport = {
        0.5 * v[2], 0.0, 0.0, -0.5 * v[3], v[0] + 0.5 * v[2], m.windowHeight - (v[1] + 0.5 * v[3])};
    return compose(viewport, compose(m.state.projection, m.state.modelview));
}

void clearShapes()
{
    m.shapes.clear();
    m.window.clear();
    m.sent.clear();
    m.placed.clear();
    m.glyphs.clear();
    m.frameShape = 0;
    m.frameGlyph = 0;
}

// Lighting on or off; other capabilities change nothing drawn.
void enable(const char* name, GLenum cap, bool on)
{
    if (call(name, {static_cast<double>(cap)}) && cap == GL_LIGHTING) {
        m.state.lighting = on;
    }
}

} // namespace

bool operator==(const GlColour& x, const GlColour& y)
{
    return x.r == y.r && x.g == y.g && x.b == y.b && x.a == y.a;
}

const GlModel& glModel()
{
    return m;
}

void setGlWindowHeight(int height)
{
    m.windowHeight = height;
}

void setGlLogging(bool on)
{
    m.logging = on;
}

void noteGlCall(const char* name)
{
    call(name, {});
}

void resetGl()
{
    clearGlCalls();
    m.state = GlState{};
    m.modelviewStack.clear();
    m.projectionStack.clear();
    m.attribStack.clear();
}

void clearGlCalls()
{
    m.calls.clear();
    m.errors.clear();
    clearShapes();
    m.cleared = false;
}

void setGlRecording(bool on)
{
    m.on = on;
}

const std::vector<GlCall>& glCalls()
{
    return m.calls;
}

std::vector<std::string> glCallNames()
{
    std::vector<std::string> names;
    for (const GlCall& c : m.calls) {
        names.push_back(c.name);
    }
    return names;
}

std::vector<GlCall> glCallsNamed(const std::string& name)
{
    std::vector<GlCall> found;
    for (const GlCall& c : m.calls) {
        if (c.name == name) {
            found.push_back(c);
        }
    }
    return found;
}

std::size_t glCallCount(const std::string& name)
{
    return glCallsNamed(name).size();
}

const std::vector<GlPrimitive>& glPrimitives()
{
    m.read = m.shapes;
    for (GlPrimitive& p : m.read) {
        p.vertices.assign(m.sent.begin() + p.first, m.sent.begin() + p.first + p.count);
        p.placed.assign(m.placed.begin() + p.first, m.placed.begin() + p.first + p.count);
    }
    return m.read;
}

std::vector<GlSegment> glSegments()
{
    std::vector<GlSegment> segments;
    for (const GlPrimitive& p : glPrimitives()) {
        for (std::size_t i = 0; p.mode == GL_LINES && i + 1 < p.count; i += 2) {
            segments.push_back({p.vertices[i], p.vertices[i + 1], p.placed[i], p.placed[i + 1],
                                p.colour, p.lineWidth, p.lighting});
        }
    }
    return segments;
}

std::vector<int> glGlyphs()
{
    std::vector<int> codes;
    for (const GlCall& c : glCallsNamed("glutBitmapCharacter")) {
        codes.push_back(static_cast<int>(c.args[0]));
    }
    return codes;
}

const GlState& glState()
{
    return m.state;
}

const std::vector<std::string>& glErrors()
{
    return m.errors;
}

// --- the calls, with the C signatures of the system headers

extern "C" {

// Behind GLUT_BITMAP_HELVETICA_18, which is this symbol's address.
void* glutBitmapHelvetica18 = nullptr;

void glBegin(GLenum mode)
{
    if (!call("glBegin", {static_cast<double>(mode)}, true)) {
        return;
    }
    refused(m.state.insideBegin, "glBegin inside glBegin/glEnd");
    m.state.insideBegin = true;
    // Nothing between glBegin and glEnd may change the transforms.
    groupToWindow = toWindow();
    const GlState& s = m.state;
    m.shapes.push_back(GlPrimitive{mode,
                                   s.colour,
                                   s.lineWidth,
                                   s.lighting,
                                   s.modelviewDepth,
                                   s.modelview,
                                   callIndex,
                                   m.window.size() / 2,
                                   0,
                                   {},
                                   {}});
}

void glEnd(void)
{
    if (call("glEnd", {}, true) && !refused(!m.state.insideBegin, "glEnd without glBegin")) {
        m.state.insideBegin = false;
    }
}

void glVertex2d(GLdouble x, GLdouble y)
{
    // The page's curves are thousands of these a frame: kept short.
    if (!m.on || (m.logging && !call("glVertex2d", {x, y}, true)) ||
        (!m.state.insideBegin && refused(true, "vertex outside glBegin/glEnd"))) {
        return;
    }
    if (m.logging) {
        m.sent.push_back({x, y});
        m.placed.push_back(apply(m.state.projection, apply(m.state.modelview, {x, y})));
    }
    const GlVertex pixel = apply(groupToWindow, {x, y});
    m.window.push_back(static_cast<float>(pixel.x));
    m.window.push_back(static_cast<float>(pixel.y));
    ++m.shapes.back().count;
}

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha)
{
    if (call("glColor4f", {red, green, blue, alpha}, true)) {
        m.state.colour = {red, green, blue, alpha};
    }
}

void glEnable(GLenum cap)
{
    enable("glEnable", cap, true);
}

void glDisable(GLenum cap)
{
    enable("glDisable", cap, false);
}

void glLineWidth(GLfloat width)
{
    if (call("glLineWidth", {width}) &&
        !refused(!(width > 0.0f), "line width must be greater than 0")) {
        m.state.lineWidth = width;
    }
}

void glPushMatrix(void)
{
    const bool projection = m.state.matrixMode == GL_PROJECTION;
    int& depth = projection ? m.state.projectionDepth : m.state.modelviewDepth;
    if (call("glPushMatrix", {}) &&
        !refused(depth + 1 >= (projection ? projectionStackMin : modelviewStackMin),
                 "matrix stack deeper than OpenGL guarantees")) {
        (projection ? m.projectionStack : m.modelviewStack).push_back(currentMatrix());
        ++depth;
    }
}

void glPopMatrix(void)
{
    const bool projection = m.state.matrixMode == GL_PROJECTION;
    std::vector<GlAffine>& stack = projection ? m.projectionStack : m.modelviewStack;
    if (call("glPopMatrix", {}) && !refused(stack.empty(), "matrix stack underflow")) {
        currentMatrix() = stack.back();
        stack.pop_back();
        --(projection ? m.state.projectionDepth : m.state.modelviewDepth);
    }
}

void glTranslated(GLdouble x, GLdouble y, GLdouble z)
{
    // z moves nothing that is seen in this flat picture.
    if (call("glTranslated", {x, y, z})) {
        currentMatrix() = compose(currentMatrix(), GlAffine{1.0, 0.0, 0.0, 1.0, x, y});
    }
}

void glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z)
{
    if (!call("glRotated", {angle, x, y, z}) ||
        refused(x != 0.0 || y != 0.0 || z == 0.0, "only rotations about the z axis are modelled")) {
        return;
    }
    const double theta = (z > 0.0 ? angle : -angle) * pi / 180.0;
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    currentMatrix() = compose(currentMatrix(), GlAffine{c, s, -s, c, 0.0, 0.0});
}

void glLoadIdentity(void)
{
    if (call("glLoadIdentity", {})) {
        currentMatrix() = identity;
    }
}

void glMatrixMode(GLenum mode)
{
    if (call("glMatrixMode", {static_cast<double>(mode)}) &&
        !refused(mode != GL_MODELVIEW && mode != GL_PROJECTION,
                 "only the modelview and projection matrices are modelled")) {
        m.state.matrixMode = mode;
    }
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    if (call("glViewport", {static_cast<double>(x), static_cast<double>(y),
                            static_cast<double>(width), static_cast<double>(height)}) &&
        !refused(width < 0 || height < 0, "negative viewport size")) {
        const int v[4] = {x, y, width, height};
        std::copy(v, v + 4, m.state.viewport);
    }
}

void glRasterPos2f(GLfloat x, GLfloat y)
{
    if (!call("glRasterPos2f", {x, y})) {
        return;
    }
    GlState& s = m.state;
    const GlVertex clip = apply(s.projection, apply(s.modelview, {x, y}));
    const GlVertex pixel = apply(toWindow(), {x, y});
    // A raster position outside the clip volume is invalid: no glyph shows.
    const bool valid = std::fabs(clip.x) <= 1.0 && std::fabs(clip.y) <= 1.0;
    const GlColour lit = {litGrey, litGrey, litGrey, 1.0f};
    s.raster = {x, y, 0, pixel.x, pixel.y, valid, s.lighting ? lit : s.colour};
}

void glPushAttrib(GLbitfield mask)
{
    if (call("glPushAttrib", {static_cast<double>(mask)}) &&
        !refused(mask != GL_CURRENT_BIT, "only GL_CURRENT_BIT is modelled") &&
        !refused(m.state.attribDepth + 1 > attribStackMin,
                 "attribute stack deeper than OpenGL guarantees")) {
        m.attribStack.emplace_back(m.state.colour, m.state.raster);
        ++m.state.attribDepth;
    }
}

void glPopAttrib(void)
{
    if (call("glPopAttrib", {}) && !refused(m.attribStack.empty(), "attribute stack underflow")) {
        m.state.colour = m.attribStack.back().first;
        m.state.raster = m.attribStack.back().second;
        m.attribStack.pop_back();
        --m.state.attribDepth;
    }
}

void glFlush(void)
{
    call("glFlush", {});
}

void glClear(GLbitfield mask)
{
    if (!call("glClear", {static_cast<double>(mask)}) || (mask & GL_COLOR_BUFFER_BIT) == 0) {
        return;
    }
    // Everything drawn before a clear of the whole window is hidden by it;
    // the tests still read it back until they clear the calls.
    if (!m.logging) {
        clearShapes();
    }
    m.frameShape = m.shapes.size();
    m.frameGlyph = m.glyphs.size();
    m.cleared = true;
    m.clearColour = m.state.clearColour;
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha)
{
    if (call("glClearColor", {red, green, blue, alpha})) {
        m.state.clearColour = {red, green, blue, alpha};
    }
}

int glutBitmapLength(void* font, const unsigned char* string)
{
    // The advance of the glyphs drawn, as glutBitmapCharacter moves the
    // raster position over them.
    int length = 0;
    for (const unsigned char* p = string; font == GLUT_BITMAP_HELVETICA_18 && *p != '\0'; ++p) {
        if (*p >= 32 && *p <= 126) {
            length += helvetica18Advance[*p - 32];
        }
    }
    return length;
}

void glutBitmapCharacter(void* font, int character)
{
    // It draws with glBitmap, which is refused inside a group.
    if (!call("glutBitmapCharacter", {static_cast<double>(character)}, false, font)) {
        return;
    }
    GlRaster& r = m.state.raster;
    ++r.glyphs;
    if (font != GLUT_BITMAP_HELVETICA_18 || character < 32 || character > 126) {
        return;
    }
    if (r.valid) {
        m.glyphs.push_back({character, static_cast<float>(r.windowX), static_cast<float>(r.windowY),
                            r.colour, m.shapes.size()});
    }
    r.windowX += helvetica18Advance[character - 32];
}

} // extern "C"
