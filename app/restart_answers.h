// The answers that start the run on show again.
#pragma once

// The first dialog's answers, as an answer file holds them, that give the
// parameters and the initial condition the program holds now, whichever
// dialogs (m, g, j) set them: "m λ K", "F ωf", the initial-condition key
// ('0' at rest, '1' steady state, '2' any other start, then "y0 v0"), one
// line each. Every number in its shortest text that reads back as the same
// double, so the run they start is the same run. Valid until the next call.
// In a specimen the answers of its dialog: "F ωf" and the start, never
// m λ K (the code names the system).
const char* restartAnswers();
