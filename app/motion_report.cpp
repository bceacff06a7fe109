// The motion's figures of the key 'r', and the record the window's steps feed.
#include "app/motion_report.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "app/csv_export.h"
#include "app/figures_text.h"
#include "app/measurements.h"
#include "console/console.h"
#include "model/specimen_state.h"
#include "model/state.h"
#include "sim/motion_figures.h"

namespace
{

// Levels of checkpoints: level j keeps the latest two states whose step is
// a multiple of 2^j, so that for any earlier step S one of them lies
// between S and a few times as far back from the present. 30 levels reach
// 10^9 steps (120 days), and 2^29 still fits the web's 32-bit long.
constexpr int checkpointLevels = 30;

// The record of the present run; written only by motionRecordStep.
struct MotionRecord {
    bool valid;            // it follows the window's run step by step
    Parameters parameters; // the oscillator and start of the run, as the steps took them
    PeakRecord peaks;
    MotionCheckpoint latest[checkpointLevels]; // latest[0]: the state after the latest step
    MotionCheckpoint earlier[checkpointLevels];
};

MotionRecord record = {};

bool same(const Oscillator& a, const Oscillator& b)
{
    return a.m == b.m && a.lambda == b.lambda && a.K == b.K && a.F == b.F && a.omf == b.omf &&
           a.kind == b.kind;
}

// Start the record of a run from (y0, v0) at t = 0.
void beginRecord()
{
    record.valid = true;
    record.parameters = params;
    peakRecordBegin(&record.peaks, params.y0);
    const MotionCheckpoint start = {0, 0, {params.y0, params.v0}};
    for (int j = 0; j < checkpointLevels; j++) {
        record.latest[j] = start;
        record.earlier[j] = start;
    }
}

// The latest checkpoint at or before step.
MotionCheckpoint checkpointAtOrBefore(long step)
{
    MotionCheckpoint best = record.latest[checkpointLevels - 1];
    for (int j = 0; j < checkpointLevels; j++) {
        for (const MotionCheckpoint& c : {record.latest[j], record.earlier[j]}) {
            if (c.step <= step && c.step > best.step) {
                best = c;
            }
        }
    }
    return best;
}

// True when the record holds the run the window shows after `steps` steps.
bool recordShows(long steps)
{
    const MotionCheckpoint& last = record.latest[0];
    return record.valid && last.step == steps && same(record.parameters.system, params.system) &&
           record.parameters.y0 == params.y0 && record.parameters.v0 == params.v0 &&
           last.y[0] == run.state[0] && last.y[1] == run.state[1];
}

// The CSV text of a figure; blank when it was not measured.
std::string field(double value)
{
    return std::isfinite(value) ? csvNumber(value) : "";
}

// The figures' row of NAME-measured.csv; a specimen's free decay gives its
// peaks, not delta or zeta. Nothing for too little motion.
void exportFigures(const MotionFigures& f, bool systemHidden)
{
    CsvMeasuredRow row;
    row.field[measuredT] = csvNumber(run.t);
    if (f.kind == MotionKind::forced) {
        row.kind = "forced";
        row.field[measuredOmf] = field(params.system.omf);
        row.field[measuredAmplitude] = field(f.amplitude);
        row.field[measuredPeriod] = field(f.period);
        row.field[measuredLag] = field(f.phaseLag * 180);
        row.field[measuredSettled] = f.settled ? "1" : "0";
    } else if (f.kind == MotionKind::freeDecay) {
        row.kind = "free decay";
        row.field[measuredDampedPeriod] = field(f.dampedPeriod);
        row.field[measuredPeaks] = std::to_string(f.peaks);
        if (!systemHidden) {
            row.field[measuredDelta] = field(f.logDecrement);
            row.field[measuredZeta] = field(f.zeta);
        }
        for (int i = 0; i < f.listedPeaks; i++) {
            row.field[measuredPeakFirst + 2 * i] = field(f.peakTime[i]);
            row.field[measuredPeakFirst + 2 * i + 1] = field(f.peakHeight[i]);
        }
    } else {
        return;
    }
    csvWriteMeasured(row);
}

} // namespace

void motionRecordStep()
{
    const long step = std::lround(run.t / dt);
    if (step == 1) {
        beginRecord();
    } else if (step != record.latest[0].step + 1 ||
               !same(record.parameters.system, params.system)) {
        record.valid = false; // 'r' then runs the whole motion again
    }
    if (!record.valid) {
        return;
    }
    peakRecordStep(&record.peaks, run.t, run.state[0]);
    const MotionCheckpoint now = {step, run.t, {run.state[0], run.state[1]}};
    for (int j = 0; j < checkpointLevels && step % (1L << j) == 0; j++) {
        record.earlier[j] = record.latest[j];
        record.latest[j] = now;
    }
}

void reportMotionFigures()
{
    const Oscillator o = params.system;
    const long steps = std::lround(run.t / dt);
    MotionFigures figures;
    if (!recordShows(steps)) {
        figures = measureMotion(o, params.y0, params.v0, steps);
    } else if (o.F != 0) {
        figures = measureForcedFrom(o, checkpointAtOrBefore(forcedFiguresFrom(o, steps)), steps);
    } else {
        figures = freeDecayFigures(record.peaks);
    }
    const bool hidden = specimenState.active;
    std::fprintf(consoleOut, "%s\n", motionFiguresText(figures, hidden).c_str());
    std::fflush(consoleOut);
    exportFigures(figures, hidden);
    if (hidden && figures.kind == MotionKind::forced) {
        measurementAdd({params.system.omf, figures.amplitude, figures.period, figures.phaseLag,
                        figures.settled});
    }
}
