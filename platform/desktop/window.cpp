// The window on the desktop: freeglut on X11.
#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>

#include "platform/desktop/window_title.h"
#include "platform/platform.h"

// The connection the start-up check opened, kept until GLUT has its own: an
// X server whose last client leaves resets itself (unless started with
// -noreset), and a connection opened just then is refused.
static Display* startConnection = nullptr;

// The program's exit status when its window is closed; null: 0.
static int (*closeStatus)() = nullptr;

// The program's pointer and arrow keys; null where it takes none.
static void (*pointerPress)(int x, int y) = nullptr;
static void (*pointerDrag)(int x, int y) = nullptr;
static void (*arrowKey)(int dx, int dy) = nullptr;
// The left button is held down in the window.
static bool leftHeld = false;

// The left button is the pointer; the others and the wheel (buttons 3 and 4
// to freeglut) do nothing.
static void mouseButton(int button, int state, int x, int y)
{
    if (button != GLUT_LEFT_BUTTON) {
        return;
    }
    leftHeld = state == GLUT_DOWN;
    if (leftHeld) {
        pointerPress(x, y);
    }
}

// GLUT calls it while any button is held; a drag is the left one's.
static void mouseMoved(int x, int y)
{
    if (leftHeld) {
        pointerDrag(x, y);
    }
}

// GLUT's special keys: the arrows move; the function keys and the rest do nothing.
static void specialKey(int key, int /*x*/, int /*y*/)
{
    switch (key) {
    case GLUT_KEY_LEFT:
        arrowKey(-1, 0);
        break;
    case GLUT_KEY_RIGHT:
        arrowKey(1, 0);
        break;
    case GLUT_KEY_UP:
        arrowKey(0, 1);
        break;
    case GLUT_KEY_DOWN:
        arrowKey(0, -1);
        break;
    default:
        break;
    }
}

// End the process as the window closes.
[[noreturn]] static void endOnClose()
{
    std::exit(closeStatus != nullptr ? closeStatus() : 0);
}

void platformRunWindow(int* argc, char** argv, int width, int height, const char* title,
                       const WindowCallbacks& callbacks)
{
    // The size must be known before glutInit reads -geometry from argv.
    glutInitWindowSize(width, height);
    glutInit(argc, argv);
    // GLUT's own connection is open now.
    if (startConnection != nullptr) {
        XCloseDisplay(startConnection);
        startConnection = nullptr;
    }
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow(title);
    // GLUT hands the title over as Latin-1; give it again in a form that
    // window managers decode as the Japanese text.
    setWindowTitle(title);

    glutDisplayFunc(callbacks.display);
    glutReshapeFunc(callbacks.reshape);
    glutKeyboardFunc(callbacks.keyboard);
    if (callbacks.pointerPress != nullptr && callbacks.pointerDrag != nullptr) {
        pointerPress = callbacks.pointerPress;
        pointerDrag = callbacks.pointerDrag;
        glutMouseFunc(mouseButton);
        glutMotionFunc(mouseMoved);
    }
    if (callbacks.arrowKey != nullptr) {
        arrowKey = callbacks.arrowKey;
        glutSpecialFunc(specialKey);
    }

    // GLUT ends the process with status 0 once the window is closed; the
    // program ends it first, with its own.
    closeStatus = callbacks.closeStatus;
    glutCloseFunc(endOnClose);
    // callbacks.snapshot goes unused: the window and the terminal show
    // everything themselves.

    callbacks.afterCreate();
    glutMainLoop();
    // glutMainLoop is not declared noreturn; should it come back, end the
    // process as a closed window does.
    endOnClose();
}

void platformRequestRedraw()
{
    glutPostRedisplay();
}

void platformStartTimer(unsigned milliseconds, void (*tick)(int value), int value)
{
    glutTimerFunc(milliseconds, tick, value);
}

void platformDiscardWindowKeys()
{
    // Only a window that exists has keys waiting; GLUT reads its events
    // from the connection of the window's own context.
    Display* display = glXGetCurrentDisplay();
    if (glutGetWindow() == 0 || display == nullptr) {
        return;
    }
    // Fetch every event the server has queued, then drop the keys among them.
    XSync(display, False);
    XEvent event;
    while (XCheckMaskEvent(display, KeyPressMask | KeyReleaseMask, &event)) {
    }
}

bool platformWindowCanOpen(int argc, char** argv)
{
    // The display GLUT will open: its -display option, else $DISPLAY.
    const char* name = nullptr;
    for (int i = 1; i + 1 < argc; i++) {
        if (std::strcmp(argv[i], "-display") == 0) {
            name = argv[i + 1];
        }
    }
    if (startConnection != nullptr) {
        XCloseDisplay(startConnection);
    }
    startConnection = XOpenDisplay(name);
    return startConnection != nullptr;
}
