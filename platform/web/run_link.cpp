// The answers that start the current run again, for the page's Copy link:
// the first dialog's questions answered with the parameters and the initial
// condition the program holds now, whichever dialogs set them.
#include <cstring>
#include <string>

#include <emscripten.h>

#include "app/csv_export.h"
#include "model/oscillator.h"
#include "model/state.h"

namespace
{

// Same double, bit for bit: -0 and 0 start different runs (the console
// prints -0.0000).
bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The key of the initial-condition question that gives the start held now:
// '0' for rest, '1' for the steady state, '2' for any other (its y0 v0 then
// follow on a line of their own).
char startKey()
{
    const double y0 = params.y0;
    const double v0 = params.v0;
    if (sameBits(y0, 0) && sameBits(v0, 0)) {
        return '0';
    }
    // The steady start as the key '1' computes it, then the held one back.
    setSteadyStateStart();
    const bool steady = sameBits(params.y0, y0) && sameBits(params.v0, v0);
    params.y0 = y0;
    params.v0 = v0;
    return steady ? '1' : '2';
}

} // namespace

// Every number in its shortest text that reads back as the same double, so
// the run started from these answers is the same run.
extern "C" EMSCRIPTEN_KEEPALIVE const char* webRunAnswers()
{
    static std::string text;
    const char key = startKey();
    text = csvNumber(params.m) + ' ' + csvNumber(params.lambda) + ' ' + csvNumber(params.K) +
           '\n' + csvNumber(params.F) + ' ' + csvNumber(params.omf) + '\n' + key + '\n';
    if (key == '2') {
        text += csvNumber(params.y0) + ' ' + csvNumber(params.v0) + '\n';
    }
    return text.c_str();
}
