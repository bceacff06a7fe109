// Continuous motion: the clock that asks for one frame every period.
#include "app/play.h"

#include <cmath>

#include "app/timer_chain.h"
#include "platform/platform.h"

namespace
{

// The frame period in seconds.
constexpr double framePeriod = frameTime;

// The clock's state; written only by the functions below, on the one thread.
struct Play {
    bool enabled;       // the run was started with --play
    bool heldByDialog;  // it played when a dialog stopped it
    TimerChain clock;   // running while the clock draws frames
    double nextFrameAt; // when the next frame is due, platformSeconds()
};

void tick();

Play play = {false, false, {tick, 0, false}, 0.0};

// The wait for the next frame, never less than a millisecond so that its
// timer cannot fire again in the same pass of the event loop.
unsigned msToNextFrame(double now)
{
    const double wait = play.nextFrameAt - now;
    // Less a nanosecond, so that the rounding of the subtraction cannot add a
    // whole millisecond.
    const double ms = std::ceil(wait * 1000.0 - 1e-6);
    return ms < 1.0 ? 1u : static_cast<unsigned>(ms);
}

// One tick: ask for a frame, then set the timer for the one after. The due
// times follow one another by exactly a period, so the timer's own lateness
// does not add up; but a frame that is later than its successor's due time
// drops the debt, so a slow machine never draws a burst to catch up.
void tick()
{
    platformRequestRedraw();
    const double now = platformSeconds();
    play.nextFrameAt += framePeriod;
    if (play.nextFrameAt < now) {
        play.nextFrameAt = now;
    }
    timerChainNext(&play.clock, msToNextFrame(now));
}

} // namespace

void playEnable()
{
    play.enabled = true;
}

bool playEnabled()
{
    return play.enabled;
}

void playStart()
{
    if (play.clock.running) {
        return;
    }
    const double now = platformSeconds();
    play.nextFrameAt = now + framePeriod;
    timerChainStart(&play.clock, msToNextFrame(now));
}

void playPause()
{
    timerChainStop(&play.clock);
}

void playToggle()
{
    if (play.clock.running) {
        playPause();
    } else {
        playStart();
    }
}

bool playIsPlaying()
{
    return play.clock.running;
}

void playHoldForDialog()
{
    play.heldByDialog = play.clock.running;
    playPause();
}

void playReleaseAfterDialog()
{
    if (play.heldByDialog) {
        play.heldByDialog = false;
        playStart();
    }
}
