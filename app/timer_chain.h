// Chains of timer ticks, each tick setting the next: the clock of continuous
// motion and the sweep's slices. Starting a chain ends the one before it and
// stopping ends it; a tick of an ended chain that is still pending does
// nothing when it fires, so that two chains never run side by side.
#pragma once

// One chain; plain data that its owner keeps.
struct TimerChain {
    void (*tick)(); // one tick; it calls timerChainNext to go on
    int generation; // the present chain; pending ticks of older ones are ignored
    bool running;   // started and not stopped since
};

// End the chain under way, if any, and start a new one: its first tick
// comes milliseconds from now.
void timerChainStart(TimerChain* chain, unsigned milliseconds);

// From a tick: the chain's next tick, milliseconds from now.
void timerChainNext(TimerChain* chain, unsigned milliseconds);

// End the chain; a tick still pending does nothing.
void timerChainStop(TimerChain* chain);
