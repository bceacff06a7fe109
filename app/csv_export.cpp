// The motion and the frequency response written as CSV files.
#include "app/csv_export.h"

#include <stdio_ext.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

// The export's state: the two files and the run they are at.
struct CsvExport {
    CsvFile motion;   // NAME-motion.csv, not open when not exporting
    CsvFile response; // NAME-response.csv
    int run;          // 1 after the first dialog, +1 after each further one
};

// The run number while not exporting.
constexpr int notExporting = -1;

CsvExport csv = {{}, {}, notExporting};

// Set by the first failed write of any CSV file, and cleared only by
// csvClose (tests): the run lost rows, and its exit status says so.
bool rowsLost = false;

// The sweep file, apart from the two above: it exists only once a sweep has
// finished.
struct SweepCsv {
    std::string path; // NAME-sweep.csv; empty when not exporting
    CsvFile file;     // not open until the first sweep
};

SweepCsv sweepCsv;

// Write one finished row and hand it to the system at once.
void writeRow(CsvFile* file, const std::string& row)
{
    csvWrite(file, row + "\n");
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

std::string csvNumber(double value)
{
    // The fewest significant digits that read back as the same double. The
    // program never sets a locale, so %g writes '.' as the decimal point.
    // (std::to_chars would do the same, but the web build's C++ library
    // has it only for integers.)
    // Whole numbers up to 17 digits are written out (100000, not 1e+05).
    char text[32];
    int digits = 1;
    for (; digits < 17; digits++) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value) {
            break;
        }
    }
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    for (int more = digits + 1; more <= 17 && std::strstr(text, "e+") != nullptr; more++) {
        char longer[32];
        std::snprintf(longer, sizeof longer, "%.*g", more, value);
        if (std::strstr(longer, "e+") == nullptr) {
            std::snprintf(text, sizeof text, "%s", longer);
        }
    }
    return text;
}

bool csvOpen(const std::string& name, const double* zetas, int count, std::string* failedPath)
{
    csvClose();
    CsvFile motion;
    if (!csvOpenFile(&motion, name + "-motion.csv")) {
        *failedPath = motion.path;
        return false;
    }
    CsvFile response;
    if (!csvOpenFile(&response, name + "-response.csv")) {
        const int why = errno;
        csvCloseFile(&motion);
        *failedPath = response.path;
        errno = why;
        return false;
    }
    csv = CsvExport{motion, response, 0};

    writeRow(&csv.motion, "run,t (s),y (m),v (m/s),F(t)/K (m)");
    std::string header = "run,entered zeta,frequency ratio";
    for (int i = 0; i < count; i++) {
        const std::string zeta = csvNumber(zetas[i]);
        header += ",amplitude zeta=" + zeta + " (m),phase lag zeta=" + zeta + " (deg)";
    }
    header += ",amplitude entered zeta (m),phase lag entered zeta (deg)";
    writeRow(&csv.response, header);
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

void csvWriteFrame(double t, double y, double v, double forceOverK)
{
    if (!csvIsOpen()) {
        return;
    }
    writeRow(&csv.motion, std::to_string(csv.run) + "," + csvNumber(t) + "," + csvNumber(y) + "," +
                              csvNumber(v) + "," + csvNumber(forceOverK));
}

void csvNameSweep(const std::string& name)
{
    sweepCsv.path = name + "-sweep.csv";
}

bool csvWriteSweep(const CsvSweepRow* rows, int count, std::string* failedPath)
{
    if (sweepCsv.path.empty()) {
        return true;
    }
    if (sweepCsv.file.failed) {
        return true;
    }
    if (sweepCsv.file.stream == nullptr) {
        if (!csvOpenFile(&sweepCsv.file, sweepCsv.path)) {
            // Its rows are lost as surely as those of a failed write.
            sweepCsv.file.failed = true;
            rowsLost = true;
            *failedPath = sweepCsv.path;
            return false;
        }
        writeRow(&sweepCsv.file, "run,frequency ratio,measured amplitude (m),theory amplitude (m),"
                                "measured phase lag (deg),theory phase lag (deg),settled");
    }
    for (int k = 0; k < count; k++) {
        const CsvSweepRow& row = rows[k];
        writeRow(&sweepCsv.file, std::to_string(csv.run) + "," + csvNumber(row.ratio) + "," +
                                    csvNumber(row.measuredAmplitude) + "," +
                                    csvNumber(row.theoryAmplitude) + "," +
                                    csvNumber(row.measuredLag) + "," + csvNumber(row.theoryLag) +
                                    "," + (row.settled ? "1" : "0"));
    }
    return true;
}

void csvClose()
{
    csvCloseFile(&sweepCsv.file);
    sweepCsv = SweepCsv{};

    csvCloseFile(&csv.motion);
    csvCloseFile(&csv.response);
    csv = CsvExport{{}, {}, notExporting};
    rowsLost = false;
}

CsvRowsWritten csvRowsWritten()
{
    // Every file's header is its first write.
    return {csv.motion.writes > 1, csv.response.writes > 1, sweepCsv.file.writes > 1};
}
