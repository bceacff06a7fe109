// The brackets of every frame and the fixed view of the -1..1 square.
#include "app/frame.h"

#include <GL/glut.h>

// Set the white, opaque clear colour; nothing changes it afterwards.
void initGL()
{
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
}

// Map the -1..1 square onto the whole window, stretched to its shape.
void reshape(int width, int height)
{
    glViewport(0, 0, width, height);
    // Identity projection: no orthographic or perspective set-up, so drawing
    // coordinates are clip coordinates.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // Leave the modelview matrix current for the frame's own reset.
    glMatrixMode(GL_MODELVIEW);
}

// Clear colour and depth, and reset the modelview matrix.
void beginFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
}

// Finish the frame drawn into the back buffer and show it.
void endFrame()
{
    glFlush();
    glutSwapBuffers();
}
