// The display frame: one slice of simulation, then the whole picture.
#pragma once

// GLUT display callback; the keyboard also calls it directly.
void display();

// Draw the frequency chart's curves as display draws them: the nine
// tabulated zetas in colour, amplitude above the axis and phase below, then
// the entered zeta in black. (The real-frame benchmark draws them alone.)
void drawFrequencyCurves();

// True when the frame draws the frequency chart: after the keys f, w, x, X,
// y and Y, until another key.
bool chartRequested();
