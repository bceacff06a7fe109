// The process's own GLUT window on a private Xvfb.
#include "tools/glut_window.h"

#include <GL/freeglut.h>
#include <GL/glx.h>

#include <string>

namespace glutwindow
{

xvfb::Window open(const xvfb::Server& server, const char* title, const WindowCallbacks& callbacks,
                  int width, int height)
{
    // GLUT reads the server from its command line, as the program lets it;
    // the arguments outlive the call, as a real argv would.
    static std::string displayName;
    displayName = server.display();
    static char program[] = "glut_window";
    static char option[] = "-display";
    char* argv[] = {program, option, displayName.data(), nullptr};
    int argc = 3;

    glutInitWindowSize(width, height);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow(title);
    glutDisplayFunc(callbacks.display);
    glutReshapeFunc(callbacks.reshape);
    if (callbacks.keyboard != nullptr)
        glutKeyboardFunc(callbacks.keyboard);
    callbacks.afterCreate();
    return glXGetCurrentDrawable();
}

bool pumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    return xvfb::waitFor(
        [&] {
            glutMainLoopEvent();
            return condition();
        },
        timeout, std::chrono::milliseconds(5));
}

bool showAtCorner(xvfb::Display* display, xvfb::Window window, std::chrono::milliseconds timeout)
{
    if (!pumpUntil([&] { return xvfb::isViewable(display, window); }, timeout))
        return false;
    xvfb::moveWindow(display, window, 0, 0);
    return true;
}

} // namespace glutwindow
