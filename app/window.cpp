// The one graphics window of the program.
#include "app/window.h"

#include "app/csv_export.h"
#include "app/display.h"
#include "app/frame.h"
#include "app/keyboard.h"
#include "app/play.h"
#include "app/pointer.h"
#include "app/readout.h"
#include "app/snapshot.h"
#include "app/sweep_run.h"
#include "platform/platform.h"

namespace
{

// Initial size of the window, pixels; the window system chooses its place.
constexpr int windowWidth = 800;
constexpr int windowHeight = 800;

// The window title, UTF-8; the gap after the first word is an ideographic
// space (U+3000), every other gap an ASCII space.
constexpr const char* windowTitle =
    "1DOF強制振動　m:ばねマス g:強制力 j:初期条件 変更, f:周波数特性描画";

// Once the window's context exists: the clear colour, and the clock of
// continuous motion if this run plays.
void afterWindowCreated()
{
    initGL();
    if (playEnabled()) {
        playStart();
    }
    sweepStartIfAsked();
}

// The window's new size: the view fills it, and the pointer's pixels are
// read against it.
void windowReshaped(int width, int height)
{
    reshape(width, height);
    readoutWindowSize(width, height);
}

// Frames of the motion as the display callback steps them, none drawn.
void advanceWithoutDrawing(int count)
{
    csvBeginFrameBatch();
    for (int i = 0; i < count; i++) {
        advanceFrame();
    }
    csvEndFrameBatch();
}

} // namespace

// Open the window, register its callbacks (display, reshape, keys, the
// window's creation, the exit status, the snapshot, the pointer, the arrow
// keys and a page's replay) and hand control to the event loop; the clear
// colour is set once the window's context exists.
void initWindow(int* argc, char** argv)
{
    const WindowCallbacks callbacks = {
        display,       windowReshaped,        keyboard,     afterWindowCreated,
        csvExitStatus, windowSnapshot,        pointerPress, pointerDrag,
        arrowKey,      advanceWithoutDrawing, drawFrame,    playPause};
    // Every frame may be a chart frame, a key or the clock's.
    platformPrepareFrames();
    platformRunWindow(argc, argv, windowWidth, windowHeight, windowTitle, callbacks);
}
