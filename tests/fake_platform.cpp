// The stand-in clock of tests/fake_platform.h.
#include "tests/fake_platform.h"

#include "platform/platform.h"

namespace fakePlatform
{

std::vector<Timer> timers;
int redrawsRequested = 0;
double now = 100.0;

void reset()
{
    timers.clear();
    redrawsRequested = 0;
    now = 100.0;
}

bool fireNext(double late)
{
    if (timers.empty()) {
        return false;
    }
    const Timer timer = timers.front();
    timers.erase(timers.begin());
    now = timer.dueAt + late;
    timer.tick(timer.value);
    return true;
}

} // namespace fakePlatform

void platformStartTimer(unsigned milliseconds, void (*tick)(int value), int value)
{
    fakePlatform::timers.push_back(
        {milliseconds, tick, value, fakePlatform::now + milliseconds / 1000.0});
}

void platformRequestRedraw()
{
    fakePlatform::redrawsRequested++;
}

double platformSeconds()
{
    return fakePlatform::now;
}

void platformPrepareFrames() {}
