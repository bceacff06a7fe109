// The display frame: one slice of simulation, then the whole picture.
#pragma once

// GLUT display callback; the keyboard also calls it directly.
void display();

// Draw the frequency chart's curves as display draws them: the nine
// tabulated zetas in colour, amplitude above the axis and phase below, then
// the entered zeta in black. (The real-frame benchmark draws them alone.)
void drawFrequencyCurves();
