// One frame as a flat list of drawing commands for the page's 2-D canvas.
//
// Every command is a run of floats: its code, its colour (red, green, blue,
// 0 to 1), then its own data; coordinates are canvas pixels (y downwards).
//   clear:   code 0, colour
//   lines:   code 1, colour, width, n, then n segments x0 y0 x1 y1
//   polygon: code 2, colour, n, then n vertices x y
//   glyph:   code 3, colour, x, y, character code
// Lines of the same colour and width that follow each other are gathered
// into one command, so the page strokes them as one path.
#pragma once

#include <cstddef>
#include <vector>

class DrawList
{
  public:
    // The one list of command codes: the build turns it into the page's
    // draw-codes.js (draw_codes.cmake), so keep it one line of NAMECode = N.
    enum Code { clearCode = 0, linesCode = 1, polygonCode = 2, glyphCode = 3 };

    // Forget every command.
    void clear();
    // Fill the whole window with a colour.
    void addClear(float r, float g, float b);
    // Segments from count floats (four per segment) in one width and colour.
    void addLines(float r, float g, float b, float width, const float* xy, std::size_t count);
    // A filled convex polygon from count floats (two per vertex).
    void addPolygon(float r, float g, float b, const float* xy, std::size_t count);
    // One glyph of the bitmap font with its origin at (x, y).
    void addGlyph(float r, float g, float b, float x, float y, int character);

    const float* data() const { return commands.data(); }
    std::size_t size() const { return commands.size(); }

  private:
    std::vector<float> commands;
    // Index of the last lines command while nothing else came after it, or -1.
    long openLines = -1;
};

// The frame being built (platform/web/gl.cpp).
DrawList& currentDrawList();

// Tell the OpenGL layer the window's height, for its y flip.
void setDrawWindowHeight(int height);
