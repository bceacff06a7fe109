// The console dialog: the only way values enter the program.
#pragma once

#include <string>

// Ask for what lastKey's entry point needs ('m' everything, 'g' the force,
// 'j' the initial condition), print the derived quantities and the key list,
// then reset the run. Ends the process with status 1 if the input ends.
// In a specimen (model/specimen_state.h) it names the specimen and asks for
// the force from 'm' and 'g' alike; it prints no derived quantity, and the
// steady-state start ('1') is refused.
void inputParameters();

// The derived quantities as the dialog prints them: the static deflection,
// then the steady amplitude, the amplitude ratio and the phase lag, two
// lines without a final line feed. In a specimen: the force alone, F and ωf.
std::string responseText();
