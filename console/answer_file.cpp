// An answer file in front of the console's own input.
#include "console/answer_file.h"

#include <cctype>
#include <cstdio>

#include "console/console.h"

// The open answer file, until it has given its last line.
static FILE* answerFile = nullptr;
// The reader the file stands in front of.
static ConsoleInput behindFile;

// Hand over the file's next line to be echoed, then the console's own.
static bool readAnswerLine(std::string* line)
{
    if (answerFile != nullptr) {
        if (readLineFrom(answerFile, line)) {
            consoleEchoesLine = true;
            return true;
        }
        std::fclose(answerFile);
        answerFile = nullptr;
    }
    consoleEchoesLine = false;
    return behindFile.readLine(line);
}

// True if the file holds more than white space; once it holds no more it is
// closed, so the key is not awaited as a line from a terminal.
static bool fileHasAnotherAnswer()
{
    if (answerFile == nullptr) {
        return false;
    }
    int c = std::getc(answerFile);
    while (c != EOF && std::isspace(c)) {
        c = std::getc(answerFile);
    }
    if (c == EOF) {
        std::fclose(answerFile);
        answerFile = nullptr;
        return false;
    }
    std::ungetc(c, answerFile);
    return true;
}

// The single key: from the file while it lasts, as any other answer; when
// the file ends just before it, one key press at the terminal as usual.
static int readAnswerKey()
{
    return fileHasAnotherAnswer() ? keyInText : behindFile.readKey();
}

bool readAnswersFirstFrom(const char* path)
{
    FILE* file = std::fopen(path, "r");
    if (file == nullptr) {
        return false;
    }
    // A directory opens but cannot be read.
    const int first = std::getc(file);
    if (std::ferror(file)) {
        std::fclose(file);
        return false;
    }
    if (first != EOF) {
        std::ungetc(first, file);
    }
    answerFile = file;
    behindFile = consoleInput;
    consoleInput.readLine = readAnswerLine;
    if (behindFile.readKey != nullptr) {
        consoleInput.readKey = readAnswerKey;
    }
    return true;
}
