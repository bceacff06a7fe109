// What a platform provides to the program above it: the window, its timer,
// and the console's input. platform/desktop/ implements it with GLUT, X11
// and a POSIX terminal; another platform implements the same functions in
// a folder of its own. Nothing above this header includes a platform's own.
#pragma once

#include <string>

// The callbacks the window calls; afterCreate runs once the window's
// OpenGL context is current, before the first frame; closeStatus gives the
// process's exit status when the user closes the window (null: 0).
struct WindowCallbacks {
    void (*display)();
    void (*reshape)(int width, int height);
    void (*keyboard)(unsigned char key, int x, int y);
    void (*afterCreate)();
    int (*closeStatus)();
    // What the program shows, as data (app/snapshot.h), for a page that
    // presents it in controls of its own; the web platform hands it on
    // whenever it changes, the desktop needs none. None where it is null.
    const char* (*snapshot)() = nullptr;
    // The pointer (the mouse's left button, a finger or a pen) pressed at
    // window pixel (x, y) from the top left, and moved there while pressed;
    // an arrow key, dx and dy -1, 0 or 1 with dy = 1 up. None where null.
    void (*pointerPress)(int x, int y) = nullptr;
    void (*pointerDrag)(int x, int y) = nullptr;
    void (*arrowKey)(int dx, int dy) = nullptr;
    // A page bringing back a run it kept, by handing the program again what
    // it was handed: count display frames advanced without drawing any, the
    // present moment drawn once at the end, and the motion paused. None
    // where null.
    void (*advanceFrames)(int count) = nullptr;
    void (*drawOnly)() = nullptr;
    void (*pausePlay)() = nullptr;
};

// Open the window with the UTF-8 title, hand the callbacks to it and run the
// event loop; never returns. argc and argv may lose the options the window
// system takes for itself.
[[noreturn]] void platformRunWindow(int* argc, char** argv, int width, int height,
                                    const char* title, const WindowCallbacks& callbacks);

// Ask for one more display call as soon as the event loop is free.
void platformRequestRedraw();

// Call tick(value) once, after at least milliseconds have passed.
void platformStartTimer(unsigned milliseconds, void (*tick)(int value), int value);

// Get the process ready for its frames, before the window opens. On the
// desktop: keep the memory the renderer frees after each frame instead of
// handing it back to the kernel, which would fault it in again, page by
// page, in the next frame (a chart frame's tens of MiB).
void platformPrepareFrames();

// Seconds on a clock that only moves forward (not the time of day), to pace
// frames by.
double platformSeconds();

// Where typed lines do not come on standard input (the web page's input
// line): append the next one to *line (its line feed included when it has
// one); false once the input has ended. Null where they are standard input,
// which the console reads itself.
extern bool (*const platformReadLine)(std::string* line);

// True when keys arrive one by one, without Enter (a terminal); false when
// the console's input is text from a pipe or a file.
bool platformKeysArriveAlone();

// Wait for one key press without echo or Enter; its character (a Unicode
// code point: a key of several bytes is read whole), or EOF once the input
// has ended.
int platformReadKey();

// Throw away what was typed into the console and not read yet.
void platformDiscardTypedAhead();

// Throw away the keys pressed in the window and not handled yet.
void platformDiscardWindowKeys();

// Whether the window can open (a display to open it on); the window system's
// own options in argv are read, not taken out. A connection it opens stays
// open until the window has its own, so that the display is never left
// without clients in between.
bool platformWindowCanOpen(int argc, char** argv);
