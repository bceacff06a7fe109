// One pass of the console dialog, as the window sees it.
#include "app/dialog_pass.h"

#include "app/csv_export.h"
#include "app/play.h"
#include "app/readout.h"
#include "app/sweep_run.h"
#include "app/view.h"
#include "console/console.h"
#include "console/dialog.h"
#include "model/state.h"
#include "platform/platform.h"

void runDialogPass()
{
    playHoldForDialog();
    sweepForget();
    readoutClear();
    inputParameters();
    resetView();
    csvBeginRun(derived.zeta, tables.freqStep, tables.freqPoints, tables.zetaCount,
                tables.zetaAmp[0], tables.zetaPhase[0], rowLength, tables.givenAmp,
                tables.givenPhase);
    playReleaseAfterDialog();
}

void runDialogFromWindow()
{
    // Keys typed into the console while the window had the student's
    // attention were meant for the window: they answer nothing.
    discardTypedAhead();
    runDialogPass();
    // And keys pressed in the frozen window while a student answered must
    // not start anything afterwards. Answers from a pipe or a file keep
    // no one waiting, and scripts may send their keys ahead.
    if (platformKeysArriveAlone()) {
        platformDiscardWindowKeys();
    }
}
