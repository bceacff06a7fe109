// Time the built program as a user meets it, on a private Xvfb: from a key
// sent to its window (XTest) to the new frame visible in the window's pixels
// (polled with XGetImage), for 's' (time plot only) and 'f' (with the chart).
// Its memory is measured by bench_keys, which tells frames apart by the
// server's damage reports and so needs no chart frame as a marker.
//
// How a new frame is told from the old one: 'f' draws the chart's labels and
// 's' does not, so each timed key changes the same small patch of the window
// (the start of "frequency characteristics..." at the top of the right half).
// The patch of each kind of frame is learnt once, after the window has
// settled; the two keys are then pressed in turn and each waits for the
// patch of its own kind. Waiting for "any change" instead would be fooled by
// a frame still on its way from an earlier cause (the first exposure, say),
// and would then time every key by the frame of the key before. Only the
// patch is polled, a fraction of a whole-window grab; both grabs are timed
// on their own too.
#include "bench/table_reporter.h"
#include "tools/program_driver.h"
#include "tools/worked_example_setup.h"
#include "tools/xvfb.h"

#include <benchmark/benchmark.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

const char* const program = FV_PROGRAM;

// Window size the program opens with, pixels.
constexpr int windowSize = xvfb::programWindowSize;

// The patch that the chart's first label covers and the time plot leaves
// white: text at drawing (0.01, 0.9) has its baseline on row 40 from the top
// and starts at column 404; Helvetica 18 rises about 13 pixels above it.
constexpr int patchLeft = 404;
constexpr int patchTop = 24;
constexpr int patchWidth = 64;
constexpr int patchHeight = 20;

// Pause between two grabs of the patch while waiting for a frame: short
// beside a frame, long enough to leave the two cores to the program and Xvfb.
constexpr auto pollPause = std::chrono::microseconds(100);
// How long one frame may take to appear before the run is given up.
constexpr auto frameTimeout = std::chrono::seconds(10);
// How long the window may take to settle at the start.
constexpr auto startTimeout = std::chrono::seconds(20);
// How long the patch must stay unchanged to count as settled.
constexpr auto settleTime = std::chrono::milliseconds(300);
// Untimed chart switches before the timing: the renderer builds what it
// needs for a new combination of state in the first frames that use it.
constexpr int warmUpSwitches = 10;

// Key presses timed one by one per benchmark.
constexpr int keyRepetitions = 200;
// Grabs timed one by one per benchmark.
constexpr int grabRepetitions = 500;
// Goal of the 's' key: the next frame within one 60 Hz refresh period.
constexpr double timePlotKeyGoal = 1.0 / 60.0;

// The benchmarks of this program, for the rows of a skipped run.
const std::vector<std::string> benchmarkNames = {"keyToPictureTimePlot", "keyToPictureChart",
                                                 "patchGrab", "fullWindowGrab"};

// Seconds from start until now.
double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The program, started on the server with the dialog answered, and the
// benchmark's own view of its window: a connection apart from the driver's,
// so that no damage reports pile up on the one that grabs.
struct Session {
    std::unique_ptr<xvfb::Server> server;
    std::unique_ptr<fvdriver::Program> program;
    std::unique_ptr<xvfb::Connection> x;
    Window window = 0;
    KeyCode keyS = 0;
    KeyCode keyF = 0;
    KeyCode keyEscape = 0;
};
Session session;

// Start the program with the worked example's answers as the driver starts
// it: its window on show at the top-left corner of the screen, quiet.
void startProgram()
{
    fvdriver::Options options;
    options.program = program;
    options.answers = workedExampleAnswers;
    session.program = std::make_unique<fvdriver::Program>(*session.server, options);
    session.window = session.program->window();
    Display* x = *session.x;
    if (xvfb::windowSize(x, session.window).width != windowSize)
        throw std::runtime_error("the program's window is not 800 pixels wide");

    session.keyS = XKeysymToKeycode(x, XK_s);
    session.keyF = XKeysymToKeycode(x, XK_f);
    session.keyEscape = XKeysymToKeycode(x, XK_Escape);
    // Nobody else gives focus away on a server with no window manager.
    XSetInputFocus(x, session.window, RevertToPointerRoot, CurrentTime);
    XSync(x, False);
}

// The patch's pixels as the server holds them.
std::vector<char> grabPatch()
{
    XImage* image = XGetImage(*session.x, session.window, patchLeft, patchTop, patchWidth,
                              patchHeight, AllPlanes, ZPixmap);
    if (image == nullptr)
        throw std::runtime_error("XGetImage of the patch failed");
    std::vector<char> pixels(image->data, image->data + image->bytes_per_line * image->height);
    XDestroyImage(image);
    return pixels;
}

// Press and release one key in the program's window, without waiting.
void sendKey(KeyCode key)
{
    XTestFakeKeyEvent(*session.x, key, True, CurrentTime);
    XTestFakeKeyEvent(*session.x, key, False, CurrentTime);
}

// Poll the patch until it passes the test; seconds since start when the
// grab that passed returned.
double waitForPatch(const std::function<bool(const std::vector<char>&)>& passes,
                    Clock::time_point start, Clock::duration timeout)
{
    while (!passes(grabPatch())) {
        if (Clock::now() - start > timeout)
            throw std::runtime_error("the expected frame did not come in time");
        std::this_thread::sleep_for(pollPause);
    }
    return secondsSince(start);
}

// Wait until the patch has stayed the same for a while, and return it: the
// program has drawn what it was asked for and gone idle.
std::vector<char> settledPatch()
{
    std::vector<char> last = grabPatch();
    Clock::time_point since = Clock::now();
    const Clock::time_point start = since;
    while (Clock::now() - since < settleTime) {
        if (Clock::now() - start > startTimeout)
            throw std::runtime_error("the window never settled");
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::vector<char> now = grabPatch();
        if (now != last) {
            last = std::move(now);
            since = Clock::now();
        }
    }
    return last;
}

// The patch of a frame without the chart and of one with it.
std::vector<char> timePlotPatch;
std::vector<char> chartPatch;
// Whether the program's last frame shows the chart.
bool chartShown = false;

// Learn the patch of both kinds of frame and warm the renderer up: its first
// frames of each kind build what later frames reuse.
void learnPatches()
{
    // The first frames, from the window's exposure, show no chart: the
    // dialog left 'm' as the last key.
    timePlotPatch = settledPatch();
    sendKey(session.keyF);
    XFlush(*session.x);
    waitForPatch([](const std::vector<char>& p) { return p != timePlotPatch; }, Clock::now(),
                 frameTimeout);
    chartPatch = settledPatch();
    chartShown = true;
    if (chartPatch == timePlotPatch)
        throw std::runtime_error("the chart's label did not change the patch");
}

// Send 'f' or 's' to switch the chart on or off and return its
// key-to-picture time: from the moment the key leaves for the server to the
// return of the first grab that shows the new frame.
double timeKey(bool chart)
{
    const std::vector<char>& wanted = chart ? chartPatch : timePlotPatch;
    const Clock::time_point start = Clock::now();
    sendKey(chart ? session.keyF : session.keyS);
    XFlush(*session.x);
    const double seconds =
        waitForPatch([&](const std::vector<char>& p) { return p == wanted; }, start, frameTimeout);
    chartShown = chart;
    return seconds;
}

// Time the key that switches the chart on or off, each time from a frame
// that shows the other state; a failure skips the benchmark.
void timeSwitches(benchmark::State& bench, bool chart)
{
    try {
        for (auto _ : bench) {
            if (chartShown == chart)
                timeKey(!chart);
            bench.SetIterationTime(timeKey(chart));
        }
    } catch (const std::exception& e) {
        bench.SkipWithError(e.what());
    }
}

// Time 's' from a frame with the chart: the frame it asks for is the time
// plot alone.
void keyToPictureTimePlot(benchmark::State& bench)
{
    timeSwitches(bench, false);
}

// Time 'f' from a frame without the chart.
void keyToPictureChart(benchmark::State& bench)
{
    timeSwitches(bench, true);
}

// Time one grab of the patch: the price of each poll.
void patchGrab(benchmark::State& bench)
{
    for (auto _ : bench)
        benchmark::DoNotOptimize(grabPatch());
}

// Time one grab of the whole 800 x 800 window, for comparison.
void fullWindowGrab(benchmark::State& bench)
{
    for (auto _ : bench) {
        XImage* image =
            XGetImage(*session.x, session.window, 0, 0, windowSize, windowSize, AllPlanes, ZPixmap);
        if (image == nullptr) {
            bench.SkipWithError("XGetImage of the window failed");
            break;
        }
        XDestroyImage(image);
    }
}

// Register the key and grab benchmarks as single calls.
void registerBenchmarks()
{
    benchtable::perCall(benchmark::RegisterBenchmark("keyToPictureTimePlot", keyToPictureTimePlot),
                        keyRepetitions)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchtable::perCall(benchmark::RegisterBenchmark("keyToPictureChart", keyToPictureChart),
                        keyRepetitions)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchtable::perCall(benchmark::RegisterBenchmark("patchGrab", patchGrab), grabRepetitions)
        ->Unit(benchmark::kMicrosecond);
    benchtable::perCall(benchmark::RegisterBenchmark("fullWindowGrab", fullWindowGrab),
                        grabRepetitions)
        ->Unit(benchmark::kMillisecond);
}

} // namespace

// Start a server and the program on it, then time the keys and the grabs;
// rows of a failed start say why they were skipped.
int main(int argc, char** argv)
{
    benchtable::setGoal("keyToPictureTimePlot", timePlotKeyGoal, "< 16.7 ms");
    try {
        session.server = std::make_unique<xvfb::Server>();
        session.x = std::make_unique<xvfb::Connection>(session.server->display());
        startProgram();
        learnPatches();
        // Warm up: the renderer's first frames of each kind are its slowest.
        for (int i = 0; i < warmUpSwitches; ++i) {
            timeKey(false);
            timeKey(true);
        }
    } catch (const std::exception& e) {
        benchtable::skipAll(benchmarkNames, std::string("cannot run the program on a private "
                                                        "X server: ") +
                                                e.what());
        return 0;
    }

    registerBenchmarks();
    return benchtable::runBenchmarks(argc, argv);
}
