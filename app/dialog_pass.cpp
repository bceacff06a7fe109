// One pass of the console dialog, as the window sees it.
#include "app/dialog_pass.h"

#include "app/csv_export.h"
#include "app/play.h"
#include "app/view.h"
#include "console/dialog.h"
#include "model/state.h"

void runDialogPass()
{
    playHoldForDialog();
    inputParameters();
    resetView();
    csvBeginRun(derived.zeta, tables.freqStep, tables.freqPoints, tables.zetaCount,
                tables.zetaAmp[0], tables.zetaPhase[0], rowLength, tables.givenAmp,
                tables.givenPhase);
    playReleaseAfterDialog();
}
