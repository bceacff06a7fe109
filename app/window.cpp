// The one graphics window of the program.
#include "app/window.h"

#include "app/display.h"
#include "app/frame.h"
#include "app/keyboard.h"
#include "app/window_title.h"

#include <GL/glut.h>

#include <cstdlib>

namespace
{

// Initial size of the window, pixels; the window system chooses its place.
constexpr int windowWidth = 800;
constexpr int windowHeight = 800;

// The window title, UTF-8; the gap after the first word is an ideographic
// space (U+3000), every other gap an ASCII space.
constexpr const char* windowTitle =
    "1DOF強制振動　m:ばねマス g:強制力 j:初期条件 変更, f:周波数特性描画";

} // namespace

// Open the window, register the three callbacks and hand control to GLUT.
void initWindow(int* argc, char** argv)
{
    // The size must be known before glutInit reads -geometry from argv.
    glutInitWindowSize(windowWidth, windowHeight);
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow(windowTitle);
    // GLUT hands the title over as Latin-1; give it again in a form that
    // window managers decode as the Japanese text.
    setWindowTitle(windowTitle);

    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutKeyboardFunc(keyboard);

    // The window's context is current now, so the clear colour sticks to it.
    initGL();
    glutMainLoop();
    // glutMainLoop is not declared noreturn; should it come back, end the
    // process as GLUT itself does when the window is closed.
    std::exit(0);
}
