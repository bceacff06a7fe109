// The CSV files of --csv: the motion against the program's own integrator,
// the response against the frequency tables.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/display.h"
#include "model/shortest_decimal.h"
#include "sim/runge_kutta_gill.h"
#include "tests/csv_fixture.h"

namespace
{

using Row = CsvRow;

double number(const std::string& cell)
{
    return std::strtod(cell.c_str(), nullptr);
}

using CsvExport = CsvTest;

TEST_F(CsvExport, MotionRowsAreTheIntegratorsFramesRunByRun)
{
    dialog('m', "1 0.2 4\n1 1\n2\n0.1 -0.3\n");
    for (int frame = 0; frame < 30; frame++) {
        display();
    }
    dialog('j', "0\n");
    for (int frame = 0; frame < 5; frame++) {
        display();
    }
    csvClose();

    const std::vector<Row> rows = readCsv(name + "-motion.csv");
    ASSERT_EQ(rows.size(), 1u + 30 + 5);
    // The energies and powers after the columns of old, which read the same.
    EXPECT_EQ(rows[0], (Row{"run", "t (s)", "y (m)", "v (m/s)", "F(t)/K (m)", "KE (J)", "PE (J)",
                            "input P (W)", "damper P (W)"}));

    // The same motion integrated here, slice by slice; every number must
    // read back as exactly the double the program had.
    for (const int runNumber : {1, 2}) {
        double t = 0;
        double state[2] = {runNumber == 1 ? 0.1 : 0.0, runNumber == 1 ? -0.3 : 0.0};
        const std::size_t first = runNumber == 1 ? 1 : 31;
        const std::size_t count = runNumber == 1 ? 30 : 5;
        for (std::size_t i = first; i < first + count; i++) {
            for (int step = 0; step < 4; step++) {
                double start[2] = {state[0], state[1]};
                rungeKuttaGill(t, dt, start, state, 2);
                t = t + dt;
            }
            SCOPED_TRACE(i);
            ASSERT_EQ(rows[i].size(), 9u);
            EXPECT_EQ(rows[i][0], std::to_string(runNumber));
            EXPECT_EQ(number(rows[i][1]), t);
            EXPECT_EQ(number(rows[i][2]), state[0]);
            EXPECT_EQ(number(rows[i][3]), state[1]);
            EXPECT_EQ(number(rows[i][4]), std::sin(1.0 * t) * 0.25);
            EXPECT_DOUBLE_EQ(number(rows[i][5]), 0.5 * state[1] * state[1]);
            EXPECT_DOUBLE_EQ(number(rows[i][6]), 0.5 * 4 * state[0] * state[0]);
            EXPECT_DOUBLE_EQ(number(rows[i][7]), std::sin(1.0 * t) * state[1]);
            EXPECT_DOUBLE_EQ(number(rows[i][8]), 0.2 * state[1] * state[1]);
        }
    }
}

TEST_F(CsvExport, ResponseRowsAreTheChartsCurvesInDegrees)
{
    dialog('m', "1 0.2 4\n1 1\n1\n");
    dialog('g', "2 3\n0\n"); // As 0.5 now
    csvClose();

    const std::vector<Row> rows = readCsv(name + "-response.csv");
    const std::size_t samples = 301; // ratios 0, 0.02, ..., 6
    ASSERT_EQ(rows.size(), 1 + 2 * samples);
    const Row& header = rows[0];
    ASSERT_EQ(header.size(), 3u + 2 * zetaTableSize + 2);
    EXPECT_EQ(header[2], "frequency ratio");
    EXPECT_EQ(header[3], "amplitude zeta=0 (m)");
    EXPECT_EQ(header[14], "phase lag zeta=0.7071 (deg)");
    EXPECT_EQ(header[19], "amplitude zeta=5 (m)");
    EXPECT_EQ(header.back(), "phase lag entered zeta (deg)");

    // Run 2's rows against the tables as the second pass left them.
    for (std::size_t k = 0; k < samples; k++) {
        const Row& row = rows[1 + samples + k];
        SCOPED_TRACE(k);
        ASSERT_EQ(row.size(), header.size());
        EXPECT_EQ(row[0], "2");
        EXPECT_EQ(number(row[1]), derived.zeta);
        EXPECT_EQ(number(row[2]), static_cast<double>(k) * 0.02);
        for (int i = 0; i < zetaTableSize; i++) {
            EXPECT_EQ(number(row[3 + 2 * i]), tables.zetaAmp[i][k]);
            EXPECT_EQ(number(row[4 + 2 * i]), tables.zetaPhase[i][k] * 180);
        }
        EXPECT_EQ(number(row[21]), tables.givenAmp[k]);
        EXPECT_EQ(number(row[22]), tables.givenPhase[k] * 180);
    }
    EXPECT_EQ(rows[1][0], "1");
    EXPECT_EQ(number(rows[1][3]), 0.25) << "run 1 had As = 0.25";
}

// The lines of what was written to standard error during action.
template <typename Action> std::vector<std::string> errorLines(Action action)
{
    testing::internal::CaptureStderr();
    action();
    std::stringstream text(testing::internal::GetCapturedStderr());
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line);
    }
    return lines;
}

// A full device: the motion file is /dev/full. Its first write, the header,
// fails and is said once; the frames go on writing nothing to it; the
// response file is whole; the run's status is 1.
TEST_F(CsvExport, FullDeviceIsSaidOnceAndTheOtherFileGoesOn)
{
    csvClose();
    std::remove((name + "-motion.csv").c_str());
    ASSERT_EQ(symlink("/dev/full", (name + "-motion.csv").c_str()), 0);
    const std::vector<std::string> errors = errorLines([&] {
        ASSERT_TRUE(csvOpen(name, zetaTable, zetaTableSize));
        dialog('m', "1 0.2 4\n1 1\n1\n");
        drawUnrecorded();
        for (int frame = 0; frame < 10; frame++) {
            display();
        }
    });
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find(name + "-motion.csv"), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find(std::strerror(ENOSPC)), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find("書き込めません"), std::string::npos) << errors[0];
    EXPECT_EQ(csvExitStatus(), 1);
    csvClose();
    EXPECT_EQ(readCsv(name + "-response.csv").size(), 1u + 301);
    EXPECT_EQ(csvExitStatus(), 0);
}

// A file that reaches its size limit (as a quota or a full disk stops it
// part-way): the rows before are kept, the failure is said once, and
// nothing reaches the file afterwards, even once there would be room again.
TEST_F(CsvExport, FileThatStopsGrowingGetsNothingAfterItsFailure)
{
    const std::string path = dir + "/limited.csv";
    // Bytes the file may hold; the captured error output must fit too.
    constexpr rlim_t limit = 4096;
    const std::string row(3000, 'x');
    CsvFile file;
    ASSERT_TRUE(csvOpenFile(&file, path));
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    const auto previousSignal = signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> errors = errorLines([&] {
        rlimit limited = before;
        limited.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &limited);
        csvWrite(&file, row + "\n");
        csvWrite(&file, row + "\n");
        setrlimit(RLIMIT_FSIZE, &before);
        csvWrite(&file, "more\n");
    });
    signal(SIGXFSZ, previousSignal);
    csvCloseFile(&file);

    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find(path), std::string::npos) << errors[0];
    EXPECT_NE(errors[0].find(std::strerror(EFBIG)), std::string::npos) << errors[0];
    EXPECT_TRUE(file.failed);
    struct stat status {
    };
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_size, static_cast<off_t>(limit));
    EXPECT_EQ(csvExitStatus(), 1);
    std::remove(path.c_str());
}

// Numbers read back exactly, in their shortest form, whole numbers written
// out: the chart's stand-in for infinity is 100000 in a spreadsheet too.
TEST(CsvNumber, ShortestExactAndWholeNumbersWrittenOut)
{
    EXPECT_EQ(csvNumber(0.04), "0.04");
    EXPECT_EQ(csvNumber(100000), "100000");
    EXPECT_EQ(csvNumber(-2.5e-7), "-2.5e-07");
    for (const double x : {0.1 + 0.2, 1.0 / 3, -std::sqrt(2.0) * 1e20, 5e-324}) {
        EXPECT_EQ(number(csvNumber(x)), x) << csvNumber(x);
    }
}

// The integer arithmetic gives the search's text, byte for byte: on numbers
// of every size, on the ends of rounding intervals (powers of two, ties of
// short decimals) and on the motion's own times and values.
// The fewest digits of %g that read back, every precision tried in turn.
std::string everyPrecisionTried(double value)
{
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

TEST(CsvNumber, FastPathWritesWhatTheSearchWrites)
{
    std::vector<double> values = {
        0.5, 0.25, 1e-4, 9.5, 0.095, 1e15 - 1, 123456789012345.6, 0.30000000000000004};
    for (int e = -20; e < 52; e++) {
        values.push_back(std::ldexp(1.0, e));
        values.push_back(std::nextafter(std::ldexp(1.0, e), 0.0));
    }
    for (int k = 1; k < 2000; k++) {
        values.push_back(k * 0.005);
        values.push_back(-k / 7.0e3);
    }
    double t = 0;
    for (int k = 0; k < 4000; k++) {
        t += 0.01;
        values.push_back(t);
        values.push_back(0.3326 * std::sin(t));
        values.push_back(1e-3 * std::sin(t) * std::sin(t));
    }
    std::mt19937_64 random(28);
    std::uniform_real_distribution<double> exponent(-12.0, 16.0);
    for (int k = 0; k < 20000; k++) {
        values.push_back(std::pow(10.0, exponent(random)));
    }
    for (const double x : values) {
        const std::string expected = everyPrecisionTried(x);
        ASSERT_EQ(csvNumber(x), expected) << std::hexfloat << x;
        ASSERT_EQ(shortestNumberBySearch(x), expected) << std::hexfloat << x;
        ASSERT_EQ(csvNumber(-x), everyPrecisionTried(-x)) << std::hexfloat << x;
    }
}

} // namespace
