// The program's entry: the console dialog first, then the window.
#include <cstdio>

#include "app/dialog_pass.h"
#include "app/options.h"
#include "app/window.h"
#include "console/console.h"
#include "model/state.h"
#include "platform/platform.h"

int main(int argc, char** argv)
{
    if (platformReadLine != nullptr) {
        consoleInput.readLine = platformReadLine;
    }
    if (platformKeysArriveAlone()) {
        consoleInput.readKey = platformReadKey;
        consoleInput.discardTypedAhead = platformDiscardTypedAhead;
    }
    // Before anything is printed: --help, --version and a bad command line
    // end here; an answer file goes in front of the console's input (set
    // above), and the CSV files are opened. argv keeps GLUT's options.
    startFromCommandLine(&argc, argv);

    // Say at once that no window can open, not after a whole dialog; the
    // dialog still runs, and the window's own start fails as before.
    if (!platformWindowCanOpen(argc, argv)) {
        std::fputs("ウィンドウを開けません：X ディスプレイがありません (DISPLAY)。 / "
                   "Cannot open the window: no X display (DISPLAY).\n",
                   stderr);
    }

    lastKey = 'm';
    runDialogPass();
    initWindow(&argc, argv);
}
