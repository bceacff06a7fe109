// A recording stand-in for OpenGL and GLUT; see gl_recorder.h.
#include "tools/gl_recorder.h"

#include <GL/gl.h>
#include <GL/glut.h>

#include <cmath>
#include <sstream>
#include <utility>

namespace
{

// Matrix stack depths every OpenGL implementation guarantees (entries,
// the bottom one included); deeper use is flagged as not portable.
constexpr int modelviewStackMin = 32;
constexpr int projectionStackMin = 2;
// Attribute stack depth every OpenGL implementation guarantees.
constexpr int attribStackMin = 16;
// pi for turning glRotated's degrees into radians.
constexpr double pi = 3.14159265358979323846;

constexpr GlAffine identity = {1.0, 0.0, 0.0, 1.0, 0.0, 0.0};

// The state of a fresh context.
GlState startState()
{
    GlState s{};
    s.colour = {1.0f, 1.0f, 1.0f, 1.0f};
    s.lineWidth = 1.0f;
    s.lighting = false;
    s.matrixMode = GL_MODELVIEW;
    s.modelview = identity;
    s.projection = identity;
    s.clearColour = {0.0f, 0.0f, 0.0f, 0.0f};
    return s;
}

// Everything the recorder holds; one per process, as there is one context.
struct Recorder {
    bool on = true;
    std::vector<GlCall> calls;
    std::vector<GlPrimitive> primitives;
    std::vector<std::string> errors;
    GlState state = startState();
    GlPrimitive open{};                   // group being built
    std::vector<GlAffine> modelviewStack; // below the top
    std::vector<GlAffine> projectionStack;
    std::vector<std::pair<GLbitfield, GlState>> attribStack;
};

Recorder& rec()
{
    static Recorder r;
    return r;
}

// Append one call and return its index.
std::size_t record(const char* name, std::vector<double> args, const void* ptr = nullptr)
{
    Recorder& r = rec();
    r.calls.push_back(GlCall{name, std::move(args), ptr});
    return r.calls.size() - 1;
}

void fault(std::size_t index, const std::string& what)
{
    std::ostringstream msg;
    msg << "call " << index << " " << rec().calls[index].name << ": " << what;
    rec().errors.push_back(msg.str());
}

// Flag a call that OpenGL refuses between glBegin and glEnd.
void outsideBeginOnly(std::size_t index)
{
    if (rec().state.insideBegin) {
        fault(index, "not allowed between glBegin and glEnd");
    }
}

// m * n: apply n first, then m.
GlAffine compose(const GlAffine& m, const GlAffine& n)
{
    GlAffine p{};
    p.a = m.a * n.a + m.c * n.b;
    p.b = m.b * n.a + m.d * n.b;
    p.c = m.a * n.c + m.c * n.d;
    p.d = m.b * n.c + m.d * n.d;
    p.tx = m.a * n.tx + m.c * n.ty + m.tx;
    p.ty = m.b * n.tx + m.d * n.ty + m.ty;
    return p;
}

GlAffine& currentMatrix()
{
    GlState& s = rec().state;
    return s.matrixMode == GL_PROJECTION ? s.projection : s.modelview;
}

} // namespace

bool operator==(const GlColour& x, const GlColour& y)
{
    return x.r == y.r && x.g == y.g && x.b == y.b && x.a == y.a;
}

bool operator!=(const GlColour& x, const GlColour& y)
{
    return !(x == y);
}

std::ostream& operator<<(std::ostream& out, const GlColour& c)
{
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
}

GlColour glColourOf(const Rgba& c)
{
    return {c.r, c.g, c.b, c.a};
}

GlVertex glApply(const GlAffine& m, GlVertex v)
{
    return {m.a * v.x + m.c * v.y + m.tx, m.b * v.x + m.d * v.y + m.ty};
}

// --- control

void resetGl()
{
    Recorder& r = rec();
    clearGlCalls();
    r.state = startState();
    r.open = GlPrimitive{};
    r.modelviewStack.clear();
    r.projectionStack.clear();
    r.attribStack.clear();
}

void clearGlCalls()
{
    Recorder& r = rec();
    r.calls.clear();
    r.primitives.clear();
    r.errors.clear();
}

void setGlRecording(bool on)
{
    rec().on = on;
}

bool glRecording()
{
    return rec().on;
}

// --- reading back

const std::vector<GlCall>& glCalls()
{
    return rec().calls;
}

std::vector<std::string> glCallNames()
{
    std::vector<std::string> names;
    for (const GlCall& c : rec().calls) {
        names.push_back(c.name);
    }
    return names;
}

std::vector<GlCall> glCallsNamed(const std::string& name)
{
    std::vector<GlCall> found;
    for (const GlCall& c : rec().calls) {
        if (c.name == name) {
            found.push_back(c);
        }
    }
    return found;
}

std::size_t glCallCount(const std::string& name)
{
    std::size_t n = 0;
    for (const GlCall& c : rec().calls) {
        n += c.name == name ? 1 : 0;
    }
    return n;
}

const std::vector<GlPrimitive>& glPrimitives()
{
    return rec().primitives;
}

std::vector<GlSegment> glSegments()
{
    std::vector<GlSegment> segments;
    for (const GlPrimitive& p : rec().primitives) {
        if (p.mode != GL_LINES) {
            continue;
        }
        for (std::size_t i = 0; i + 1 < p.vertices.size(); i += 2) {
            segments.push_back({p.vertices[i], p.vertices[i + 1], p.placed[i], p.placed[i + 1],
                                p.colour, p.lineWidth, p.lighting});
        }
    }
    return segments;
}

std::vector<int> glGlyphs()
{
    std::vector<int> codes;
    for (const GlCall& c : rec().calls) {
        if (c.name == "glutBitmapCharacter") {
            codes.push_back(static_cast<int>(c.args[0]));
        }
    }
    return codes;
}

const GlState& glState()
{
    return rec().state;
}

const std::vector<std::string>& glErrors()
{
    return rec().errors;
}

// --- the stand-ins, with the C signatures of the system headers

extern "C" {

// Behind GLUT_BITMAP_HELVETICA_18, which is this symbol's address.
void* glutBitmapHelvetica18 = nullptr;

void glBegin(GLenum mode)
{
    if (!rec().on)
        return;
    Recorder& r = rec();
    const std::size_t i = record("glBegin", {static_cast<double>(mode)});
    if (r.state.insideBegin) {
        fault(i, "glBegin inside glBegin/glEnd");
    }
    r.state.insideBegin = true;
    r.open = GlPrimitive{};
    r.open.mode = mode;
    r.open.colour = r.state.colour;
    r.open.lineWidth = r.state.lineWidth;
    r.open.lighting = r.state.lighting;
    r.open.modelviewDepth = r.state.modelviewDepth;
    r.open.modelview = r.state.modelview;
    r.open.callIndex = i;
}

void glEnd(void)
{
    if (!rec().on)
        return;
    Recorder& r = rec();
    const std::size_t i = record("glEnd", {});
    if (!r.state.insideBegin) {
        fault(i, "glEnd without glBegin");
        return;
    }
    r.state.insideBegin = false;
    r.primitives.push_back(std::move(r.open));
    r.open = GlPrimitive{};
}

void glVertex2d(GLdouble x, GLdouble y)
{
    if (!rec().on)
        return;
    Recorder& r = rec();
    const std::size_t i = record("glVertex2d", {x, y});
    if (!r.state.insideBegin) {
        fault(i, "vertex outside glBegin/glEnd");
        return;
    }
    const GlVertex v = {x, y};
    r.open.vertices.push_back(v);
    r.open.placed.push_back(glApply(r.state.projection, glApply(r.state.modelview, v)));
}

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha)
{
    if (!rec().on)
        return;
    record("glColor4f", {red, green, blue, alpha});
    rec().state.colour = {red, green, blue, alpha};
}

void glEnable(GLenum cap)
{
    if (!rec().on)
        return;
    outsideBeginOnly(record("glEnable", {static_cast<double>(cap)}));
    GlState& s = rec().state;
    s.enabled.insert(cap);
    s.lighting = s.enabled.count(GL_LIGHTING) != 0;
}

void glDisable(GLenum cap)
{
    if (!rec().on)
        return;
    outsideBeginOnly(record("glDisable", {static_cast<double>(cap)}));
    GlState& s = rec().state;
    s.enabled.erase(cap);
    s.lighting = s.enabled.count(GL_LIGHTING) != 0;
}

void glLineWidth(GLfloat width)
{
    if (!rec().on)
        return;
    const std::size_t i = record("glLineWidth", {width});
    outsideBeginOnly(i);
    if (!(width > 0.0f)) {
        fault(i, "line width must be greater than 0");
        return;
    }
    rec().state.lineWidth = width;
}

void glPushMatrix(void)
{
    if (!rec().on)
        return;
    Recorder& r = rec();
    const std::size_t i = record("glPushMatrix", {});
    outsideBeginOnly(i);
    const bool projection = r.state.matrixMode == GL_PROJECTION;
    int& depth = projection ? r.state.projectionDepth : r.state.modelviewDepth;
    const int limit = projection ? projectionStackMin : modelviewStackMin;
    if (depth + 1 >= limit) {
        fault(i, "matrix stack deeper than OpenGL guarantees");
    }
    (projection ? r.projectionStack : r.modelviewStack).push_back(currentMatrix());
    ++depth;
}

void glPopMatrix(void)
{
    if (!rec().on)
        return;
    Recorder& r = rec();
    const std::size_t i = record("glPopMatrix", {});
    outsideBeginOnly(i);
    const bool projection = r.state.matrixMode == GL_PROJECTION;
    std::vector<GlAffine>& stack = projection ? r.projectionStack : r.modelviewStack;
    if (stack.empty()) {
        fault(i, "matrix stack underflow");
        return;
    }
    currentMatrix() = stack.back();
    stack.pop_back();
    --(projection ? r.state.projectionDepth : r.state.modelviewDepth);
}

void glTranslated(GLdouble x, GLdouble y, GLdouble z)
{
    if (!rec().on)
        return;
    const std::size_t i = record("glTranslated", {x, y, z});
    outsideBeginOnly(i);
    // z moves nothing that is seen in this 2-D picture.
    GlAffine& m = currentMatrix();
    m = compose(m, GlAffine{1.0, 0.0, 0.0, 1.0, x, y});
}

void glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z)
{
    if (!rec().on)
        return;
    const std::size_t i = record("glRotated", {angle, x, y, z});
    outsideBeginOnly(i);
    if (x != 0.0 || y != 0.0 || z == 0.0) {
        fault(i, "only rotations about the z axis are modelled");
        return;
    }
    const double theta = (z > 0.0 ? angle : -angle) * pi / 180.0;
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    GlAffine& m = currentMatrix();
    m = compose(m, GlAffine{c, s, -s, c, 0.0, 0.0});
}

void glLoadIdentity(void)
{
    if (!rec().on)
        return;
    outsideBeginOnly(record("glLoadIdentity", {}));
    currentMatrix() = identity;
}

void glMatrixMode(GLenum mode)
{
    if (!rec().on)
        return;
    const std::size_t i = record("glMatrixMode", {static_cast<double>(mode)});
    outsideBeginOnly(i);
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION) {
        fault(i, "only the modelview and projection matrices are modelled");
        return;
    }
    rec().state.matrixMode = mode;
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    if (!rec().on)
        return;
    const std::size_t i =
        record("glViewport", {static_cast<double>(x), static_cast<double>(y),
                              static_cast<double>(width), static_cast<double>(height)});
    outsideBeginOnly(i);
    if (width < 0 || height < 0) {
        fault(i, "negative viewport size");
        return;
    }
    int* v = rec().state.viewport;
    v[0] = x;
    v[1] = y;
    v[2] = width;
    v[3] = height;
}

void glRasterPos2f(GLfloat x, GLfloat y)
{
    if (!rec().on)
        return;
    outsideBeginOnly(record("glRasterPos2f", {x, y}));
    GlState& s = rec().state;
    s.rasterX = x;
    s.rasterY = y;
    s.rasterGlyphs = 0;
}

void glPushAttrib(GLbitfield mask)
{
    if (!rec().on)
        return;
    Recorder& r = rec();
    const std::size_t i = record("glPushAttrib", {static_cast<double>(mask)});
    outsideBeginOnly(i);
    if (r.state.attribDepth + 1 > attribStackMin) {
        fault(i, "attribute stack deeper than OpenGL guarantees");
    }
    r.attribStack.emplace_back(mask, r.state);
    ++r.state.attribDepth;
}

void glPopAttrib(void)
{
    if (!rec().on)
        return;
    Recorder& r = rec();
    const std::size_t i = record("glPopAttrib", {});
    outsideBeginOnly(i);
    if (r.attribStack.empty()) {
        fault(i, "attribute stack underflow");
        return;
    }
    const GLbitfield mask = r.attribStack.back().first;
    const GlState saved = std::move(r.attribStack.back().second);
    r.attribStack.pop_back();
    --r.state.attribDepth;

    // Only the groups that hold modelled state are put back.
    GlState& s = r.state;
    if (mask & GL_CURRENT_BIT) {
        s.colour = saved.colour;
        s.rasterX = saved.rasterX;
        s.rasterY = saved.rasterY;
        s.rasterGlyphs = saved.rasterGlyphs;
    }
    if (mask & GL_ENABLE_BIT) {
        s.enabled = saved.enabled;
    } else if (mask & GL_LIGHTING_BIT) {
        if (saved.lighting) {
            s.enabled.insert(GL_LIGHTING);
        } else {
            s.enabled.erase(GL_LIGHTING);
        }
    }
    s.lighting = s.enabled.count(GL_LIGHTING) != 0;
    if (mask & GL_LINE_BIT) {
        s.lineWidth = saved.lineWidth;
    }
    if (mask & GL_COLOR_BUFFER_BIT) {
        s.clearColour = saved.clearColour;
    }
    if (mask & GL_VIEWPORT_BIT) {
        for (int k = 0; k < 4; ++k) {
            s.viewport[k] = saved.viewport[k];
        }
    }
    if (mask & GL_TRANSFORM_BIT) {
        s.matrixMode = saved.matrixMode;
    }
}

void glFlush(void)
{
    if (!rec().on)
        return;
    outsideBeginOnly(record("glFlush", {}));
}

void glClear(GLbitfield mask)
{
    if (!rec().on)
        return;
    outsideBeginOnly(record("glClear", {static_cast<double>(mask)}));
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha)
{
    if (!rec().on)
        return;
    outsideBeginOnly(record("glClearColor", {red, green, blue, alpha}));
    rec().state.clearColour = {red, green, blue, alpha};
}

void glutBitmapCharacter(void* font, int character)
{
    if (!rec().on)
        return;
    // glutBitmapCharacter draws with glBitmap, which is refused inside a group.
    outsideBeginOnly(record("glutBitmapCharacter", {static_cast<double>(character)}, font));
    ++rec().state.rasterGlyphs;
}

void glutSwapBuffers(void)
{
    if (!rec().on)
        return;
    outsideBeginOnly(record("glutSwapBuffers", {}));
}

} // extern "C"
