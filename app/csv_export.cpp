// The motion and the frequency response written as CSV files.
#include "app/csv_export.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

// The export's state: the two files and the run they are at.
struct CsvExport {
    std::FILE* motion;   // NAME-motion.csv, null when not exporting
    std::FILE* response; // NAME-response.csv
    int run;             // 1 after the first dialog, +1 after each further one
};

CsvExport csv;

// The sweep file, apart from the two above: it exists only once a sweep has
// finished.
struct SweepCsv {
    std::string path; // NAME-sweep.csv; empty when not exporting
    std::FILE* file;  // null until the first sweep
};

SweepCsv sweepCsv;

// Write one finished row and hand it to the system at once.
void writeRow(std::FILE* file, const std::string& row)
{
    std::fputs(row.c_str(), file);
    std::fputc('\n', file);
    std::fflush(file);
}

// Open path for writing; null (errno kept) if it cannot be.
std::FILE* openForWriting(const std::string& path, std::string* failedPath)
{
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        *failedPath = path;
    }
    return file;
}

} // namespace

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
    std::FILE* motion = openForWriting(name + "-motion.csv", failedPath);
    if (motion == nullptr) {
        return false;
    }
    std::FILE* response = openForWriting(name + "-response.csv", failedPath);
    if (response == nullptr) {
        const int why = errno;
        std::fclose(motion);
        errno = why;
        return false;
    }
    csv = CsvExport{motion, response, 0};

    writeRow(motion, "run,t (s),y (m),v (m/s),F(t)/K (m)");
    std::string header = "run,entered zeta,frequency ratio";
    for (int i = 0; i < count; i++) {
        const std::string zeta = csvNumber(zetas[i]);
        header += ",amplitude zeta=" + zeta + " (m),phase lag zeta=" + zeta + " (deg)";
    }
    header += ",amplitude entered zeta (m),phase lag entered zeta (deg)";
    writeRow(response, header);
    return true;
}

bool csvIsOpen()
{
    return csv.motion != nullptr;
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
    std::fputs(rows.c_str(), csv.response);
    std::fflush(csv.response);
}

void csvWriteFrame(double t, double y, double v, double forceOverK)
{
    if (!csvIsOpen()) {
        return;
    }
    writeRow(csv.motion, std::to_string(csv.run) + "," + csvNumber(t) + "," + csvNumber(y) + "," +
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
    if (sweepCsv.file == nullptr) {
        sweepCsv.file = openForWriting(sweepCsv.path, failedPath);
        if (sweepCsv.file == nullptr) {
            return false;
        }
        writeRow(sweepCsv.file, "run,frequency ratio,measured amplitude (m),theory amplitude (m),"
                                "measured phase lag (deg),theory phase lag (deg),settled");
    }
    for (int k = 0; k < count; k++) {
        const CsvSweepRow& row = rows[k];
        writeRow(sweepCsv.file, std::to_string(csv.run) + "," + csvNumber(row.ratio) + "," +
                                    csvNumber(row.measuredAmplitude) + "," +
                                    csvNumber(row.theoryAmplitude) + "," +
                                    csvNumber(row.measuredLag) + "," + csvNumber(row.theoryLag) +
                                    "," + (row.settled ? "1" : "0"));
    }
    return true;
}

void csvClose()
{
    if (sweepCsv.file != nullptr) {
        std::fclose(sweepCsv.file);
    }
    sweepCsv = SweepCsv{};

    if (csv.motion != nullptr) {
        std::fclose(csv.motion);
        std::fclose(csv.response);
    }
    csv = CsvExport{nullptr, nullptr, 0};
}
