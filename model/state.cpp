// The process-wide variables themselves.
#include "model/state.h"

#include "model/specimen_state.h"

const double zetaTable[zetaTableSize] = {0, 0.02, 0.05, 0.1, 0.2, 0.7071, 1, 2, 5};

Parameters params;
Derived derived;
Tables tables;
Run run;
char lastKey;

void resetAllState()
{
    params = Parameters{};
    derived = Derived{};
    tables = Tables{};
    run = Run{};
    lastKey = 0;
    specimenState = SpecimenState{};
}
