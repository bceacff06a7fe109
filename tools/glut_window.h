// The process's own GLUT window on a private Xvfb, for tests and benchmarks
// that draw with the program's routines into a real window rather than run
// the whole program.
//
// GLUT can be initialised once per process: open the window once (a test
// suite's set-up, a benchmark's main) and keep it to the end.
#pragma once

#include "platform/platform.h"
#include "tools/xvfb.h"

#include <chrono>
#include <functional>

namespace glutwindow
{

// Open the window on server's display as the program's window start opens
// its own: width x height, RGBA, double-buffered, with a depth buffer,
// titled as given (GLUT's Latin-1 title only). The callbacks are registered
// (a null keyboard is left out) and afterCreate is run once the window's
// context is current. Returns the window, its context current.
xvfb::Window open(const xvfb::Server& server, const char* title, const WindowCallbacks& callbacks,
                  int width = xvfb::programWindowSize, int height = xvfb::programWindowSize);

// Let GLUT handle what the server has sent until condition holds (true) or
// timeout has passed (false); the condition is tried at least once.
bool pumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// Pump until the window is on show, then move it to the screen's top-left
// corner: GLUT asks for no position, and with no window manager the window
// sits at (-1, -1), partly off screen. False if it never came on show.
bool showAtCorner(xvfb::Display* display, xvfb::Window window, std::chrono::milliseconds timeout);

} // namespace glutwindow
