// The program's entry: the console dialog first, then the window.
#include <cstdio>

#include "app/dialog_pass.h"
#include "app/window.h"
#include "console/console.h"
#include "model/state.h"
#include "platform/platform.h"

int main(int argc, char** argv)
{
    // Say at once that no window can open, not after a whole dialog; the
    // dialog still runs, and the window's own start fails as before.
    if (!platformWindowCanOpen(argc, argv)) {
        std::fputs("ウィンドウを開けません：X ディスプレイがありません (DISPLAY)。 / "
                   "Cannot open the window: no X display (DISPLAY).\n",
                   stderr);
    }

    consoleInput.readLine = platformReadLine;
    if (platformKeysArriveAlone()) {
        consoleInput.readKey = platformReadKey;
        consoleInput.discardTypedAhead = platformDiscardTypedAhead;
    }

    lastKey = 'm';
    runDialogPass();
    initWindow(&argc, argv);
}
