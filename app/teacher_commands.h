// The teacher's commands: --make-class and --grade, which write their files
// and exit without opening a window or asking anything.
#pragma once

// Whether argv[1] is one of the teacher's commands.
bool isTeacherCommand(int argc, char** argv);

// Run the teacher's command of argv[1] and return the exit status: 0 when it
// worked, 2 on a usage problem, 1 when a file cannot be read or written.
int runTeacherCommand(int argc, char** argv);
