// The key commands of the graphics window.
#pragma once

// GLUT keyboard callback; the mouse position is ignored.
void keyboard(unsigned char key, int x, int y);
