// The console's input on the desktop: lines of standard input, and at a
// terminal one key press on its own.
#include <cstdio>
#include <termios.h>
#include <unistd.h>

#include "platform/desktop/terminal_key.h"
#include "platform/platform.h"

bool platformReadLine(std::string* line)
{
    int c = std::getc(stdin);
    if (c == EOF) {
        return false;
    }
    for (; c != EOF; c = std::getc(stdin)) {
        line->push_back(static_cast<char>(c));
        if (c == '\n') {
            break;
        }
    }
    return true;
}

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
