// The window on the desktop: freeglut on X11.
#include <GL/glut.h>

#include <cstdlib>

#include "platform/desktop/window_title.h"
#include "platform/platform.h"

void platformRunWindow(int* argc, char** argv, int width, int height, const char* title,
                       const WindowCallbacks& callbacks)
{
    // The size must be known before glutInit reads -geometry from argv.
    glutInitWindowSize(width, height);
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow(title);
    // GLUT hands the title over as Latin-1; give it again in a form that
    // window managers decode as the Japanese text.
    setWindowTitle(title);

    glutDisplayFunc(callbacks.display);
    glutReshapeFunc(callbacks.reshape);
    glutKeyboardFunc(callbacks.keyboard);

    callbacks.afterCreate();
    glutMainLoop();
    // glutMainLoop is not declared noreturn; should it come back, end the
    // process as GLUT itself does when the window is closed.
    std::exit(0);
}

void platformRequestRedraw()
{
    glutPostRedisplay();
}

void platformStartTimer(unsigned milliseconds, void (*tick)(int value), int value)
{
    glutTimerFunc(milliseconds, tick, value);
}
