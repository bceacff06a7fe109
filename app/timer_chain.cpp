// Chains of timer ticks over the platform's one-shot timers.
#include "app/timer_chain.h"

#include <climits>

#include "platform/platform.h"

namespace
{

// The chains of the program (play and the sweep), and room to spare. A
// timer's value names its chain's slot and generation.
constexpr int maxChains = 4;
TimerChain* chains[maxChains];

int slotOf(TimerChain* chain)
{
    int slot = 0;
    while (chains[slot] != nullptr && chains[slot] != chain) {
        slot++; // the program has two chains, well within maxChains
    }
    chains[slot] = chain;
    return slot;
}

void fire(int value)
{
    TimerChain* chain = chains[value % maxChains];
    if (chain->running && value / maxChains == chain->generation) {
        chain->tick();
    }
}

} // namespace

void timerChainStart(TimerChain* chain, unsigned milliseconds)
{
    chain->generation = (chain->generation + 1) % (INT_MAX / maxChains);
    chain->running = true;
    timerChainNext(chain, milliseconds);
}

void timerChainNext(TimerChain* chain, unsigned milliseconds)
{
    platformStartTimer(milliseconds, fire, chain->generation * maxChains + slotOf(chain));
}

void timerChainStop(TimerChain* chain)
{
    chain->running = false;
}
