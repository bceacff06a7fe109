// The window on the web page: an 800 x 800 canvas that the page draws each
// frame's command list on, keys and redraws handed in by the page, timers
// run by the page's setTimeout.
#include <GL/glut.h>

#include <emscripten.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/web/draw_list.h"

namespace
{

// Set when the window opens; every call from the page goes to them.
WindowCallbacks windowCallbacks = {};
bool windowOpen = false;

// The timers set and not yet run out, by slot; a slot whose tick is null is
// free again. As many as the program sets at once.
struct Timer {
    void (*tick)(int value);
    int value;
};
std::vector<Timer> timers;

// The snapshot the page was handed last.
std::string snapshotHanded;

} // namespace

// The page's side of the window (platform/web/program.js).
EM_JS(void, webOpenWindow, (int width, int height, const char* title),
      { Module.fvOpenWindow(width, height, UTF8ToString(title)); });
EM_JS(void, webPresent, (const float* commands, int count),
      { Module.fvPresent(HEAPF32.subarray(commands >> 2, (commands >> 2) + count)); });
EM_JS(void, webRequestFrame, (), { Module.fvRequestFrame(); });
EM_JS(void, webStartTimer, (unsigned milliseconds, int slot, int value),
      { Module.fvStartTimer(milliseconds, slot, value); });
EM_JS(void, webSnapshot, (const char* json), { Module.fvSnapshot(UTF8ToString(json)); });

// Hand the page the program's snapshot if it changed; after every call from
// the page that may have changed it.
static void handSnapshot()
{
    if (windowCallbacks.snapshot == nullptr) {
        return;
    }
    const char* snapshot = windowCallbacks.snapshot();
    if (snapshotHanded != snapshot) {
        snapshotHanded = snapshot;
        webSnapshot(snapshot);
    }
}

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
        handSnapshot();
    }
}

// A key typed on the canvas; it may run the console dialog, so the page
// calls it as an asynchronous export.
extern "C" EMSCRIPTEN_KEEPALIVE void webKey(int key)
{
    if (windowOpen) {
        windowCallbacks.keyboard(static_cast<unsigned char>(key), 0, 0);
        handSnapshot();
    }
}

// The pointer pressed on the canvas at window pixel (x, y), or dragged
// there (drag: nonzero); the page hands in at most one drag a frame.
extern "C" EMSCRIPTEN_KEEPALIVE void webPointer(int x, int y, int drag)
{
    if (!windowOpen || windowCallbacks.pointerPress == nullptr) {
        return;
    }
    if (drag != 0) {
        windowCallbacks.pointerDrag(x, y);
    } else {
        windowCallbacks.pointerPress(x, y);
    }
    handSnapshot();
}

// An arrow key typed on the canvas: dx, dy -1, 0 or 1, dy = 1 up.
extern "C" EMSCRIPTEN_KEEPALIVE void webArrowKey(int dx, int dy)
{
    if (windowOpen && windowCallbacks.arrowKey != nullptr) {
        windowCallbacks.arrowKey(dx, dy);
        handSnapshot();
    }
}

// A page bringing back a run: count frames advanced without drawing.
extern "C" EMSCRIPTEN_KEEPALIVE void webAdvance(int count)
{
    if (windowOpen && windowCallbacks.advanceFrames != nullptr) {
        windowCallbacks.advanceFrames(count);
        handSnapshot();
    }
}

// The present moment drawn, once a replay is over.
extern "C" EMSCRIPTEN_KEEPALIVE void webDrawOnly()
{
    if (windowOpen && windowCallbacks.drawOnly != nullptr) {
        windowCallbacks.drawOnly();
        handSnapshot();
    }
}

// The motion paused: a run brought back is shown still.
extern "C" EMSCRIPTEN_KEEPALIVE void webPause()
{
    if (windowOpen && windowCallbacks.pausePlay != nullptr) {
        windowCallbacks.pausePlay();
        handSnapshot();
    }
}

// A timer of slot has run out.
extern "C" EMSCRIPTEN_KEEPALIVE void webTimer(int slot)
{
    const Timer timer = timers[static_cast<std::size_t>(slot)];
    timers[static_cast<std::size_t>(slot)].tick = nullptr;
    if (timer.tick != nullptr) {
        timer.tick(timer.value);
        handSnapshot();
    }
}

void platformRunWindow(int* /*argc*/, char** /*argv*/, int width, int height, const char* title,
                       const WindowCallbacks& callbacks)
{
    setDrawWindowHeight(height);
    windowCallbacks = callbacks;
    windowOpen = true;
    callbacks.afterCreate();
    // GLUT reshapes and then draws a window when it is first shown.
    callbacks.reshape(width, height);
    // The page has the snapshot (its motion playing) when the window opens.
    handSnapshot();
    webOpenWindow(width, height, title);
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
    std::size_t slot = 0;
    while (slot < timers.size() && timers[slot].tick != nullptr) {
        slot++;
    }
    if (slot == timers.size()) {
        timers.push_back({});
    }
    timers[slot] = {tick, value};
    // The value names the timer to a page that replays the run: the same
    // calls set the same values.
    webStartTimer(milliseconds, static_cast<int>(slot), value);
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
