// The one graphics window of the program.
#pragma once

// Open the 800 x 800 window, register the callbacks and run the event loop.
// Never returns.
[[noreturn]] void initWindow(int* argc, char** argv);
