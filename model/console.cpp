// Console input of the dialog: numbers as "%lf" reads them, and one key.
#include "model/console.h"

#include <cctype>
#include <unistd.h>

#include "model/terminal_key.h"

FILE* consoleIn = stdin;
FILE* consoleOut = stdout;

// True while the rest of a line whose numbers were read still waits in the
// input; on a terminal its Enter must not count as the key.
static bool lineTailPending = false;

ReadResult readNumber(double* value)
{
    std::fflush(consoleOut);
    const int got = std::fscanf(consoleIn, "%lf", value);
    if (got == EOF) {
        return ReadResult::endOfInput;
    }
    lineTailPending = true;
    return got == 1 ? ReadResult::ok : ReadResult::notNumber;
}

void discardLine()
{
    int c;
    do {
        c = std::getc(consoleIn);
    } while (c != '\n' && c != EOF);
    lineTailPending = false;
}

int readKey()
{
    std::fflush(consoleOut);
    const int fd = fileno(consoleIn);
    if (fd >= 0 && isatty(fd)) {
        // A cooked terminal hands over whole lines, so the tail of the last
        // answer (its Enter at least) is buffered already: dropping it
        // cannot block.
        if (lineTailPending) {
            discardLine();
        }
        return readTerminalKey(fd);
    }
    int c;
    do {
        c = std::getc(consoleIn);
    } while (c != EOF && std::isspace(c));
    lineTailPending = false;
    return c;
}
