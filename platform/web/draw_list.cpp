// One frame as a flat list of drawing commands; see draw_list.h.
#include "platform/web/draw_list.h"

#include "platform/gl_model/gl_model.h"

#include <algorithm>

namespace
{

DrawList commands;

// A colour channel as the canvas takes it.
float unit(float v)
{
    return std::clamp(v, 0.0f, 1.0f);
}

// Start a command of code in colour c (alpha is not drawn).
void start(DrawCode code, const GlColour& c)
{
    commands.insert(commands.end(), {static_cast<float>(code), unit(c.r), unit(c.g), unit(c.b)});
}

} // namespace

const DrawList& currentDrawList()
{
    const GlModel& gl = glModel();
    commands.clear();
    if (gl.cleared) {
        start(clearCode, gl.clearColour);
    }
    std::size_t glyph = gl.frameGlyph;
    long openLines = -1; // the last lines command while nothing came after it
    for (std::size_t s = gl.frameShape; s <= gl.shapes.size(); ++s) {
        for (; glyph < gl.glyphs.size() && gl.glyphs[glyph].after == s; ++glyph) {
            const GlGlyph& g = gl.glyphs[glyph];
            start(glyphCode, g.colour);
            commands.insert(commands.end(), {g.x, g.y, static_cast<float>(g.character)});
            openLines = -1;
        }
        if (s == gl.shapes.size()) {
            break;
        }
        const GlPrimitive& p = gl.shapes[s];
        const float* xy = gl.window.data() + 2 * p.first;
        if (p.mode == GL_LINES && p.count >= 2) {
            const std::size_t n = p.count / 2;
            const std::size_t o = static_cast<std::size_t>(openLines);
            if (openLines < 0 || commands[o + 1] != unit(p.colour.r) ||
                commands[o + 2] != unit(p.colour.g) || commands[o + 3] != unit(p.colour.b) ||
                commands[o + 4] != p.lineWidth) {
                openLines = static_cast<long>(commands.size());
                start(linesCode, p.colour);
                commands.insert(commands.end(), {p.lineWidth, 0.0f});
            }
            commands[static_cast<std::size_t>(openLines) + 5] += static_cast<float>(n);
            commands.insert(commands.end(), xy, xy + 4 * n);
        } else if (p.mode == GL_POLYGON && p.count >= 3) {
            start(polygonCode, p.colour);
            commands.push_back(static_cast<float>(p.count));
            commands.insert(commands.end(), xy, xy + 2 * p.count);
            openLines = -1;
        }
    }
    return commands;
}

void setDrawWindowHeight(int height)
{
    setGlWindowHeight(height);
    // The page reads the frame's shapes only; a log of every call would grow.
    setGlLogging(false);
}
