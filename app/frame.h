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

// Draw a line of Helvetica 18 at raster position (x, y) on a white box that
// hides what was drawn under it: the grid and the curves would run through
// its digits.
void drawTextOnWhite(float x, float y, const char* text);
