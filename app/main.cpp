// The program's entry: the console dialog first, then the window.
#include "app/dialog_pass.h"
#include "app/options.h"
#include "app/window.h"
#include "console/console.h"
#include "model/state.h"
#include "platform/platform.h"

int main(int argc, char** argv)
{
    consoleInput.readLine = platformReadLine;
    consoleInput.readKey = platformKeysArriveAlone() ? platformReadKey : nullptr;
    startFromCommandLine(&argc, argv);

    lastKey = 'm';
    runDialogPass();
    initWindow(&argc, argv);
}
