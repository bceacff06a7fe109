// The key commands against the recording OpenGL stand-in.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "app/keyboard.h"
#include "app/keys.h"
#include "app/options.h"
#include "tests/console_capture.h"
#include "tests/frame_fixture.h"

namespace
{

using Keyboard = FrameTest;

void press(const std::string& keys)
{
    for (const char key : keys) {
        keyboard(static_cast<unsigned char>(key), 17, 23);
    }
}

TEST_F(Keyboard, StepKeyAdvancesOneSliceAPress)
{
    press("sssss");
    EXPECT_EQ(framesDrawn(), 5u);
    EXPECT_EQ(run.histIndex, 5);
    EXPECT_NEAR(run.t, 5 * 0.04, 1e-12);
    EXPECT_EQ(lastKey, 's');
}

TEST_F(Keyboard, ZoomKeysScaleByTheFactorAndDrawAFrame)
{
    press("y");
    EXPECT_EQ(view.yScale, 0.9 * startYScale);
    EXPECT_EQ(view.zetaAmpScale[8], 0.9 * startYScale);
    EXPECT_EQ(view.zetaPhaseScale[8], startPhaseScale) << "the phase curves keep their size";
    press("Y");
    EXPECT_EQ(view.yScale, (0.9 * startYScale) / 0.9);
    EXPECT_EQ(view.zetaAmpScale[0], (0.9 * startYScale) / 0.9);
    EXPECT_EQ(lastKey, 'Y');

    press("tT");
    EXPECT_EQ(view.timeScale, (0.9 * startTimeScale) / 0.9);
    press("xxX");
    EXPECT_EQ(view.freqXScale, (0.9 * (0.9 * startFreqXScale)) / 0.9);
    EXPECT_EQ(framesDrawn(), 7u);
}

TEST_F(Keyboard, ChartComesAndGoesWithTheLastKey)
{
    press("s");
    EXPECT_EQ(glCallCount("glutBitmapCharacter"), 70u); // the time plot's labels only
    clearGlCalls();
    press("f");
    EXPECT_GT(glCallCount("glutBitmapCharacter"), 70u);
    clearGlCalls();
    press("s");
    EXPECT_EQ(glCallCount("glutBitmapCharacter"), 70u);
}

TEST_F(Keyboard, UnknownKeysOnlyChangeTheLastKey)
{
    const double t = run.t;
    press("MSFqz1 ");
    EXPECT_EQ(framesDrawn(), 0u);
    EXPECT_EQ(lastKey, ' ');
    EXPECT_EQ(run.t, t);
}

TEST_F(Keyboard, HistoryIndexStaysInsideItsBuffers)
{
    drawUnrecorded();
    for (const int presses : {7, 20}) {
        SCOPED_TRACE(presses);
        resetRun();
        press(std::string(static_cast<std::size_t>(presses), 't'));
        int highest = 0;
        for (int frame = 0; frame < 600; frame++) {
            press("s");
            ASSERT_LE(run.histIndex, rowLength - 1);
            highest = std::max(highest, run.histIndex);
        }
        // The buffers are used to their end before the index wraps.
        EXPECT_EQ(highest, rowLength - 1);
    }
}

// Run keys with the console reading `answers`; return what it printed.
std::string pressWithConsole(const std::string& keys, std::string answers)
{
    return withConsole(std::move(answers), [&keys] { press(keys); });
}

TEST_F(Keyboard, DialogKeysRunTheDialogFromTheirEntryAndDrawNothing)
{
    press("ffyy");
    const std::string initial = pressWithConsole("j", "2\n0.1 0\n");
    EXPECT_EQ(initial.find("マスm[kg]"), std::string::npos);
    EXPECT_EQ(initial.find("強制振動振幅"), std::string::npos);
    EXPECT_EQ(view.yScale, startYScale) << "the run reset undoes the zoom";
    EXPECT_EQ(run.t, 0.0);
    EXPECT_EQ(run.histIndex, 0);
    EXPECT_EQ(run.state[0], 0.1);
    EXPECT_EQ(lastKey, 'j');
    clearGlCalls();

    const std::string force = pressWithConsole("g", "2 1\n0\n");
    EXPECT_EQ(force.find("マスm[kg]"), std::string::npos);
    EXPECT_NE(force.find("強制振動振幅"), std::string::npos);
    EXPECT_EQ(derived.As, 0.5);

    const std::string whole = pressWithConsole("m", "2 0 8\n1 1\n0\n");
    EXPECT_NE(whole.find("マスm[kg]"), std::string::npos);
    EXPECT_EQ(derived.om0, 2.0);
    EXPECT_EQ(framesDrawn(), 0u);
    // The next frame starts the time plot again, without the chart.
    press("s");
    EXPECT_EQ(run.histIndex, 1);
    EXPECT_NEAR(run.t, 0.04, 1e-15);
}

TEST_F(Keyboard, EveryDialogKeyPutsTheWholeViewBack)
{
    drawUnrecorded();
    for (const char* entry : {"m", "g", "j"}) {
        SCOPED_TRACE(entry);
        press("yyttxxTY");
        for (double& scale : view.zetaPhaseScale) {
            scale = 7;
        }
        pressWithConsole(entry, "1 0.2 4\n1 1\n1\n");
        EXPECT_EQ(view.yScale, startYScale);
        EXPECT_EQ(view.timeScale, startTimeScale);
        EXPECT_EQ(view.freqXScale, startFreqXScale);
        EXPECT_EQ(view.vibPlotOrigin.x, startVibPlotOrigin.x);
        EXPECT_EQ(view.axesOrigin.x, startAxesOrigin.x);
        EXPECT_EQ(view.freqPlotOrigin.x, startVibPlotOrigin.x);
        for (int i = 0; i < zetaTableSize; i++) {
            EXPECT_EQ(view.zetaAmpScale[i], startYScale);
            EXPECT_EQ(view.zetaPhaseScale[i], startPhaseScale);
        }
    }
}

TEST_F(Keyboard, EscapeEndsAtOnceWithStatusZero)
{
    EXPECT_EXIT(press("\x1b"), testing::ExitedWithCode(0), "^$");
}

TEST_F(Keyboard, EndOfInputInALaterDialogEndsWithStatusOne)
{
    EXPECT_EXIT(pressWithConsole("g", "1"), testing::ExitedWithCode(1), "入力が終わりました");
}

std::string fileText(const std::string& path)
{
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// The text between the first open after at and the close after it; at
// moves past it. Empty, and at npos, when there is none.
std::string between(const std::string& text, std::size_t* at, const std::string& open,
                    const std::string& close)
{
    const std::size_t start = text.find(open, *at);
    const std::size_t end =
        start == std::string::npos ? start : text.find(close, start + open.size());
    if (end == std::string::npos) {
        *at = std::string::npos;
        return "";
    }
    *at = end + close.size();
    return text.substr(start + open.size(), end - start - open.size());
}

// The page's key pad and hint and --help say the keys as the table has them.
// (Plain string searches: std::regex trips GCC's uninitialised-use warning
// under the sanitizers.)
TEST(KeyTable, KeyPadHintAndHelpAgreeWithIt)
{
    const std::string page = fileText(FV_WEB_DIR "/index.html");
    int k = 0;
    for (std::size_t at = 0;; k++) {
        const std::string pageKey = between(page, &at, "data-key=\"", "\"");
        if (at == std::string::npos) {
            break;
        }
        ASSERT_LT(k, windowKeyCount) << pageKey;
        const WindowKey& key = windowKeys[k];
        EXPECT_EQ(pageKey, key.pageKey);
        EXPECT_EQ(between(page, &at, "<kbd>", "</kbd>"), key.cap);
        EXPECT_EQ(between(page, &at, "<span>", "</span>"),
                  std::string(key.labelJa) + " / " + key.labelEn);
    }
    EXPECT_EQ(k, windowKeyCount);
    // The hint names every key but the space bar, in the key pad's order.
    std::string caps;
    for (int i = 1; i < windowKeyCount; i++) {
        caps += std::string(i == 1 ? "" : " ") + windowKeys[i].cap;
    }
    std::size_t at = 0;
    std::string hint = between(fileText(FV_WEB_DIR "/controls.js"), &at, "go to the window: ", ".");
    hint.erase(std::remove(hint.begin(), hint.end(), ','), hint.end());
    EXPECT_EQ(hint, caps);
    EXPECT_EQ(windowKeys[0].action, KeyAction::playPause);
    EXPECT_EQ(windowKeys[0].code, ' ') << "--help: space pauses and resumes";
    EXPECT_EQ(windowKeys[3].action, KeyAction::sweep);
    EXPECT_NE(std::string(usageText).find(std::string("the key ") + char(windowKeys[3].code)),
              std::string::npos);
}

} // namespace
