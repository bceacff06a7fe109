// Continuous motion: the clock that asks for one frame every period.
#include "app/play.h"

#include <cmath>

#include "platform/platform.h"

namespace
{

// The frame period in seconds.
constexpr double framePeriod = frameTime;

// The clock's state; written only by the functions below, on the one thread.
struct Play {
    bool enabled;       // the run was started with --play
    bool playing;       // the clock draws frames
    bool heldByDialog;  // it played when a dialog stopped it
    int chain;          // the timer chain that is current; older ticks are ignored
    double nextFrameAt; // when the next frame is due, platformSeconds()
};

Play play;

void tick(int chain);

// Set the timer for the next frame, never less than a millisecond away so
// that it cannot fire again in the same pass of the event loop.
void scheduleNextFrame(double now)
{
    const double wait = play.nextFrameAt - now;
    // Less a nanosecond, so that the rounding of the subtraction cannot add a
    // whole millisecond.
    const double ms = std::ceil(wait * 1000.0 - 1e-6);
    platformStartTimer(ms < 1.0 ? 1u : static_cast<unsigned>(ms), tick, play.chain);
}

// One tick: ask for a frame, then set the timer for the one after. The due
// times follow one another by exactly a period, so the timer's own lateness
// does not add up; but a frame that is later than its successor's due time
// drops the debt, so a slow machine never draws a burst to catch up.
void tick(int chain)
{
    // A pause, a dialog or a new start has ended this chain.
    if (chain != play.chain || !play.playing) {
        return;
    }
    platformRequestRedraw();
    const double now = platformSeconds();
    play.nextFrameAt += framePeriod;
    if (play.nextFrameAt < now) {
        play.nextFrameAt = now;
    }
    scheduleNextFrame(now);
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
    if (play.playing) {
        return;
    }
    play.playing = true;
    // A tick of an earlier chain may still be pending; it must not start a
    // second chain beside this one.
    play.chain++;
    const double now = platformSeconds();
    play.nextFrameAt = now + framePeriod;
    scheduleNextFrame(now);
}

void playPause()
{
    play.playing = false;
}

void playToggle()
{
    if (play.playing) {
        playPause();
    } else {
        playStart();
    }
}

bool playIsPlaying()
{
    return play.playing;
}

void playHoldForDialog()
{
    play.heldByDialog = play.playing;
    playPause();
}

void playReleaseAfterDialog()
{
    if (play.heldByDialog) {
        play.heldByDialog = false;
        playStart();
    }
}
