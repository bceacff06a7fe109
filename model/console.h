// Console input and output of the dialog.
//
// The dialog talks through consoleIn and consoleOut (stdin and stdout unless
// a test points them at in-memory streams).
#pragma once

#include <cstdio>

extern FILE* consoleIn;
extern FILE* consoleOut;

// Why a number could not be read.
enum class ReadResult { ok, notNumber, endOfInput };

// Read one number as C's "%lf" reads it, skipping white space first.
ReadResult readNumber(double* value);

// Throw away what is left of the current input line.
void discardLine();

// Read the one-key answer: on a terminal a single key press without echo
// or Enter; otherwise the next character that is not white space.
// Returns EOF when the input has ended.
int readKey();
