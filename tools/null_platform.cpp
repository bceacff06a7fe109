// A platform with no window and no terminal, for tests that run the frame and
// the keys against the recording OpenGL stand-in: nothing is queued anywhere.
#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"

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
