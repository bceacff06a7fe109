// The motion, the frequency response and the sweeps written as CSV files.
#include "app/csv_export.h"

#include <stdio_ext.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lab/specimen.h"
#include "model/shortest_decimal.h"

namespace
{

// The export's state: the three files and the run they are at.
struct CsvExport {
    int run;          // 1 after the first dialog, +1 after each further one
    CsvFile motion;   // NAME-motion.csv, not open when not exporting
    CsvFile response; // NAME-response.csv
    CsvFile sweep;    // NAME-sweep.csv, not open until the first sweep
    std::string sweepPath;
    CsvFile measured; // NAME-measured.csv
    bool batching;    // motion rows wait in batch for csvEndFrameBatch
    std::string batch;
    ExcitationKind excitation;
};

// The most a batch of motion rows holds before it is written, bytes.
constexpr std::size_t batchBytes = 64 * 1024;

// The run number while not exporting.
constexpr int notExporting = -1;

CsvExport csv = {notExporting, {}, {}, {}, {}, {}, false, {}, ExcitationKind::force};

// Set by the first failed write of any CSV file, and cleared only by
// csvClose (tests): the run lost rows, and its exit status says so.
bool rowsLost = false;

// Write one finished row and hand it to the system at once.
void writeRow(CsvFile* file, const std::string& row)
{
    csvWrite(file, row + "\n");
}

// Create (truncate) one of the export's files. When it cannot be created:
// the one line that says so, and the file is marked failed.
bool createFile(CsvFile* file, const std::string& path)
{
    if (csvOpenFile(file, path)) {
        return true;
    }
    std::fprintf(stderr, "forced-vibration: CSV ファイルに書き込めません / cannot write %s: %s\n",
                 path.c_str(), std::strerror(errno));
    file->failed = true;
    return false;
}

} // namespace

bool csvOpenFile(CsvFile* file, const std::string& path)
{
    file->stream = std::fopen(path.c_str(), "w");
    file->path = path;
    file->failed = false;
    file->writes = 0;
    return file->stream != nullptr;
}

void csvWrite(CsvFile* file, const std::string& text)
{
    if (file->stream == nullptr) {
        return;
    }
    if (std::fputs(text.c_str(), file->stream) != EOF && std::fflush(file->stream) != EOF) {
        file->writes++;
        return;
    }
    const int why = errno;
    // What is still buffered would be written again by the close; it is
    // dropped, so that nothing more reaches the file.
    __fpurge(file->stream);
    std::fclose(file->stream);
    file->stream = nullptr;
    file->failed = true;
    rowsLost = true;
    std::fprintf(stderr,
                 "forced-vibration: CSV ファイルに書き込めません。以後このファイルには書きません / "
                 "cannot write %s, no more rows go to it: %s\n",
                 file->path.c_str(), std::strerror(why));
}

void csvCloseFile(CsvFile* file)
{
    if (file->stream != nullptr) {
        std::fclose(file->stream);
        file->stream = nullptr;
    }
}

int csvExitStatus()
{
    return rowsLost ? 1 : 0;
}

// Append csvNumber(value) to *text.
static void appendNumber(std::string* text, double value)
{
    char digits[32];
    if (shortestGeneral(value, digits, sizeof digits)) {
        *text += digits;
    } else {
        *text += shortestNumberBySearch(value);
    }
}

std::string csvNumber(double value)
{
    return shortestNumber(value);
}

// The header row of NAME-measured.csv, in the order of MeasuredColumn.
std::string measuredHeader()
{
    std::string header = "run,kind,t (s),omf (rad/s),A (m),T (s),phase lag (deg),settled,"
                         "Td (s),delta,zeta,peaks";
    for (int i = 1; i <= (measuredRp - measuredPeakFirst) / 2; i++) {
        header += ",peak " + std::to_string(i) + " t (s),peak " + std::to_string(i) + " y (m)";
    }
    header += ",rp,Ap (m),r1,r2,zeta~,Q,r90";
    for (int i = 0; i < answerCount; i++) {
        header += std::string(",answer ") + answerColumns[i];
    }
    return header + ",checks,hand-in code";
}

bool csvOpen(const std::string& name, const double* zetas, int count, bool systemHidden,
             ExcitationKind excitation)
{
    csvClose();
    std::string header = "run,entered zeta,frequency ratio";
    for (int i = 0; i < count; i++) {
        const std::string zeta = csvNumber(zetas[i]);
        header += ",amplitude zeta=" + zeta + " (m),phase lag zeta=" + zeta + " (deg)";
    }
    header += ",amplitude entered zeta (m),phase lag entered zeta (deg)";
    CsvExport opened = {0, {}, {}, {}, name + "-sweep.csv", {}, false, {}, excitation};
    if (!createFile(&opened.motion, name + "-motion.csv")) {
        return false;
    }
    if (!systemHidden && !createFile(&opened.response, name + "-response.csv")) {
        csvCloseFile(&opened.motion);
        return false;
    }
    if (!createFile(&opened.measured, name + "-measured.csv")) {
        csvCloseFile(&opened.motion);
        csvCloseFile(&opened.response);
        return false;
    }
    csv = opened;
    // The energies and powers after the columns files had before, so that
    // those read the same; a specimen's would give away m, lambda and K.
    const std::string energyColumns = ",KE (J),PE (J),input P (W),damper P (W)";
    writeRow(&csv.motion, systemHidden ? std::string("run,t (s),y (m),v (m/s),F(t) (N)")
                          : excitation == ExcitationKind::base
                              ? "run,t (s),y (m),v (m/s),u(t) (m)" + energyColumns
                              : "run,t (s),y (m),v (m/s),F(t)/K (m)" + energyColumns);
    writeRow(&csv.response, header);
    writeRow(&csv.measured, measuredHeader());
    return true;
}

bool csvIsOpen()
{
    return csv.run >= 0;
}

void csvBeginRun(double enteredZeta, double ratioStep, int points, int zetaCount,
                 const double* zetaAmp, const double* zetaPhase, int rowStride,
                 const double* givenAmp, const double* givenPhase)
{
    if (!csvIsOpen()) {
        return;
    }
    csv.run++;
    const std::string lead = std::to_string(csv.run) + "," + csvNumber(enteredZeta) + ",";
    std::string rows;
    for (int k = 0; k <= points; k++) {
        rows += lead + csvNumber(k * ratioStep);
        for (int i = 0; i < zetaCount; i++) {
            const int at = i * rowStride + k;
            rows += "," + csvNumber(zetaAmp[at]) + "," + csvNumber(zetaPhase[at] * 180);
        }
        rows += "," + csvNumber(givenAmp[k]) + "," + csvNumber(givenPhase[k] * 180) + "\n";
    }
    // One run's rows in one write: a dialog pass, not a frame, is the unit here.
    csvWrite(&csv.response, rows);
}

void csvWriteFrame(double t, double y, double v, double forceOverK, const CsvEnergyColumns* energy)
{
    if (!csvIsOpen()) {
        return;
    }
    // Appended in place: a replay writes thousands of rows, and each
    // temporary string costs an allocation.
    std::string row;
    std::string& into = csv.batching ? csv.batch : row;
    into += std::to_string(csv.run);
    for (const double value : {t, y, v, forceOverK}) {
        into += ',';
        appendNumber(&into, value);
    }
    if (energy != nullptr) {
        for (const double value : {energy->kinetic, energy->spring, energy->input, energy->damper}) {
            into += ',';
            appendNumber(&into, value);
        }
    }
    into += '\n';
    if (!csv.batching) {
        csvWrite(&csv.motion, row);
    } else if (csv.batch.size() >= batchBytes) {
        // In slices: thousands of rows at once would not fit the page's memory.
        csvWrite(&csv.motion, csv.batch);
        csv.batch.clear();
    }
}

void csvBeginFrameBatch()
{
    csv.batching = true;
}

void csvEndFrameBatch()
{
    csv.batching = false;
    if (!csv.batch.empty()) {
        csvWrite(&csv.motion, csv.batch);
        csv.batch.clear();
    }
}

// The sweep file's columns after "settled": none for a force.
static std::string sweepExcitationHeader(ExcitationKind excitation)
{
    switch (excitation) {
    case ExcitationKind::base:
        return ",excitation,measured |Y/U|,theory |Y/U|";
    case ExcitationKind::unbalance:
        return ",excitation,measured m X/(me e),theory m X/(me e)";
    case ExcitationKind::force:
        break;
    }
    return "";
}

void csvWriteSweep(const CsvSweepRow* rows, int count)
{
    if (!csvIsOpen() || csv.sweep.failed) {
        return;
    }
    if (csv.sweep.stream == nullptr) {
        if (!createFile(&csv.sweep, csv.sweepPath)) {
            rowsLost = true;
            return;
        }
        writeRow(&csv.sweep, "run,frequency ratio,measured amplitude (m),theory amplitude (m),"
                             "measured phase lag (deg),theory phase lag (deg),settled" +
                                 sweepExcitationHeader(csv.excitation));
    }
    for (int k = 0; k < count; k++) {
        const CsvSweepRow& row = rows[k];
        std::string text = std::to_string(csv.run) + "," + csvNumber(row.ratio) + "," +
                           csvNumber(row.measuredAmplitude) + "," + csvNumber(row.theoryAmplitude) +
                           "," + csvNumber(row.measuredLag) + "," + csvNumber(row.theoryLag) + "," +
                           (row.settled ? "1" : "0");
        // The force's file as ever; the others say what they measured.
        if (csv.excitation != ExcitationKind::force) {
            text += std::string(",") + excitationName(csv.excitation) + "," +
                    csvNumber(row.measuredAmplitude / row.reference) + "," +
                    csvNumber(row.theoryAmplitude / row.reference);
        }
        writeRow(&csv.sweep, text);
    }
}

void csvWriteMeasured(const CsvMeasuredRow& row)
{
    if (!csvIsOpen()) {
        return;
    }
    std::string text = std::to_string(csv.run) + "," + row.kind;
    for (const std::string& field : row.field) {
        text += "," + field;
    }
    writeRow(&csv.measured, text);
}

void csvClose()
{
    csvCloseFile(&csv.motion);
    csvCloseFile(&csv.response);
    csvCloseFile(&csv.sweep);
    csvCloseFile(&csv.measured);
    csv = CsvExport{notExporting, {}, {}, {}, {}, {}, false, {}, ExcitationKind::force};
    rowsLost = false;
}

CsvRowsWritten csvRowsWritten()
{
    // Every file's header is its first write.
    return {csv.motion.writes > 1, csv.response.writes > 1, csv.sweep.writes > 1,
            csv.measured.writes > 1};
}
