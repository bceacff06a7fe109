// The window's sweep on the stand-in platform: the key 'w', the slices from
// the timer, the squares of the chart against NAME-sweep.csv, the motion left
// where it was, and the next dialog forgetting it all.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/keyboard.h"
#include "app/sweep_run.h"
#include "app/sweep_squares.h"
#include "tests/csv_fixture.h"
#include "tests/fake_platform.h"

namespace
{

class SweepRun : public CsvTest
{
  protected:
    void SetUp() override
    {
        CsvTest::SetUp();
        fakePlatform::reset();
        sweepForget();
    }
    // Fire the sweep's timers until none is left; what it wrote on stderr,
    // and in *printed what it wrote on standard output.
    static std::string finishSweep(std::string* printed = nullptr)
    {
        testing::internal::CaptureStderr();
        const std::string out = withConsole("", [] {
            while (fakePlatform::fireNext()) {
            }
        });
        if (printed != nullptr) {
            *printed = out;
        }
        return testing::internal::GetCapturedStderr();
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
    std::string printed;
    EXPECT_EQ(finishSweep(&printed), "") << "every point settles at zeta 0.05";
    EXPECT_FALSE(sweepUnderWay());
    EXPECT_EQ(framesDrawn(), 1u) << "one frame shows the finished sweep";
    EXPECT_EQ(std::memcmp(&run, &before, sizeof run), 0) << "and does not move the motion";
    EXPECT_EQ(readCsv(name + "-motion.csv").size(), 1u + 1) << "nor writes a frame";

    // A square on each side for every point, each point a row of the file
    // (tests/test_sweep_window.cpp matches them pixel by pixel): the 30
    // coarse points, then those the search added near the resonance.
    const auto rows = readCsv(name + "-sweep.csv");
    ASSERT_GT(rows.size(), 1u + 30);
    EXPECT_EQ(rows[0][6], "settled");
    EXPECT_EQ(rows[1][1], "0.1");
    EXPECT_EQ(rows[30][1], "3");
    for (std::size_t k = 31; k < rows.size(); k++) {
        EXPECT_EQ(rows[k][6], "1");
        EXPECT_NEAR(std::stod(rows[k][1]), 1, 0.1) << "near the peak and its band";
    }
    const std::size_t points = rows.size() - 1;
    EXPECT_EQ(squares(GL_POLYGON).size(), 2 * points);
    EXPECT_TRUE(squares(GL_LINES).empty());
    // The resonance's line, and its figures under the chart's legend.
    EXPECT_EQ(printed.rfind("掃引の共振 / sweep's resonance: rp= 0.99", 0), 0u) << printed;
    const std::vector<int> glyphs = glGlyphs();
    const std::string drawn(glyphs.begin(), glyphs.end());
    EXPECT_NE(drawn.find("r1=0.94"), std::string::npos) << drawn;
    EXPECT_NE(drawn.find("zeta~0.05"), std::string::npos) << drawn;

    // The next key moves on as ever, and 'w' again keeps the points it has.
    keyboard('s', 0, 0);
    EXPECT_DOUBLE_EQ(run.t, before.t + 0.04);
    keyboard('w', 0, 0);
    EXPECT_FALSE(sweepUnderWay());
    EXPECT_TRUE(fakePlatform::timers.empty());
    EXPECT_EQ(squares(GL_POLYGON).size(), 4 * points);
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
    EXPECT_FALSE(std::ifstream(name + "-sweep.csv").good()) << "no sweep, no file";
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
    const auto rows = readCsv(name + "-sweep.csv");
    ASSERT_EQ(rows.size(), 1u + 30) << "no search without damping";
    for (std::size_t k = 1; k < rows.size(); k++) {
        EXPECT_EQ(rows[k][6], "0");
    }
}

// The sweep file cannot be created: one line names it, its rows are lost,
// and the exit status says so; the other files go on.
TEST_F(SweepRun, SweepFileThatCannotBeCreatedIsSaidAndCounted)
{
    ASSERT_EQ(mkdir((name + "-sweep.csv").c_str(), 0700), 0);
    dialog('m', "1 0.2 4\n1 1\n1\n");
    keyboard('w', 0, 0);
    EXPECT_EQ(finishSweep(), "forced-vibration: CSV ファイルに書き込めません / cannot write " +
                                 name + "-sweep.csv: Is a directory\n");
    EXPECT_EQ(csvExitStatus(), 1);
    keyboard('s', 0, 0);
    EXPECT_EQ(readCsv(name + "-motion.csv").size(), 1u + 2);
    rmdir((name + "-sweep.csv").c_str());
}

} // namespace
