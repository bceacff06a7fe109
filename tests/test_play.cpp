// The clock of continuous motion, run by hand on the stand-in platform.
#include <gtest/gtest.h>

#include "app/keyboard.h"
#include "app/play.h"
#include "tests/fake_platform.h"
#include "tests/frame_fixture.h"

namespace
{

using fakePlatform::fireNext;
using fakePlatform::timers;

class Play : public FrameTest
{
  protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        playPause();
        fakePlatform::reset();
        playEnable();
    }
    void TearDown() override { playPause(); }
};

TEST_F(Play, OneFrameAPeriodWithoutDriftOrBursts)
{
    playStart();
    ASSERT_EQ(timers.size(), 1u);
    EXPECT_EQ(timers[0].milliseconds, playFramePeriodMs);

    // A tick 3 ms late: the next comes 3 ms sooner, so the frames keep to
    // the 40 ms grid on average.
    ASSERT_TRUE(fireNext(0.003));
    EXPECT_EQ(fakePlatform::redrawsRequested, 1);
    ASSERT_EQ(timers.size(), 1u) << "one chain of timers, never two";
    EXPECT_EQ(timers[0].milliseconds, playFramePeriodMs - 3);

    // A frame 200 ms late (a slow machine): the next tick comes at once (a
    // timer needs 1 ms at least) and the one after a period after the late
    // one; the 200 ms are never made up.
    ASSERT_TRUE(fireNext(0.200));
    EXPECT_EQ(timers[0].milliseconds, 1u);
    ASSERT_TRUE(fireNext());
    EXPECT_EQ(timers[0].milliseconds, playFramePeriodMs - 1);
    EXPECT_EQ(fakePlatform::redrawsRequested, 3) << "one redraw per tick";
    EXPECT_EQ(framesDrawn(), 0u) << "the clock only asks; the window draws";
}

TEST_F(Play, SpacePausesAndResumesWithoutTouchingTheLastKey)
{
    keyboard('f', 0, 0);
    playStart();
    keyboard(' ', 0, 0);
    EXPECT_FALSE(playIsPlaying());
    EXPECT_EQ(lastKey, 'f') << "the chart stays on show";
    // The pending tick of the paused clock asks for nothing.
    ASSERT_TRUE(fireNext());
    EXPECT_EQ(fakePlatform::redrawsRequested, 0);
    EXPECT_TRUE(timers.empty());

    keyboard(' ', 0, 0);
    EXPECT_TRUE(playIsPlaying());
    EXPECT_EQ(lastKey, 'f');
    ASSERT_TRUE(fireNext());
    EXPECT_EQ(fakePlatform::redrawsRequested, 1);
}

TEST_F(Play, QuickPauseAndResumeKeepsOneChain)
{
    playStart();
    playToggle();
    playToggle(); // the first chain's tick is still pending
    ASSERT_EQ(timers.size(), 2u);
    fireNext();
    fireNext();
    EXPECT_EQ(fakePlatform::redrawsRequested, 1);
    EXPECT_EQ(timers.size(), 1u);
}

TEST_F(Play, ClockStopsForTheDialogAndStartsAfresh)
{
    playStart();
    playHoldForDialog();
    EXPECT_FALSE(playIsPlaying());
    // The dialog took 30 s; the tick then overdue belongs to the old chain.
    fakePlatform::now += 30;
    playReleaseAfterDialog();
    EXPECT_TRUE(playIsPlaying());
    ASSERT_EQ(timers.size(), 2u);
    fireNext(30);
    EXPECT_EQ(fakePlatform::redrawsRequested, 0);
    EXPECT_EQ(timers.back().milliseconds, playFramePeriodMs) << "a period after the dialog";

    // Paused before the dialog: still paused after it.
    playPause();
    playHoldForDialog();
    playReleaseAfterDialog();
    EXPECT_FALSE(playIsPlaying());
}

} // namespace
