// A platform with no window and no terminal, for tests that run the frame and
// the keys against the OpenGL model: nothing is queued anywhere, and a
// swap of buffers is only noted.
#include <cstdio>
#include <cstdlib>

#include "platform/gl_model/gl_model.h"
#include "platform/platform.h"

extern "C" void glutSwapBuffers(void)
{
    noteGlCall("glutSwapBuffers");
}

void platformRunWindow(int*, char**, int, int, const char*, const WindowCallbacks&)
{
    std::fputs("no window on the null platform\n", stderr);
    std::exit(1);
}

bool (*const platformReadLine)(std::string*) = nullptr;

bool platformKeysArriveAlone()
{
    return false;
}

int platformReadKey()
{
    return EOF;
}

void platformDiscardTypedAhead() {}

void platformDiscardWindowKeys() {}

bool platformWindowCanOpen(int, char**)
{
    return false;
}
