// The program's command line: its own options, an answer file, and GLUT's
// options passed through to the window.
#pragma once

#include <string>

#include "model/excitation.h"

// What the command line asks for.
struct CommandLine {
    bool play = false;      // --play: continuous motion
    bool sweep = false;     // --sweep: a frequency sweep once the window is open
    std::string csvName;    // --csv NAME; empty: no export
    std::string answerFile; // the dialog's answers from this file first; empty: none
    std::string specimen;   // --specimen CODE: a system with hidden m, lambda, K; empty: none
    ExcitationKind excitation = ExcitationKind::force; // --excitation force|base|unbalance
};

// How the parse ended.
enum class ParseOutcome { run, help, version, usageError };

// Take the program's own options out of argv, leaving argv[0] and GLUT's
// options (-display X, -geometry X, -iconic, -direct, -indirect, -gldebug,
// -sync) in order for glutInit; *argc shrinks to match. On a usage error
// *problem says what was wrong.
ParseOutcome parseCommandLine(int* argc, char** argv, CommandLine* options, std::string* problem);

// The usage text, in Japanese and English.
extern const char* const usageText;

// The version line.
extern const char* const versionText;

// Read the command line and act on it before the dialog: print the usage or
// the version and exit 0; on a usage error, a refused specimen code, a
// missing or unreadable answer file or unwritable CSV files, one line (or
// the usage) on standard error and exit 2. Otherwise put the answer file in front of the console
// input, open the CSV files and note --play.
void startFromCommandLine(int* argc, char** argv);
