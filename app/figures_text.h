// The measured figures as one line of text each, written as the dialog
// writes its own: a symbol, '=', the number with at least four significant
// digits, the unit in brackets; the words around them in Japanese and English.
#pragma once

#include <array>
#include <string>

#include "sim/motion_figures.h"
#include "sim/resonance_search.h"

// The line of the key 'r': the motion's figures, or that there is too little
// motion to measure. No newline at the end. With the system hidden (a
// specimen) a free decay gives its damped period and the heights of its
// first peaks, not delta or zeta: working those out is the student's task.
std::string motionFiguresText(const MotionFigures& figures, bool systemHidden = false);

// The line at the end of a sweep: the resonance's figures, a missing one
// written as its symbol and "なし/none". No newline at the end.
std::string resonanceFiguresText(const ResonanceFigures& figures);

// The same figures for the window, whose bitmap font has neither Greek nor
// Japanese: ASCII, "zeta~" for ζ≈, "none" for a missing figure, in two
// lines that each fit under the chart's legend.
std::array<std::string, 2> resonanceFiguresWindowLines(const ResonanceFigures& figures);
