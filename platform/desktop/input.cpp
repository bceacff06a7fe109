// The console's input on the desktop: lines of standard input (read by the
// console itself), and at a terminal one key press on its own.
#include <cstdio>
#include <termios.h>
#include <unistd.h>

#include "platform/desktop/terminal_key.h"
#include "platform/platform.h"

// Typed lines are standard input: the console reads them itself.
bool (*const platformReadLine)(std::string* line) = nullptr;

bool platformKeysArriveAlone()
{
    return isatty(STDIN_FILENO) != 0;
}

int platformReadKey()
{
    return readTerminalKey(STDIN_FILENO);
}

void platformDiscardTypedAhead()
{
    if (isatty(STDIN_FILENO)) {
        tcflush(STDIN_FILENO, TCIFLUSH);
    }
}
