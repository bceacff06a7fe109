// The numbers for a lab report (--csv NAME): NAME-motion.csv, one row per
// frame, and NAME-response.csv, the chart's curves after every dialog; and
// NAME-sweep.csv, the points of every frequency sweep, once there is one.
//
// All the files are comma-separated with '.' as the decimal point whatever the
// locale, every number the shortest text that reads back as the same
// double. Each row is flushed as it is written, so the files are complete
// up to the last frame however the program ends (Escape, the end of the
// input, a signal). The web page writes the same text to its own files.
//
// A write that fails (a full disk, a quota) is said at once, on standard
// error, naming the file and the reason; nothing more is written to that
// file, the run goes on, and the program ends with status 1 instead of 0.
#pragma once

#include <cstdio>
#include <string>

#include "lab/specimen.h"
#include "model/excitation.h"
#include "sim/motion_figures.h"

// One CSV file being written. Every CSV file of the program is written
// through csvWrite, which handles its failures.
struct CsvFile {
    std::FILE* stream = nullptr; // null when not open, or after a failed write
    std::string path;            // as opened, for the message
    bool failed = false;         // a write has failed; nothing more is written
    int writes = 0;              // writes that succeeded, the header's first
};

// Open (truncate) path for writing; false (errno kept) when it cannot be.
bool csvOpenFile(CsvFile* file, const std::string& path);

// Write text to the file and hand it to the system at once. On the first
// failure: one line on standard error, in Japanese and English, naming the
// file and the system's reason; the file is closed without writing more,
// later writes to it do nothing, and csvExitStatus() becomes 1.
void csvWrite(CsvFile* file, const std::string& text);

// Close the file if it is open.
void csvCloseFile(CsvFile* file);

// The status the program ends with at Escape or when its window is closed:
// 1 once a CSV write has failed (rows were lost), else 0.
int csvExitStatus();

// Export to NAME-*.csv: create (truncate) NAME-motion.csv and
// NAME-response.csv with their header rows; the response header names each
// of the count damping ratios in zetas. NAME-sweep.csv is created, with its
// header row, by the first sweep, so a run without one leaves only the other
// two files behind. A file that cannot be created is said on standard error,
// naming it and the system's reason; then nothing stays open and the result
// is false.
// NAME-measured.csv is created with them, its header row alone, for the
// figures of the key r, of each finished sweep's resonance and of a hand-in.
// NAME-motion.csv has the energies and powers after the motion's columns.
// With the system hidden (a specimen) the motion's force column is F(t) in
// newtons, without the energies and powers, and NAME-response.csv, all
// theory, is not created. With a moving base the motion's fifth column is
// u(t); a sweep of the base or of an unbalance names its excitation and
// gives |Y/U| or m X/(me e) too.
bool csvOpen(const std::string& name, const double* zetas, int count, bool systemHidden = false,
             ExcitationKind excitation = ExcitationKind::force);

// True from csvOpen to csvClose, also when a file has failed since.
bool csvIsOpen();

// Start the next run (1 for the first dialog) and write its frequency
// response: one row per sample k = 0..points, at the frequency ratio
// k * ratioStep, with the amplitude (m) and the phase lag (degrees; the
// curves hold units of pi) of each tabulated curve, row i of the blocks
// zetaAmp and zetaPhase at stride rowStride, then of the entered zeta.
// Nothing when the files are not open.
void csvBeginRun(double enteredZeta, double ratioStep, int points, int zetaCount,
                 const double* zetaAmp, const double* zetaPhase, int rowStride,
                 const double* givenAmp, const double* givenPhase);

// The energies and powers of one frame, as the motion file's last columns.
struct CsvEnergyColumns {
    double kinetic; // 1/2 m v^2, J
    double spring;  // 1/2 K y^2, J
    double input;   // the power the force puts in, W
    double damper;  // the power the damper takes out, lambda v^2, W
};

// Write one frame of the present run: t (s), y (m), v (m/s), F(t)/K (m),
// then the energy's columns when there are some (none for a specimen).
// Nothing when the files are not open.
void csvWriteFrame(double t, double y, double v, double forceOverK,
                   const CsvEnergyColumns* energy = nullptr);

// The frames written from csvBeginFrameBatch until csvEndFrameBatch reach
// the motion file in one write at the end, as if written one by one: a page
// replaying thousands of frames would otherwise hand each row to its file
// system by itself.
void csvBeginFrameBatch();
void csvEndFrameBatch();

// One measured point of a frequency sweep, as NAME-sweep.csv holds it.
struct CsvSweepRow {
    double ratio;             // omf / om0
    double measuredAmplitude; // m
    double theoryAmplitude;   // m
    double measuredLag;       // degrees
    double theoryLag;         // degrees
    bool settled;             // written as 1 or 0
    double reference;         // referenceAmplitude of the system swept, m
};

// Append the count points of a finished sweep of the present run, one row
// each, creating NAME-sweep.csv first if this is the first sweep. Nothing
// when the files are not open. A file that cannot be created is said as
// csvOpen says it, and its rows are lost as surely as those of a failed
// write: csvExitStatus() becomes 1.
void csvWriteSweep(const CsvSweepRow* rows, int count);

// The columns of NAME-measured.csv after its run and kind: one header for
// every kind of row, a field left blank where a kind has none.
enum MeasuredColumn {
    measuredT,            // the run's time at the measurement, s
    measuredOmf,          // forcing frequency, rad/s
    measuredAmplitude,    // m
    measuredPeriod,       // s
    measuredLag,          // degrees
    measuredSettled,      // 1 or 0
    measuredDampedPeriod, // Td, s
    measuredDelta,        // logarithmic decrement
    measuredZeta,         // zeta from delta
    measuredPeaks,        // peaks read
    measuredPeakFirst,    // then time (s) and height (m) of each listed peak
    measuredRp = measuredPeakFirst + 2 * motionListedPeaks,
    measuredAp,
    measuredR1,
    measuredR2,
    measuredZetaBand,
    measuredQ,
    measuredR90,
    measuredAnswerFirst, // then the hand-in's answers in lab/specimen.h's order
    measuredChecks = measuredAnswerFirst + answerCount,
    measuredHandIn,
    measuredColumnCount,
};

// One row of NAME-measured.csv: its kind ("forced", "free decay",
// "resonance", "answers") and the text of each field, empty for none.
struct CsvMeasuredRow {
    std::string kind;
    std::string field[measuredColumnCount];
};

// Append the row to NAME-measured.csv, with the present run's number.
// Nothing when the files are not open.
void csvWriteMeasured(const CsvMeasuredRow& row);

// Close the files and forget a failed write (tests; the process's end
// closes them too).
void csvClose();

// The CSV text of one number: shortest round trip, '.' as decimal point.
std::string csvNumber(double value);

// Which files have a data row after their header row.
struct CsvRowsWritten {
    bool motion;
    bool response;
    bool sweep;
    bool measured;
};
CsvRowsWritten csvRowsWritten();
