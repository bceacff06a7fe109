// The built program under abuse in a window of a private X server: a
// thousand random keys, long runs of every zoom key, a window shrunk to one
// pixel, and parameters that make the motion infinite or undefined. Whatever
// comes, every key that redraws must bring exactly one frame, every dialog
// must finish, and afterwards the program must still draw on 's' and end
// with status 0 on Escape, with nothing on its error output.
#include "tools/program_driver.h"
#include "tools/worked_example_setup.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace
{

const char* const programPath = FV_PROGRAM;

// The worked example, started on the steady state.
const std::string exampleAnswers = workedExampleAnswers;
// The answers of 'j' that start the run again on the steady state.
const std::string steadyRestart = "1\n";

// Answers of the dialogs the random keys start, taken in turn: odd values,
// an entry that is not a number, a key that is not one of the three.
const std::vector<std::string> springMassAnswers = {
    "0 0.2 4\n1 1\n1\n0\n",          // zero mass: no steady start, so from rest
    "1 -0.2 4\n1 2\n1\n",            // negative damping, on the steady state
    "inf 1 1\n1 1\n1\n0\n",          // infinite mass: no steady start either
    "abc\n1 0.2 4\n1 2\n2\n0.5 0\n", // a word first, then a typed start
    "nan nan nan\nnan nan\n1\n0\n",  // nothing defined
    "1 0.2 0\n1 1\n0\n",             // zero spring constant
};
const std::vector<std::string> forceAnswers = {
    "1 2\n0\n", "0 0\n0\n", "1e308 1e308\n2\n1e308 -1e308\n",
    "inf nan\n1\n0\n", // no steady start: from rest
};
const std::vector<std::string> initialStateAnswers = {
    "0\n",           // at rest
    "x0\n",          // 'x' is no answer: the question is asked again
    "2\n0.3 -0.5\n", // a typed start
    "2\nnan inf\n",  // a typed start of nan and inf
    "2\n1 0\n",      // a typed start (the steady one may not exist by now)
};

// Parameters whose formulas and motion give inf and nan from the start.
struct OddRun {
    const char* what;
    std::string answers;
};
const OddRun oddRuns[] = {
    {"zero mass", "0 0.2 4\n1 1\n1\n0\n"},
    {"zero spring constant", "1 0.2 0\n1 1\n0\n"},
    {"infinite mass", "inf 1 1\n1 1\n1\n0\n"},
    {"nothing defined", "nan nan nan\nnan nan\n1\n0\n"},
};

// Every key of the window that redraws at once.
const std::string redrawingKeys = fvdriver::redrawingKeys;

// The random run: its seed (fixed, so a failure can be repeated) and length.
constexpr unsigned randomSeed = 20240601;
constexpr int randomKeyCount = 1000;
// Control characters the random run types besides printable ASCII: Return,
// Tab and BackSpace as sendKey types them, and Delete (sent by its keysym).
const std::string controlKeys = "\n\t\b\x7f";
constexpr char deleteKey = '\x7f';
constexpr xvfb::KeySym deleteKeysym = 0xffff; // XK_Delete

// Presses of each zoom key in a row: each scale moves by 0.9^50, about 200
// times, and after seven 't' the time axis would outrun the history buffers.
constexpr int zoomPresses = 50;
// 's' frames after the 't' presses that carry the history index past the
// last of the buffers' 501 slots, so that it must wrap there.
constexpr int framesPastLastSlot = 460;

// The window's size at start, pixels.
constexpr int startSize = xvfb::programWindowSize;
// How many times the window is shrunk to one pixel and grown back.
constexpr int tinyResizes = 3;
// At least this many red pixels belong to the mass disc of the worked
// example at the start-up scales: its radius is 16 pixels (about 800 pixels
// of area), with room for the arrow and the trace covering part of it.
constexpr int massDiscPixels = 400;
constexpr xvfb::Rgb red{255, 0, 0};

// How long one frame or dialog may take: the sanitizer build is slower, and
// the suite runs two tests at a time.
constexpr std::chrono::seconds frameTimeout{20};
// How long the frames of a run of keys typed without waiting may take in all.
constexpr std::chrono::seconds framesTimeout{90};
// How often that wait looks at the frame count and at the program.
constexpr std::chrono::milliseconds pollInterval{20};
// How much of the program's error output (a sanitizer's report, say) a
// failure message quotes.
constexpr std::size_t quotedErrorLength = 4000;

// --- the fixture

class Abuse : public ::testing::Test
{
  protected:
    // Start the program with the answers of its first dialog (and of later
    // ones, if known); wait for its window.
    void start(const std::string& answers)
    {
        fvdriver::Options options;
        options.program = programPath;
        options.answers = answers;
        options.frameTimeout = frameTimeout;
        program = std::make_unique<fvdriver::Program>(server, options);
        passes = 1;
    }

    // How the program fares, for a failure message: still running, or its
    // exit status and what it wrote on its error output.
    std::string fate()
    {
        if (program->running())
            return "the program still runs";
        return "the program ended with status " +
               std::to_string(program->waitForExit(std::chrono::milliseconds(0)).value_or(-1)) +
               "; its errors:\n" + program->errors().substr(0, quotedErrorLength);
    }

    // Type 'j' and let its dialog start the run again on the steady state:
    // every scale is back at its start value.
    void restart()
    {
        ASSERT_TRUE(program->answer(steadyRestart));
        program->sendKey('j');
        ASSERT_TRUE(program->waitForOutput(fvdriver::dialogEnd, ++passes))
            << "the dialog of 'j' did not finish; " << fate();
    }

    // Type a key that runs a dialog whose answers are already written.
    void runDialog(char key)
    {
        program->sendKey(key);
        ASSERT_TRUE(program->waitForOutput(fvdriver::dialogEnd, ++passes))
            << "the dialog of '" << key << "' did not finish; " << fate();
    }

    // Type a redrawing key `times` times, each time waiting for its frame.
    void press(char key, int times = 1)
    {
        for (int i = 0; i < times; ++i) {
            ASSERT_TRUE(program->running()) << fate();
            ASSERT_TRUE(program->sendKeyForFrame(key))
                << "no frame after press " << i + 1 << " of '" << key << "'; " << fate();
        }
    }

    // Type each redrawing key of keys once, waiting for its frame.
    void pressEach(const std::string& keys)
    {
        for (const char key : keys)
            press(key);
    }

    // Type the key `times` times without waiting, then wait for one frame
    // each and no more.
    void pressAndCount(char key, int times)
    {
        const int before = program->framesSeen();
        for (int i = 0; i < times; ++i)
            program->sendKey(key);
        expectFrames(before + times);
    }

    // Expect the frame count to reach `count`; that it stays there is
    // checked at the end, when every frame has been counted.
    void expectFrames(int count)
    {
        const auto deadline = std::chrono::steady_clock::now() + framesTimeout;
        while (program->framesSeen() < count && program->running() &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(pollInterval);
        ASSERT_GE(program->framesSeen(), count) << "fewer frames than keys that redraw; " << fate();
        framesExpected = count;
    }

    // Expect the program to draw a frame for 's', to end with status 0 on
    // Escape, to have drawn no frame beyond those expected, and to have said
    // nothing on its error output but warnings of frequencies too fast to
    // follow.
    void expectStillAnswering()
    {
        ASSERT_TRUE(program->running()) << fate();
        EXPECT_TRUE(program->sendKeyForFrame('s')) << "no frame after the last 's'; " << fate();
        const int frames = program->framesAtEnd();
        ASSERT_GE(frames, 0) << "the window outlived Escape; " << fate();
        if (framesExpected >= 0) {
            EXPECT_EQ(frames, framesExpected + 1) << "more frames than keys that redraw";
        }
        EXPECT_EQ(program->waitForExit(), 0) << fate();
        std::string errors = program->errors();
        for (std::size_t warning; (warning = errors.find("\n警告：")) != std::string::npos;)
            errors.erase(warning, errors.find('\n', warning + 1) + 1 - warning);
        EXPECT_EQ(errors, "");
    }

    xvfb::Server server;
    std::unique_ptr<fvdriver::Program> program;
    int passes = 0; // dialog passes finished
    // Frames the window must have had at expectFrames; -1: not counted.
    int framesExpected = -1;
};

// --- the tests

TEST_F(Abuse, ThousandRandomKeysDrawOneFrameEachAndFinishEveryDialog)
{
    // All printable ASCII and a few control characters; Escape would end
    // the run. 'm', 'g' and 'j' get their answers in advance, in order.
    std::string alphabet = controlKeys;
    for (char c = ' '; c <= '~'; ++c)
        alphabet += c;
    std::mt19937 engine(randomSeed);
    std::string keys;
    std::string answers = exampleAnswers;
    int frames = 0;
    int dialogs = 0;
    std::size_t springMassTurn = 0, forceTurn = 0, initialStateTurn = 0;
    for (int i = 0; i < randomKeyCount; ++i) {
        // 'w' would start a sweep, whose frame comes when it ends or not at
        // all if a dialog comes first (tests/test_sweep_window.cpp has it):
        // 'W', which does nothing, takes its place.
        const char drawn = alphabet[engine() % alphabet.size()];
        const char key = drawn == 'w' ? 'W' : drawn;
        keys += key;
        // 'e' (the energy view on or off) draws its frame too.
        if (redrawingKeys.find(key) != std::string::npos || key == 'e')
            ++frames;
        if (key == 'm')
            answers += springMassAnswers[springMassTurn++ % springMassAnswers.size()];
        if (key == 'g')
            answers += forceAnswers[forceTurn++ % forceAnswers.size()];
        if (key == 'j')
            answers += initialStateAnswers[initialStateTurn++ % initialStateAnswers.size()];
        dialogs += key == 'm' || key == 'g' || key == 'j';
    }
    // The run is meant to hold frames, dialogs and keys that do nothing.
    ASSERT_GT(frames, 0);
    ASSERT_GT(dialogs, 0);

    start(answers);
    const int before = program->framesSeen();
    for (const char key : keys) {
        ASSERT_TRUE(program->running()) << fate();
        if (key == deleteKey)
            xvfb::sendKeysym(program->display(), program->window(), deleteKeysym);
        else
            program->sendKey(key);
    }
    EXPECT_TRUE(program->waitForOutput(fvdriver::dialogEnd, 1 + dialogs))
        << "not every dialog of the " << dialogs << " 'm', 'g' and 'j' finished; " << fate();
    expectFrames(before + frames);
    expectStillAnswering();
}

TEST_F(Abuse, FiftyPressesOfEachZoomKeyEachDrawAFrame)
{
    start(exampleAnswers);
    for (const auto& [shrink, grow] : {std::pair{'t', 'T'}, {'y', 'Y'}, {'x', 'X'}}) {
        SCOPED_TRACE(std::string("keys ") + shrink + " and " + grow);
        restart();
        press(shrink, zoomPresses);
        press('s', 3);
        restart();
        press(grow, zoomPresses);
        press('s', 3);
    }
    // At the smallest time scale the history index runs up to the end of
    // its buffers and must wrap there.
    restart();
    press('t', zoomPresses);
    pressAndCount('s', framesPastLastSlot);
    expectStillAnswering();
}

TEST_F(Abuse, WindowShrunkToOnePixelAndBackKeepsDrawing)
{
    start(exampleAnswers);
    for (int i = 0; i < tinyResizes; ++i) {
        SCOPED_TRACE("resize " + std::to_string(i + 1));
        ASSERT_TRUE(program->resize(1, 1));
        pressEach(redrawingKeys);
        const xvfb::Image tiny = program->grab();
        EXPECT_EQ(tiny.width, 1);
        EXPECT_EQ(tiny.height, 1);

        ASSERT_TRUE(program->resize(startSize, startSize));
        // 's' hides the chart, whose curves would cover the mass.
        press('s');
        const xvfb::Image image = program->grab();
        ASSERT_EQ(image.width, startSize);
        ASSERT_EQ(image.height, startSize);
        EXPECT_GE(image.count(red, startSize / 2, 0, startSize, startSize), massDiscPixels)
            << "no mass disc in the right half after growing back";
    }
    expectStillAnswering();
}

TEST_F(Abuse, InfiniteAndUndefinedParametersDrawEveryKeysFrame)
{
    for (const OddRun& run : oddRuns) {
        SCOPED_TRACE(run.what);
        // The first dialog, then those of 'j' (from rest), 'g' (a sound force)
        // and 'm' (the same parameters again).
        // None of them has a steady state to start on: '1' is refused.
        start(run.answers + "0\n" + "1 1\n1\n0\n" + run.answers);
        for (int i = 0; i < 3; ++i)
            pressEach(redrawingKeys);
        runDialog('j');
        pressEach(redrawingKeys);
        runDialog('g');
        pressEach(redrawingKeys);
        runDialog('m');
        pressEach(redrawingKeys);
        expectStillAnswering();
        program.reset();
    }
}

} // namespace
