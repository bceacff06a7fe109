// The display frame: one slice of simulation, then the whole picture.
#pragma once

// GLUT display callback; the keyboard also calls it directly.
void display();
