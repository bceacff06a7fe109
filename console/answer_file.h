// An answer file: the dialog's answers read from a file first, each echoed
// after its prompt, then from the console's own input once the file ends.
#pragma once

// Take the dialog's answers from the file at path until it ends; false (and
// nothing changed) when the file cannot be opened and read.
bool readAnswersFirstFrom(const char* path);
