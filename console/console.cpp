// Console input of the dialog: numbers as "%lf" reads them, and one key.
#include "console/console.h"

#include <cctype>
#include <cstdlib>

FILE* consoleIn = stdin;
FILE* consoleOut = stdout;

// Read one line of consoleIn; the reader the dialog uses unless the platform
// sets its own.
static bool readStreamLine(std::string* line)
{
    int c = std::getc(consoleIn);
    if (c == EOF) {
        return false;
    }
    for (; c != EOF; c = std::getc(consoleIn)) {
        line->push_back(static_cast<char>(c));
        if (c == '\n') {
            break;
        }
    }
    return true;
}

ConsoleInput consoleInput = {readStreamLine, nullptr};
bool consoleEchoesLine = false;

// The line being read and how far the dialog has used it.
static std::string pending;
static std::size_t pendingPos = 0;

// Make sure unread text is buffered; false once the input has ended.
static bool fillPending()
{
    if (pendingPos < pending.size()) {
        return true;
    }
    pending.clear();
    pendingPos = 0;
    if (!consoleInput.readLine(&pending)) {
        return false;
    }
    if (consoleEchoesLine) {
        std::fputs(pending.c_str(), consoleOut);
        if (pending.back() != '\n') {
            std::fputc('\n', consoleOut);
        }
    }
    return true;
}

static bool isSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// Skip white space, across lines; false if the input ends first.
static bool skipSpace()
{
    for (;;) {
        if (!fillPending()) {
            return false;
        }
        while (pendingPos < pending.size() && isSpace(pending[pendingPos])) {
            pendingPos++;
        }
        if (pendingPos < pending.size()) {
            return true;
        }
    }
}

// True if the buffered line has more than white space left.
static bool restOfLineHasText()
{
    for (std::size_t i = pendingPos; i < pending.size(); i++) {
        if (!isSpace(pending[i])) {
            return true;
        }
    }
    return false;
}

ReadResult readNumber(double* value)
{
    std::fflush(consoleOut);
    if (!skipSpace()) {
        return ReadResult::endOfInput;
    }
    // A NUL would end the text for sscanf; it is no number either way.
    if (pending[pendingPos] == '\0') {
        return ReadResult::notNumber;
    }
    int used = 0;
    if (std::sscanf(pending.c_str() + pendingPos, "%lf%n", value, &used) != 1) {
        return ReadResult::notNumber;
    }
    pendingPos += static_cast<std::size_t>(used);
    return ReadResult::ok;
}

void discardLine()
{
    if (!fillPending()) {
        return;
    }
    forgetBufferedText();
}

int readKey()
{
    std::fflush(consoleOut);
    if (consoleInput.readKey != nullptr && !(consoleEchoesLine && restOfLineHasText())) {
        // A terminal hands over whole lines, so the tail of the last answer
        // (its Enter at least) is buffered here already; it is not the key.
        forgetBufferedText();
        const int key = consoleInput.readKey();
        if (key != keyInText) {
            return key;
        }
    }
    if (!skipSpace()) {
        return EOF;
    }
    return static_cast<unsigned char>(pending[pendingPos++]);
}

void forgetBufferedText()
{
    pending.clear();
    pendingPos = 0;
}

bool hasBufferedText()
{
    return pendingPos < pending.size();
}
