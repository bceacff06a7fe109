// The clock of the null platform: no redraws, no timers, time standing still.
// Apart from tools/null_platform.cpp, so that a test can link a clock of its
// own (tests/fake_platform.h) and still take the rest from here.
#include "platform/platform.h"

void platformRequestRedraw() {}

void platformStartTimer(unsigned, void (*)(int), int) {}

double platformSeconds()
{
    return 0;
}

void platformPrepareFrames() {}
