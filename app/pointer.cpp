// The window's pointer and arrow keys.
#include "app/pointer.h"

#include "app/display.h"
#include "app/readout.h"

// Each draws the present moment again: a student measuring a paused motion
// must not move it, and one measuring a playing motion sees the next frame
// come from the clock as before.
void pointerPress(int x, int y)
{
    readoutPress(x, y, chartRequested());
    drawFrame();
}

void pointerDrag(int x, int y)
{
    readoutDrag(x, y, chartRequested());
    drawFrame();
}

void arrowKey(int dx, int dy)
{
    readoutNudge(dx, dy, chartRequested());
    drawFrame();
}
