// Handing the window title to the window system in its own encoding.
#pragma once

// Give the current GLUT window the UTF-8 title, so that window managers show
// the Japanese text rather than its bytes read as Latin-1.
void setWindowTitle(const char* utf8Title);
