// One pass of the console dialog, as the window sees it.
#include "app/dialog_pass.h"

#include "app/view.h"
#include "console/console.h"
#include "console/dialog.h"
#include "platform/platform.h"

void runDialogPass()
{
    inputParameters();
    resetView();
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
