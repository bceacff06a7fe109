// The OpenGL 1.x subset the drawing library and the frame call, for the web
// build: platform/gl_model/gl_model.cpp implements it as a model whose shapes
// the page draws on a 2-D canvas. This folder is
// put in front of the system's headers, so the program's own code includes
// <GL/gl.h> unchanged.
#pragma once

typedef unsigned int GLenum;
typedef unsigned int GLbitfield;
typedef int GLint;
typedef int GLsizei;
typedef float GLfloat;
typedef float GLclampf;
typedef double GLdouble;

// Values as <GL/gl.h> defines them.
#define GL_LINES 0x0001
#define GL_POLYGON 0x0009
#define GL_LIGHTING 0x0B50
#define GL_MODELVIEW 0x1700
#define GL_PROJECTION 0x1701
#define GL_CURRENT_BIT 0x00000001
#define GL_DEPTH_BUFFER_BIT 0x00000100
#define GL_COLOR_BUFFER_BIT 0x00004000

#ifdef __cplusplus
extern "C" {
#endif

void glBegin(GLenum mode);
void glEnd(void);
void glVertex2d(GLdouble x, GLdouble y);
void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
void glEnable(GLenum cap);
void glDisable(GLenum cap);
void glLineWidth(GLfloat width);
void glPushMatrix(void);
void glPopMatrix(void);
void glTranslated(GLdouble x, GLdouble y, GLdouble z);
void glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z);
void glLoadIdentity(void);
void glMatrixMode(GLenum mode);
void glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void glRasterPos2f(GLfloat x, GLfloat y);
void glPushAttrib(GLbitfield mask);
void glPopAttrib(void);
void glFlush(void);
void glClear(GLbitfield mask);
void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha);

#ifdef __cplusplus
}
#endif
