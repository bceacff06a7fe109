// A finished sweep's CSV rows and its line of warning.
#include "app/sweep_report.h"

#include <cstdio>
#include <string>

#include "app/csv_export.h"
#include "app/figures_text.h"
#include "console/console.h"
#include "model/frequency_response.h"
#include "model/state.h"

namespace
{

// Say on standard error why points did not settle, in one line.
void reportUnsettled(const Sweep& sweep)
{
    const int count = sweepUnsettledCount(sweep);
    switch (sweep.trouble) {
    case SweepTrouble::none:
        return;
    case SweepTrouble::tooFast:
        std::fprintf(stderr,
                     "掃引：振動が刻み 0.01 s には速すぎて、%d 点を測れません / "
                     "sweep: the motion is too fast for the 0.01 s step; %d points were not "
                     "measured\n",
                     count, count);
        return;
    case SweepTrouble::timeLimit:
        std::fprintf(
            stderr,
            "掃引：減衰が小さく過渡振動が %g 秒では消えないため、%d 点が定常に達しません / "
            "sweep: the damping is too small for the transient to die away within "
            "%g s; %d points did not settle\n",
            sweepTimeLimit, count, sweepTimeLimit, count);
        return;
    case SweepTrouble::noDamping:
        std::fprintf(stderr,
                     "掃引：減衰がない（ζ ≤ 0）ため過渡振動が消えず、%d 点が定常に達しません / "
                     "sweep: with no damping (zeta <= 0) the transient never dies away; %d "
                     "points did not settle\n",
                     count, count);
        return;
    case SweepTrouble::noFrequency:
        std::fputs(
            "掃引：正の固有振動数 ω0 がないか、m, λ, K, F に数でない値があるため測れません / "
            "sweep: there is no positive om0, or m, lambda, K or F is not a finite number; "
            "there is nothing to measure\n",
            stderr);
        return;
    }
}

// Write the finished sweep beside the closed-form values of the chart's
// black curve, each at the point's own ratio.
void exportSweep(const Sweep& sweep, const ResonanceSearch& search)
{
    const int added = resonanceAddedCount(search);
    CsvSweepRow rows[sweepPointCount + resonanceMostPoints];
    for (int k = 0; k < sweepPointCount + added; k++) {
        const SweepPoint& point = k < sweepPointCount
                                      ? sweep.points[k]
                                      : resonanceAddedPoint(search, k - sweepPointCount);
        // Sample 1 of a response stepped by the ratio lies at the ratio itself.
        double theoryAmp[2];
        double theoryLag[2];
        computeFrequencyResponse(sweep.system.kind, point.ratio, 1, sweep.zeta,
                                 referenceAmplitude(sweep.system), theoryAmp, theoryLag);
        rows[k] = {point.ratio,
                   point.amplitude,
                   theoryAmp[1],
                   point.phaseLag * 180,
                   theoryLag[1] * 180,
                   point.settled,
                   referenceAmplitude(sweep.system)};
    }
    csvWriteSweep(rows, sweepPointCount + added);
}

// The resonance's figures as one row of NAME-measured.csv.
void exportResonance(const ResonanceFigures& f, double t)
{
    const auto text = [](const ResonanceFigure& figure) {
        return figure.exists ? csvNumber(figure.value) : std::string();
    };
    CsvMeasuredRow row;
    row.kind = "resonance";
    row.field[measuredT] = csvNumber(t);
    row.field[measuredRp] = text(f.rp);
    row.field[measuredAp] = text(f.Ap);
    row.field[measuredR1] = text(f.r1);
    row.field[measuredR2] = text(f.r2);
    row.field[measuredZetaBand] = text(f.zetaBand);
    row.field[measuredQ] = text(f.Q);
    row.field[measuredR90] = text(f.r90);
    csvWriteMeasured(row);
}

} // namespace

void reportSweep(const Sweep& sweep, const ResonanceSearch& search)
{
    exportSweep(sweep, search);
    reportUnsettled(sweep);
    const ResonanceFigures figures = resonanceFigures(search);
    std::fprintf(consoleOut, "%s\n", resonanceFiguresText(figures).c_str());
    std::fflush(consoleOut);
    exportResonance(figures, run.t);
}
