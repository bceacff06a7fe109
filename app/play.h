// Continuous motion (--play): a clock draws one frame every 40 ms, so the
// motion runs at its true speed; the space bar pauses and resumes it.
//
// The clock only asks for redraws (platformRequestRedraw): the frames it
// causes go through the display callback like a repaint, so they never
// change lastKey. Every frame is still one 0.04 s slice; a machine too slow
// for 25 frames a second shows the motion slower than real time, and no
// burst of frames catches up later. The desktop and the web page call the
// same functions.
#pragma once

#include "model/state.h"

// Wall time between the frames the clock asks for, milliseconds: one slice
// of frameTime (0.04 s) of simulated time, so that the motion runs at its
// true speed.
constexpr unsigned playFramePeriodMs = static_cast<unsigned>(frameTime * 1000.0 + 0.5);

// Say that this run plays: the space bar then pauses and resumes, and the
// window starts the clock once it exists. Without it no timer is ever set.
void playEnable();

// True once playEnable has been called.
bool playEnabled();

// Start (or resume) the clock: the next frame comes one period from now.
void playStart();

// Stop the clock; the picture stays as it is.
void playPause();

// Pause when playing, resume when paused.
void playToggle();

// True while the clock draws frames.
bool playIsPlaying();

// Stop the clock for a console dialog, which blocks the event loop; it
// would otherwise come back late and owe frames.
void playHoldForDialog();

// Start the clock again after the dialog if it ran before it, counting
// from now: the new run's first frame comes one period later.
void playReleaseAfterDialog();
