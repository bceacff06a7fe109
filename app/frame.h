// The brackets of every frame and the fixed view of the -1..1 square.
#pragma once

// Set the one piece of OpenGL state that is set once: the white clear colour.
void initGL();

// GLUT reshape callback: the whole window shows the -1..1 square.
void reshape(int width, int height);

// Clear the frame and reset the modelview matrix.
void beginFrame();

// Flush and show the frame.
void endFrame();
