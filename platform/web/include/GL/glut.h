// The few GLUT calls the program makes, for the web build; see gl.h beside
// this file. platform/gl_model/gl_model.cpp and platform/web/window.cpp
// implement them.
#pragma once

#include <GL/gl.h>

#ifdef __cplusplus
extern "C" {
#endif

// The one bitmap font the program uses; its address is the font's handle.
extern void* glutBitmapHelvetica18;
#define GLUT_BITMAP_HELVETICA_18 ((void*)&glutBitmapHelvetica18)

void glutBitmapCharacter(void* font, int character);
int glutBitmapLength(void* font, const unsigned char* string);
void glutSwapBuffers(void);

#ifdef __cplusplus
}
#endif
