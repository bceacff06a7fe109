// Reading one key press from a terminal (POSIX termios).
#pragma once

// Wait for one key press on the terminal fd, without echo and without Enter,
// and return its character (a Unicode code point, several bytes read whole); EOF if the terminal
// has gone or Ctrl-D was pressed. The terminal's mode is restored before returning, and also when a
// signal (Ctrl-C, Ctrl-\, hang-up, termination) ends the process meanwhile.
int readTerminalKey(int fd);
