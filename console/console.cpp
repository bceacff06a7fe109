// Console input of the dialog: numbers as "%lf" reads them, and one key.
#include "console/console.h"

#include <cctype>
#include <cstdlib>

FILE* consoleIn = stdin;
FILE* consoleOut = stdout;

bool readLineFrom(FILE* stream, std::string* line)
{
    int c = std::getc(stream);
    if (c == EOF) {
        return false;
    }
    for (; c != EOF; c = std::getc(stream)) {
        line->push_back(static_cast<char>(c));
        if (c == '\n') {
            break;
        }
    }
    return true;
}

// Read one line of consoleIn; the reader the dialog uses unless the platform
// sets its own.
static bool readConsoleInLine(std::string* line)
{
    return readLineFrom(consoleIn, line);
}

ConsoleInput consoleInput = {readConsoleInLine, nullptr, nullptr};
bool consoleEchoesLine = false;

// The full-width characters a Japanese input method types in numbers, as
// UTF-8, and the ASCII each one stands for.
struct FullWidth {
    const char* utf8;
    char ascii;
};
static const FullWidth fullWidthTable[] = {
    {"\xEF\xBC\x90", '0'}, {"\xEF\xBC\x91", '1'}, {"\xEF\xBC\x92", '2'}, {"\xEF\xBC\x93", '3'},
    {"\xEF\xBC\x94", '4'}, {"\xEF\xBC\x95", '5'}, {"\xEF\xBC\x96", '6'}, {"\xEF\xBC\x97", '7'},
    {"\xEF\xBC\x98", '8'}, {"\xEF\xBC\x99", '9'}, {"\xEF\xBC\x8E", '.'}, {"\xEF\xBC\x8D", '-'},
    {"\xEF\xBC\x8B", '+'}, {"\xEF\xBD\x85", 'e'}, {"\xEF\xBC\xA5", 'E'}, {"\xE3\x80\x80", ' '},
};
// Every entry of the table is three bytes long.
static constexpr std::size_t fullWidthLength = 3;

void asciiFromFullWidth(std::string* text)
{
    std::string ascii;
    ascii.reserve(text->size());
    for (std::size_t i = 0; i < text->size();) {
        const FullWidth* match = nullptr;
        for (const FullWidth& entry : fullWidthTable) {
            if (text->compare(i, fullWidthLength, entry.utf8) == 0) {
                match = &entry;
                break;
            }
        }
        if (match != nullptr) {
            ascii.push_back(match->ascii);
            i += fullWidthLength;
        } else {
            ascii.push_back((*text)[i]);
            i++;
        }
    }
    text->swap(ascii);
}

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
        std::fwrite(pending.data(), 1, pending.size(), consoleOut);
        if (pending.back() != '\n') {
            std::fputc('\n', consoleOut);
        }
    }
    asciiFromFullWidth(&pending);
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
    // An entry is a whole word: "4x" or "1,2" is no number, not a 4 or a 1
    // that leaves the rest to spoil the next question.
    std::size_t end = pendingPos;
    while (end < pending.size() && !isSpace(pending[end])) {
        end++;
    }
    const std::string word = pending.substr(pendingPos, end - pendingPos);
    int used = -1;
    // The word ends at a NUL for sscanf; used then falls short of its length.
    if (std::sscanf(word.c_str(), "%lf%n", value, &used) != 1 ||
        static_cast<std::size_t>(used) != word.size()) {
        return ReadResult::notNumber;
    }
    pendingPos = end;
    return ReadResult::ok;
}

bool readWholeAnswer(std::string* text)
{
    std::fflush(consoleOut);
    // The tail of the last answer (its Enter at least) is no answer of its own.
    if (hasBufferedText() && !restOfLineHasText()) {
        forgetBufferedText();
    }
    if (!fillPending()) {
        return false;
    }
    *text = pending.substr(pendingPos);
    while (!text->empty() && (text->back() == '\n' || text->back() == '\r')) {
        text->pop_back();
    }
    forgetBufferedText();
    return true;
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
            return asciiFromFullWidthKey(key);
        }
    }
    if (!skipSpace()) {
        return EOF;
    }
    return static_cast<unsigned char>(pending[pendingPos++]);
}

int asciiFromFullWidthKey(int key)
{
    if (key < 0x80) {
        return key;
    }
    // Back to UTF-8, then through the same table as the typed text.
    std::string utf8;
    utf8.push_back(static_cast<char>(0xE0 | (key >> 12)));
    utf8.push_back(static_cast<char>(0x80 | ((key >> 6) & 0x3F)));
    utf8.push_back(static_cast<char>(0x80 | (key & 0x3F)));
    asciiFromFullWidth(&utf8);
    // Any other character is no key of the question: it is asked again.
    return utf8.size() == 1 ? static_cast<unsigned char>(utf8[0]) : key;
}

void discardTypedAhead()
{
    if (!consoleEchoesLine) {
        forgetBufferedText();
    }
    if (consoleInput.discardTypedAhead != nullptr) {
        consoleInput.discardTypedAhead();
    }
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
