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
    // 3 ms late: the next tick comes 3 ms sooner, keeping to the 40 ms grid.
    ASSERT_TRUE(fireNext(0.003));
    ASSERT_EQ(timers.size(), 1u) << "one chain of timers, never two";
    EXPECT_EQ(timers[0].milliseconds, playFramePeriodMs - 3);
    // 200 ms late (a slow machine): the next at once (a timer needs 1 ms),
    // the one after a period later; the 200 ms are never made up.
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
    keyboard(' ', 0, 0); // resumed while the first chain's tick is pending
    EXPECT_TRUE(playIsPlaying());
    EXPECT_EQ(lastKey, 'f') << "the chart stays on show";
    ASSERT_EQ(timers.size(), 2u);
    fireNext();
    fireNext();
    EXPECT_EQ(fakePlatform::redrawsRequested, 1) << "the old chain ended";
    keyboard(' ', 0, 0);
    fireNext();
    EXPECT_EQ(fakePlatform::redrawsRequested, 1);
    EXPECT_TRUE(timers.empty());
}

TEST_F(Play, ClockStopsForTheDialogAndStartsAfresh)
{
    playStart();
    playHoldForDialog();
    fakePlatform::now += 30; // a long dialog
    playReleaseAfterDialog();
    fireNext(30); // the tick overdue since, of the old chain
    EXPECT_EQ(fakePlatform::redrawsRequested, 0);
    EXPECT_EQ(timers.back().milliseconds, playFramePeriodMs) << "a period after the dialog";
    // Paused before the dialog: still paused after it.
    playPause();
    playHoldForDialog();
    playReleaseAfterDialog();
    EXPECT_FALSE(playIsPlaying());
}

} // namespace
