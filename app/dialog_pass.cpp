// One pass of the console dialog, as the window sees it.
#include "app/dialog_pass.h"

#include "app/view.h"
#include "console/dialog.h"

void runDialogPass()
{
    inputParameters();
    resetView();
}
