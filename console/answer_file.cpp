// An answer file in front of the console's own input.
#include "console/answer_file.h"

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
        for (int c = std::getc(answerFile); c != EOF; c = std::getc(answerFile)) {
            line->push_back(static_cast<char>(c));
            if (c == '\n') {
                break;
            }
        }
        if (!line->empty()) {
            consoleEchoesLine = true;
            return true;
        }
        std::fclose(answerFile);
        answerFile = nullptr;
    }
    consoleEchoesLine = false;
    return behindFile.readLine(line);
}

// The single key: from the file while it lasts, as any other answer.
static int readAnswerKey()
{
    return answerFile != nullptr ? keyInText : behindFile.readKey();
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
