// The answers that start the run on show again.
#include "app/restart_answers.h"

#include <cstring>
#include <string>

#include "app/csv_export.h"
#include "model/oscillator.h"
#include "model/specimen_state.h"
#include "model/state.h"

namespace
{

// Same double, bit for bit: a start at -0 is not the one at rest (the
// console prints -0.0000).
bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The initial-condition key that gives the start held now.
char startKey()
{
    const double y0 = params.y0;
    const double v0 = params.v0;
    if (sameBits(y0, 0) && sameBits(v0, 0)) {
        return '0';
    }
    // A specimen has no steady start.
    if (specimenState.active) {
        return '2';
    }
    // The steady start as the key '1' computes it.
    double steadyY0 = 0;
    double steadyV0 = 0;
    steadyStateStart(derived.Ad, derived.phaseLag, params.system.omf, &steadyY0, &steadyV0);
    return sameBits(steadyY0, y0) && sameBits(steadyV0, v0) ? '1' : '2';
}

} // namespace

const char* restartAnswers()
{
    static std::string text;
    const char key = startKey();
    // A specimen's dialog asks for the force and the start alone.
    if (specimenState.active) {
        text = csvNumber(params.system.F) + ' ' + csvNumber(params.system.omf) + '\n' + key + '\n';
        if (key == '2') {
            text += csvNumber(params.y0) + ' ' + csvNumber(params.v0) + '\n';
        }
        return text.c_str();
    }
    text = csvNumber(params.system.m) + ' ' + csvNumber(params.system.lambda) + ' ' +
           csvNumber(params.system.K) + '\n' + csvNumber(params.system.F) + ' ' +
           csvNumber(params.system.omf) + '\n' + key + '\n';
    if (key == '2') {
        text += csvNumber(params.y0) + ' ' + csvNumber(params.v0) + '\n';
    }
    return text.c_str();
}
