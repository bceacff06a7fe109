// The key 'a' of a specimen run: the student's answers asked for through
// the console and handed in as one line of code to copy into a course site.
#pragma once

#include <string>

// Ask for the five answers (an empty one leaves that figure out, a line
// that is not a number is asked again); with feedback on, say of each
// answer given whether it is within the specimen's tolerance, and count the
// check; then print the hand-in code on one line and, with --csv, write the
// answers to NAME-measured.csv. Outside a specimen one line says that there
// is nothing to hand in.
void handInAnswers();

// The last hand-in code printed; empty before the first.
const std::string& lastHandInCode();

// Forget the hand-ins (tests: a fresh process's state).
void handInClear();
