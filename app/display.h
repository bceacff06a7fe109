// The display frame: one slice of simulation, then the whole picture.
#pragma once

// One slice of simulation: stepsPerFrame steps of dt, the newest history
// sample, and the frame's row of the motion CSV.
void advanceFrame();

// Draw the present moment, the chart too when the last key asks for it,
// without moving the motion.
void drawFrame();

// GLUT display callback, advanceFrame then drawFrame; the keyboard also
// calls it directly.
void display();

// Draw the frequency chart's curves as display draws them: the nine
// tabulated zetas in colour, amplitude above the axis and phase below, then
// the entered zeta in black. (The real-frame benchmark draws them alone.)
void drawFrequencyCurves();

// True when the frame draws the frequency chart: after the keys f, w, x, X,
// y and Y, until another key.
bool chartRequested();
