// --play in a real window: the motion advances by itself with no key
// pressed, the space bar pauses and resumes it, a chart on show stays on
// show; --csv records every frame, each new run from t = 0.
// Nothing here depends on the machine's speed: the waits are for frames,
// never for a pace (bench/bench_play.cpp measures that).
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tools/program_driver.h"

namespace
{

// The free swing y = sin 2t (m 1, lambda 0, K 4, no force, v0 2).
const std::string swingAnswers = "1 0 4\n0 0\n2\n0 2\n";
// How long a paused window must stay without frames: ten periods.
constexpr std::chrono::milliseconds pausedFor{400};

// The lines of a file.
std::vector<std::string> lines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> result;
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

// True if the chart's first label darkens the band right of the time plot
// where only the chart writes (pixels of an 800 x 800 window).
bool chartShown(const xvfb::Image& picture)
{
    for (int y = 28; y < 48; ++y)
        for (int x = 420; x < 700; ++x)
            if (picture.pixel(x, y).r < 100)
                return true;
    return false;
}

class PlayWindow : public testing::Test
{
  protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/fv-play-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        options.program = FV_PROGRAM;
        options.answers = swingAnswers;
        options.args = {"--play", "--csv", dir + "/swing"};
        options.settles = false;
    }
    void TearDown() override
    {
        std::remove((dir + "/swing-motion.csv").c_str());
        std::remove((dir + "/swing-response.csv").c_str());
        rmdir(dir.c_str());
    }
    std::string motionFile() const { return dir + "/swing-motion.csv"; }

    xvfb::Server server;
    fvdriver::Options options;
    std::string dir;
};

// Check that every row of the motion file is whole and that t goes up by one
// slice from row to row, from 0 again in each new run.
void expectWholeRowsOneSliceApart(const std::vector<std::string>& all)
{
    int lastRun = 0;
    double lastT = 0;
    for (std::size_t i = 1; i < all.size(); ++i) {
        int runNumber = 0;
        double t = 0;
        double yvf[3];
        ASSERT_EQ(std::sscanf(all[i].c_str(), "%d,%lf,%lf,%lf,%lf", &runNumber, &t, &yvf[0],
                              &yvf[1], &yvf[2]),
                  5)
            << all[i];
        EXPECT_NEAR(t, (runNumber == lastRun ? lastT : 0) + 0.04, 1e-9) << "row " << i;
        EXPECT_GE(runNumber, lastRun);
        lastRun = runNumber;
        lastT = t;
    }
}

TEST_F(PlayWindow, MovesByItselfPausesOnSpaceAndKeepsTheChart)
{
    fvdriver::Program program(server, options);
    // No key: frames keep coming, each a new row of the motion.
    const int start = program.framesSeen();
    ASSERT_TRUE(program.waitForFrames(start + 10));
    EXPECT_GE(lines(motionFile()).size(), 11u);

    // Space, then 'j': once the dialog has printed its end, the space has
    // been handled too (keys are handled in order). A frame the clock asked
    // for before may still come; then nothing, the dialog restarting nothing.
    program.sendKey(' ');
    program.answer("0\n");
    program.sendKey('j');
    ASSERT_TRUE(program.waitForOutput(fvdriver::dialogEnd, 2));
    // 'f' while paused draws its one frame; handled after everything before
    // it, so its frame counts all frames the keys before it caused.
    ASSERT_TRUE(program.sendKeyForFrame('f'));
    const int frames = program.framesSeen();
    const std::size_t rows = lines(motionFile()).size();
    // A paused clock sends nothing at all: only time can show it stays so.
    std::this_thread::sleep_for(pausedFor);
    EXPECT_LE(program.framesSeen(), frames + 1);
    EXPECT_LE(lines(motionFile()).size(), rows + 1);
    EXPECT_TRUE(chartShown(program.grab()));

    // Space again: the motion goes on and the chart stays on show in the
    // frames of the clock.
    program.sendKey(' ');
    ASSERT_TRUE(program.waitForFrames(program.framesSeen() + 10));
    EXPECT_TRUE(chartShown(program.grab()));
    EXPECT_GE(lines(motionFile()).size(), rows + 10);

    program.sendEscape();
    EXPECT_EQ(program.waitForExit(), 0);
    // Complete to the last frame: every row whole, t one slice apart.
    expectWholeRowsOneSliceApart(lines(motionFile()));
}

// A full disk: the motion file is /dev/full. One line on standard error
// names it and the reason, the motion goes on, the response file is whole,
// and the program ends with status 1.
TEST_F(PlayWindow, FullDiskIsSaidOnceTheMotionGoesOnAndTheStatusIsOne)
{
    ASSERT_EQ(symlink("/dev/full", motionFile().c_str()), 0);
    fvdriver::Program program(server, options);
    ASSERT_TRUE(program.waitForFrames(program.framesSeen() + 10));
    const std::string errors = program.errors();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_NE(errors.find(motionFile()), std::string::npos) << errors;
    EXPECT_NE(errors.find(std::strerror(ENOSPC)), std::string::npos) << errors;
    EXPECT_EQ(lines(dir + "/swing-response.csv").size(), 1u + 301);
    program.sendEscape();
    EXPECT_EQ(program.waitForExit(), 1);
}

// Closing the window ends the program as Escape does: status 0, or 1 once
// CSV rows were lost.
TEST_F(PlayWindow, ClosingTheWindowGivesTheSameStatus)
{
    for (const bool diskFull : {false, true}) {
        SCOPED_TRACE(diskFull ? "disk full" : "all rows written");
        std::remove(motionFile().c_str());
        if (diskFull) {
            ASSERT_EQ(symlink("/dev/full", motionFile().c_str()), 0);
        }
        fvdriver::Program program(server, options);
        xvfb::closeWindow(program.display(), program.window());
        EXPECT_EQ(program.waitForExit(), diskFull ? 1 : 0) << program.errors();
    }
}

} // namespace
