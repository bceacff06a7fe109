// The program's state for the web page, as JSON.
#include "app/snapshot.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "app/csv_export.h"
#include "app/display.h"
#include "app/energy_view.h"
#include "app/hand_in.h"
#include "app/measurements.h"
#include "app/play.h"
#include "app/readout.h"
#include "app/restart_answers.h"
#include "app/sweep_run.h"
#include "console/dialog.h"
#include "model/specimen_state.h"
#include "model/state.h"

namespace
{

// A JSON string of the UTF-8 text.
std::string jsonText(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// A JSON number that reads back as the same double; null when not finite,
// which JSON cannot hold.
std::string jsonNumber(double value)
{
    if (!std::isfinite(value)) {
        return "null";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

const char* jsonBool(bool value)
{
    return value ? "true" : "false";
}

// The sweep's progress, or null when none is under way.
std::string sweepProgress()
{
    if (!sweepUnderWay()) {
        return "null";
    }
    const ResonanceSearch* search = sweepSearchShown();
    const int searched = search != nullptr ? search->count - search->coarseCount : 0;
    return "{\"done\":" + std::to_string(sweepShown()->point) +
           ",\"total\":" + std::to_string(sweepPointCount) +
           ",\"searched\":" + std::to_string(searched < 0 ? 0 : searched) + "}";
}

} // namespace

const char* windowSnapshot()
{
    static std::string json;
    // The last frame drawn, as its CSV row has it: every frame advances the
    // time, so a run at t = 0 (after a dialog, too) has drawn none of its own.
    static std::string frame = "null";
    if (run.t != 0) {
        frame = "{\"t\":" + jsonNumber(run.t) + ",\"y\":" + jsonNumber(run.state[0]) + "}";
    }
    const CsvRowsWritten rows = csvRowsWritten();
    const std::string specimen =
        !specimenState.active ? std::string("null")
                              : "{\"code\":" + jsonText(specimenState.code) +
                                    ",\"measurements\":" + std::to_string(measurementCount()) +
                                    ",\"handIn\":" + jsonText(lastHandInCode()) + "}";
    json = "{\"results\":" + jsonText(responseText()) + ",\"frame\":" + frame +
           ",\"chart\":" + jsonBool(chartRequested()) +
           ",\"energy\":" + jsonBool(energyViewShown()) +
           ",\"playing\":" + jsonBool(playIsPlaying()) +
           ",\"csvRows\":{\"motion\":" + jsonBool(rows.motion) +
           ",\"response\":" + jsonBool(rows.response) + ",\"sweep\":" + jsonBool(rows.sweep) +
           ",\"measured\":" + jsonBool(rows.measured) + "},\"specimen\":" + specimen +
           ",\"excitation\":" + jsonText(excitationName(params.system.kind)) +
           ",\"restartAnswers\":" + jsonText(restartAnswers()) +
           ",\"readout\":" + jsonText(readoutText(chartRequested())) +
           ",\"sweep\":" + sweepProgress() + "}";
    return json.c_str();
}
