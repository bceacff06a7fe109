// The stand-in platform of tests/fake_platform.h.
#include "tests/fake_platform.h"

#include "platform/platform.h"

namespace fakePlatform
{

std::vector<Timer> timers;
int redrawsRequested = 0;
double now = 100.0;
// When each pending timer is due.
static std::vector<double> dueAt;

void reset()
{
    timers.clear();
    dueAt.clear();
    redrawsRequested = 0;
    now = 100.0;
}

bool fireNext(double late)
{
    if (timers.empty()) {
        return false;
    }
    const Timer timer = timers.front();
    now = dueAt.front() + late;
    timers.erase(timers.begin());
    dueAt.erase(dueAt.begin());
    timer.tick(timer.value);
    return true;
}

} // namespace fakePlatform

void platformStartTimer(unsigned milliseconds, void (*tick)(int value), int value)
{
    fakePlatform::timers.push_back({milliseconds, tick, value});
    fakePlatform::dueAt.push_back(fakePlatform::now + milliseconds / 1000.0);
}

void platformRequestRedraw()
{
    fakePlatform::redrawsRequested++;
}

double platformSeconds()
{
    return fakePlatform::now;
}

void platformPrepareContinuousFrames() {}
