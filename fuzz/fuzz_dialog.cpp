// Fuzz the console dialog: arbitrary bytes as the typed answers, for every
// entry point.
//
// The first byte is the entry key ('m', 'g', 'j' or any other); the rest is
// the console input. The dialog ends the process when its input runs out, so
// the input never does: after the fuzz data the stream answers every question
// for ever, and each pass comes to its end. A pass that still leaves fuzz data
// unread is followed by another, its entry key read from the input, as the
// window's keys start the dialog again.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "console/console.h"
#include "console/dialog.h"
#include "model/state.h"

namespace
{

// What the stream says once the fuzz data is used up, over and over: the line
// feed ends whatever number the data left unfinished; "1" and "0" are taken
// as numbers, and as keys "1" starts on the steady state or, where there is
// none, is refused and "0" starts at rest, so every question ends.
constexpr char endlessAnswer[] = "\n1\n0";
constexpr std::size_t endlessAnswerLength = sizeof endlessAnswer - 1;

// Most dialog passes one input may drive; each pass refills every table, so
// this bounds the time one input takes.
constexpr int maxPasses = 4;

// The console input of one run: the fuzz data, then endlessAnswer repeated.
struct Answers {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t next;    // next byte of data to hand over
    std::size_t tailPos; // position in endlessAnswer once data is used up
};

// Hand the reader the rest of the fuzz data, then the endless answer.
ssize_t readAnswers(void* cookie, char* buffer, std::size_t size)
{
    Answers* answers = static_cast<Answers*>(cookie);
    std::size_t given = 0;
    while (given < size && answers->next < answers->size) {
        buffer[given++] = static_cast<char>(answers->data[answers->next++]);
    }
    while (given < size) {
        buffer[given++] = endlessAnswer[answers->tailPos];
        answers->tailPos = (answers->tailPos + 1) % endlessAnswerLength;
    }
    return static_cast<ssize_t>(given);
}

// Take the next character of the input that is not white space as the window
// key that starts another pass; false once the fuzz data is used up (the
// dialog may still hold the rest of its last line).
bool takeEntryKey(const Answers& answers)
{
    if (answers.next >= answers.size && !hasBufferedText()) {
        return false;
    }
    const int c = readKey();
    lastKey = static_cast<char>(c);
    return c != EOF;
}

} // namespace

// Point the dialog's output at /dev/null once for the whole run.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    consoleOut = std::fopen("/dev/null", "w");
    if (consoleOut == nullptr) {
        std::perror("/dev/null");
        std::abort();
    }
    return 0;
}

// Run the dialog on one input, from a fresh process's state.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    resetAllState();
    lastKey = size > 0 ? static_cast<char>(data[0]) : 'm';
    Answers answers{data, size, size > 0 ? 1u : 0u, 0};
    cookie_io_functions_t io{};
    io.read = readAnswers;
    consoleIn = fopencookie(&answers, "r", io);
    if (consoleIn == nullptr) {
        std::abort();
    }
    // Unbuffered, so that answers.next tells how far the dialog has read.
    std::setvbuf(consoleIn, nullptr, _IONBF, 0);

    for (int pass = 0; pass < maxPasses; pass++) {
        if (pass > 0 && !takeEntryKey(answers)) {
            break;
        }
        inputParameters();
    }

    forgetBufferedText();
    std::fclose(consoleIn);
    consoleIn = stdin;
    return 0;
}
