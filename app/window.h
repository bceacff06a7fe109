// The graphics window and the brackets of every frame.
#pragma once

// Open the 800 x 800 window, register the callbacks and run the event loop.
// Never returns.
[[noreturn]] void initWindow(int* argc, char** argv);

// Set the one piece of OpenGL state that is set once: the white clear colour.
void initGL();

// GLUT reshape callback: the whole window shows the -1..1 square.
void reshape(int width, int height);

// Clear the frame and reset the modelview matrix.
void beginFrame();

// Flush and show the frame.
void endFrame();
