// A stand-in for the platform's timer, redraw request and clock, so the
// clock of continuous motion can be run by hand in tests. It takes the place
// of tools/null_clock.cpp; the rest of the platform stays the null one.
#pragma once

#include <vector>

namespace fakePlatform
{

// One timer the code under test has set.
struct Timer {
    unsigned milliseconds;
    void (*tick)(int value);
    int value;
    double dueAt; // platformSeconds() when it fires
};

// The timers set and not yet fired, in the order they were set.
extern std::vector<Timer> timers;
// Redraws asked for since the last reset.
extern int redrawsRequested;
// What platformSeconds returns.
extern double now;

// Forget every timer and redraw; the clock back to 100 s.
void reset();

// Move the clock to the first pending timer's due time plus late seconds
// and fire it. False if none is pending.
bool fireNext(double late = 0);

} // namespace fakePlatform
