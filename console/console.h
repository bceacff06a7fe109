// Console input and output of the dialog.
//
// The dialog prints to consoleOut and reads through consoleInput: lines of
// typed text, and on a terminal one key press on its own. The platform puts
// its own readers there at start; by default, and in tests, the lines come
// from the stream consoleIn and the key is the next character of the text.
#pragma once

#include <cstdio>
#include <string>

extern FILE* consoleOut;

// Where the dialog's answers come from.
struct ConsoleInput {
    // Append the next line of typed text to *line, its line feed included
    // when it has one; false once the input has ended.
    bool (*readLine)(std::string* line);
    // Wait for one key press without Enter and return its character (a
    // Unicode code point), EOF once the input has ended. Null: the key is the next character of the
    // text that is not white space, as when the answers come from a pipe or a file.
    int (*readKey)();
    // Throw away what was typed ahead and not read yet; null where nothing
    // can be (text from a pipe or a file is all meant as answers).
    void (*discardTypedAhead)();
};

extern ConsoleInput consoleInput;

// What readKey returns when the key is to be taken from the text after all
// (an answer file in front of a terminal still has lines).
constexpr int keyInText = -2;

// Set by the line reader: the line it just gave is shown on the console, as
// a terminal shows what is typed (the lines of an answer file).
extern bool consoleEchoesLine;

// The stream of the default line reader (stdin unless a test changes it).
extern FILE* consoleIn;

// Append the next line of stream to *line, its line feed included when it
// has one; false once the stream has ended. The one line reader of the
// console: standard input's lines and an answer file's.
bool readLineFrom(FILE* stream, std::string* line);

// Why a number could not be read.
enum class ReadResult { ok, notNumber, endOfInput };

// Read one number as C's "%lf" reads it, skipping white space first.
ReadResult readNumber(double* value);

// Read one whole answer line into *text, its line feed left out: what is
// left of the line being read if that holds more than white space, else the
// next line (an empty one is an empty answer). False once the input has ended.
bool readWholeAnswer(std::string* text);

// Throw away what is left of the current input line.
void discardLine();

// Read the one-key answer; EOF when the input has ended.
int readKey();

// Throw away what the user typed into the console while it was not asking
// (keys meant for the window); the lines of an answer file stay.
void discardTypedAhead();

// Read the full-width digits, '．', '－', '＋', 'ｅ', 'Ｅ' and the ideographic
// space of a Japanese input method as their ASCII counterparts.
void asciiFromFullWidth(std::string* text);

// The same for one key given as a Unicode code point.
int asciiFromFullWidthKey(int key);

// Forget the text read but not yet used.
void forgetBufferedText();

// True while text read from the input waits to be used.
bool hasBufferedText();
