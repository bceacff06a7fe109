// The window on the web page: an 800 x 800 canvas that the page draws each
// frame's command list on, keys and redraws handed in by the page, timers
// run by the page's setTimeout.
#include <GL/glut.h>

#include <emscripten.h>

#include "platform/platform.h"
#include "platform/web/draw_list.h"

namespace
{

// Timers waiting at once; the program keeps at most one running.
constexpr int timerSlots = 8;

// Set when the window opens; every call from the page goes to them.
WindowCallbacks windowCallbacks = {};
bool windowOpen = false;

struct Timer {
    void (*tick)(int value);
    int value;
};
Timer timers[timerSlots] = {};

} // namespace

// The page's side of the window (platform/web/program.js).
EM_JS(void, webOpenWindow, (int width, int height, const char* title),
      { Module.fvOpenWindow(width, height, UTF8ToString(title)); });
EM_JS(void, webPresent, (const float* commands, int count),
      { Module.fvPresent(HEAPF32.subarray(commands >> 2, (commands >> 2) + count)); });
EM_JS(void, webRequestFrame, (), { Module.fvRequestFrame(); });
EM_JS(void, webStartTimer, (unsigned milliseconds, int slot),
      { Module.fvStartTimer(milliseconds, slot); });

// Make ready to leave main by emscripten_exit_with_live_runtime(). When an
// answer of the console dialog resumed main (Asyncify), the runtime's
// rewinding code catches the 'unwind' that leaving throws and throws it again
// from a promise callback, where nothing catches it and browsers log it as an
// error; handlers for that promise take it instead. (Called from the runtime's
// own callMain, main needs none: callMain catches the 'unwind' itself.)
EM_JS(void, webPrepareLeavingMain, (), {
    if (calledMain) {
        const ignore = function(){};
        Asyncify.asyncPromiseHandlers = {resolve : ignore, reject : ignore};
    }
});

// Draw one frame; the page calls it for a redraw it was asked for.
extern "C" EMSCRIPTEN_KEEPALIVE void webDisplay()
{
    if (windowOpen) {
        windowCallbacks.display();
    }
}

// A key typed on the canvas; it may run the console dialog, so the page
// calls it as an asynchronous export.
extern "C" EMSCRIPTEN_KEEPALIVE void webKey(int key)
{
    if (windowOpen) {
        windowCallbacks.keyboard(static_cast<unsigned char>(key), 0, 0);
    }
}

// The answers that start the run on show again, for the page's Copy link;
// empty before the window opens.
extern "C" EMSCRIPTEN_KEEPALIVE const char* webRestartAnswers()
{
    return windowOpen && windowCallbacks.restartAnswers != nullptr
               ? windowCallbacks.restartAnswers()
               : "";
}

// A timer of slot has run out.
extern "C" EMSCRIPTEN_KEEPALIVE void webTimer(int slot)
{
    const Timer timer = timers[slot];
    timers[slot].tick = nullptr;
    if (timer.tick != nullptr) {
        timer.tick(timer.value);
    }
}

void platformRunWindow(int* /*argc*/, char** /*argv*/, int width, int height, const char* title,
                       const WindowCallbacks& callbacks)
{
    setDrawWindowHeight(height);
    webOpenWindow(width, height, title);
    windowCallbacks = callbacks;
    windowOpen = true;
    callbacks.afterCreate();
    // GLUT reshapes and then draws a window when it is first shown.
    callbacks.reshape(width, height);
    webRequestFrame();
    // The page's events drive the program from here on.
    webPrepareLeavingMain();
    emscripten_exit_with_live_runtime();
}

void platformRequestRedraw()
{
    webRequestFrame();
}

void platformStartTimer(unsigned milliseconds, void (*tick)(int value), int value)
{
    for (int slot = 0; slot < timerSlots; slot++) {
        if (timers[slot].tick == nullptr) {
            timers[slot] = {tick, value};
            webStartTimer(milliseconds, slot);
            return;
        }
    }
}

void platformPrepareFrames()
{
    // The browser's allocator needs no setting for the frames.
}

double platformSeconds()
{
    return emscripten_get_now() / 1000.0;
}

void platformDiscardWindowKeys()
{
    // The page drops the keys pressed on the canvas while a dialog runs, so
    // none are left waiting.
}

bool platformWindowCanOpen(int /*argc*/, char** /*argv*/)
{
    // The canvas is always there.
    return true;
}

extern "C" {

void glutSwapBuffers(void)
{
    const DrawList& frame = currentDrawList();
    webPresent(frame.data(), static_cast<int>(frame.size()));
}

} // extern "C"
