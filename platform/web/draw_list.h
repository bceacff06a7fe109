// One frame as a flat list of drawing commands for the page's 2-D canvas,
// made from the shapes and glyphs of the OpenGL model
// (platform/gl_model/gl_model.h).
//
// Every command is a run of floats: its code, its colour (red, green, blue,
// 0 to 1), then its own data; coordinates are window pixels (y downwards).
//   clear:   code 0, colour
//   lines:   code 1, colour, width, n, then n segments x0 y0 x1 y1
//   polygon: code 2, colour, n, then n vertices x y
//   glyph:   code 3, colour, x, y, character code
// Lines of the same colour and width that follow each other are gathered
// into one command, so the page strokes them as one path.
#pragma once

#include <vector>

// The one list of command codes: the build turns it into the page's
// draw-codes.js (draw_codes.cmake), so keep it one line of NAMECode = N.
enum DrawCode { clearCode = 0, linesCode = 1, polygonCode = 2, glyphCode = 3 };

// One frame's commands, as the page receives them.
using DrawList = std::vector<float>;

// The commands of the frame drawn since the window was last cleared.
const DrawList& currentDrawList();

// Tell the model the window's height, for its y flip, and keep no calls.
void setDrawWindowHeight(int height);
