// The window's sweep on the stand-in platform: the key 'w', the slices from
// the timer, the squares of the chart against NAME-sweep.csv, the motion left
// where it was, and the next dialog forgetting it all.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "app/csv_export.h"
#include "app/dialog_pass.h"
#include "app/keyboard.h"
#include "app/sweep_run.h"
#include "app/sweep_squares.h"
#include "tests/console_capture.h"
#include "tests/fake_platform.h"
#include "tests/frame_fixture.h"

namespace
{

std::vector<std::vector<std::string>> readCsv(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> row;
        std::stringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');) {
            row.push_back(cell);
        }
        rows.push_back(row);
    }
    return rows;
}

class SweepRun : public FrameTest
{
  protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        fakePlatform::reset();
        sweepForget();
        char pattern[] = "/tmp/fv-sweep-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        ASSERT_TRUE(csvOpen(dir + "/lab", zetaTable, zetaTableSize));
    }
    void TearDown() override
    {
        csvClose();
        for (const char* file : {"/lab-motion.csv", "/lab-response.csv", "/lab-sweep.csv"}) {
            std::remove((dir + file).c_str());
        }
        rmdir(dir.c_str());
    }
    static void dialog(char entry, const std::string& answers)
    {
        lastKey = entry;
        withConsole(answers, runDialogPass);
    }
    // Fire the sweep's timers until none is left; what it wrote on stderr.
    static std::string finishSweep()
    {
        std::fflush(stderr);
        const int saved = dup(2);
        std::FILE* capture = std::tmpfile();
        dup2(fileno(capture), 2);
        while (fakePlatform::fireNext()) {
        }
        std::fflush(stderr);
        dup2(saved, 2);
        close(saved);
        std::rewind(capture);
        std::string text;
        for (int c; (c = std::fgetc(capture)) != EOF;) {
            text += static_cast<char>(c);
        }
        std::fclose(capture);
        return text;
    }
    static std::vector<GlPrimitive> squares(GLenum mode)
    {
        std::vector<GlPrimitive> found;
        for (const GlPrimitive& p : glPrimitives()) {
            if (p.mode == mode && p.colour == glColourOf(sweepColour)) {
                found.push_back(p);
            }
        }
        return found;
    }
    std::string dir;
};

TEST_F(SweepRun, WShowsTheChartAtOnceAndTheSquaresWhenDoneWithoutMovingTheMotion)
{
    dialog('m', "1 0.2 4\n1 1\n1\n");
    keyboard('w', 0, 0);
    EXPECT_EQ(framesDrawn(), 1u);
    EXPECT_EQ(lastKey, 'w');
    EXPECT_TRUE(sweepUnderWay());
    const ::Run before = run;

    clearGlCalls();
    EXPECT_EQ(finishSweep(), "") << "every point settles at zeta 0.05";
    EXPECT_FALSE(sweepUnderWay());
    EXPECT_EQ(framesDrawn(), 1u) << "one frame shows the finished sweep";
    EXPECT_EQ(std::memcmp(&run, &before, sizeof run), 0) << "and does not move the motion";
    EXPECT_EQ(readCsv(dir + "/lab-motion.csv").size(), 1u + 1) << "nor writes a frame";

    // A square on each side for every point, each point a row of the file
    // (tests/test_sweep_window.cpp matches them pixel by pixel).
    const auto rows = readCsv(dir + "/lab-sweep.csv");
    ASSERT_EQ(rows.size(), 1u + 30);
    EXPECT_EQ(rows[0][6], "settled");
    EXPECT_EQ(rows[1][1], "0.1");
    EXPECT_EQ(rows[30][6], "1");
    EXPECT_EQ(squares(GL_POLYGON).size(), 60u);
    EXPECT_TRUE(squares(GL_LINES).empty());

    // The next key moves on as ever, and 'w' again keeps the points it has.
    keyboard('s', 0, 0);
    EXPECT_DOUBLE_EQ(run.t, before.t + 0.04);
    keyboard('w', 0, 0);
    EXPECT_FALSE(sweepUnderWay());
    EXPECT_TRUE(fakePlatform::timers.empty());
    EXPECT_EQ(squares(GL_POLYGON).size(), 60u + 60u);
}

TEST_F(SweepRun, ADialogForgetsTheSquaresAndStopsASweepUnderWay)
{
    dialog('m', "1 0.2 4\n1 1\n1\n");
    keyboard('w', 0, 0);
    dialog('j', "0\n");
    clearGlCalls();
    EXPECT_EQ(finishSweep(), "");
    EXPECT_EQ(framesDrawn(), 0u) << "the stopped sweep draws nothing";
    keyboard('f', 0, 0);
    EXPECT_TRUE(squares(GL_POLYGON).empty());
    EXPECT_FALSE(std::ifstream(dir + "/lab-sweep.csv").good()) << "no sweep, no file";
}

TEST_F(SweepRun, UndampedPointsAreHollowAndOneLineSaysWhy)
{
    dialog('m', "1 0 4\n0.2 1.6\n0\n");
    keyboard('w', 0, 0);
    clearGlCalls();
    const std::string said = finishSweep();
    EXPECT_EQ(said,
              "掃引：減衰がない（ζ ≤ 0）ため過渡振動が消えず、30 点が定常に達しません / "
              "sweep: with no damping (zeta <= 0) the transient never dies away; 30 points did "
              "not settle\n");
    EXPECT_TRUE(squares(GL_POLYGON).empty());
    std::size_t outlined = 0;
    for (const GlSegment& s : glSegments()) {
        outlined += s.colour == glColourOf(sweepColour) ? 1 : 0;
    }
    EXPECT_EQ(outlined, 60u * 4);
    const auto rows = readCsv(dir + "/lab-sweep.csv");
    ASSERT_EQ(rows.size(), 1u + 30);
    for (std::size_t k = 1; k < rows.size(); k++) {
        EXPECT_EQ(rows[k][6], "0");
    }
}

} // namespace
