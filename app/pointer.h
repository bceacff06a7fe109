// The window's pointer and arrow keys: they place the readout's crosshair
// (app/readout.h) and draw the picture again without moving the motion.
#pragma once

// A press of the mouse's button, a finger or a pen at window pixel (x, y)
// from the top left.
void pointerPress(int x, int y);

// The pointer moved to (x, y) while pressed.
void pointerDrag(int x, int y);

// An arrow key: dx, dy -1, 0 or 1; dy = 1 is up.
void arrowKey(int dx, int dy);
