// Time real frames: display() rendered by Mesa into an 800 x 800 GLUT window
// of a private Xvfb, from the call to the finished frame, beside a frame that
// only clears and swaps. Then an experiment on the drawing conventions: the
// chart's 6,000 segments drawn the program's way (one GL_LINES group per
// curve, lighting switched off and on around it), the way it drew them
// before (the switches around every segment, one group each), one group per
// segment without the lighting switches, and one line strip per curve.
// The frames run with the heap as the C library sets it, then once more
// with the heap the program keeps (platformPrepareFrames).
#include "app/display.h"
#include "app/energy_view.h"
#include "app/frame.h"
#include "app/readout.h"
#include "app/view.h"
#include "bench/table_reporter.h"
#include "console/console.h"
#include "model/state.h"
#include "plot/curves.h"
#include "plot/primitives.h"
#include "tools/glut_window.h"
#include "tools/worked_example_setup.h"

#include <benchmark/benchmark.h>

#include <GL/freeglut.h>
#include <GL/glx.h>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace
{

// Window size the program opens with, pixels.
constexpr int windowSize = xvfb::programWindowSize;
// Frames timed one by one per benchmark.
constexpr int frameRepetitions = 300;
// How long the window may take to be mapped and reshaped under Xvfb.
constexpr std::chrono::seconds settleTimeout{20};
// How long GLUT is given to take the events of moving the window.
constexpr std::chrono::milliseconds moveSettleTime{200};

// Untimed frames of every kind before the timing.
constexpr int warmUpFrames = 10;
// Free memory at the top of the heap kept rather than trimmed, bytes: more
// than any frame frees. And the largest request the C library still serves
// from the heap rather than a mapping of its own (its upper limit, 32 MiB).
constexpr int keptHeapTrimThreshold = 1 << 30;
constexpr int keptHeapMmapThreshold = 32 << 20;

// Size last handed to the reshape callback.
int reshapedWidth = 0;
int reshapedHeight = 0;

// Reshape callback of the window: the program's own, noting the size.
void noteReshape(int width, int height)
{
    reshapedWidth = width;
    reshapedHeight = height;
    reshape(width, height);
}

// The benchmarks draw their own frames; GLUT's repaints are not wanted.
void ignoreDisplay() {}

// Let GLUT handle what the server has sent, so no events pile up between frames.
void pumpEvents()
{
    glutMainLoopEvent();
}

// Wait until the frame has been rendered and the server has put it on show.
void finishFrame()
{
    glFinish();
    XSync(glXGetCurrentDisplay(), False);
}

// One curve of the chart as the program samples it: step, scale, row, colour.
struct ChartCurve {
    double xStep;
    double scale;
    const double* samples;
    Rgba colour;
};

// The chart's 20 curves of 300 segments each, in the program's drawing order.
std::vector<ChartCurve> chartCurves()
{
    std::vector<ChartCurve> curves;
    for (int k = 0; k < tables.zetaCount; ++k)
        curves.push_back(
            {view.freqXScale, view.zetaAmpScale[k], tables.zetaAmp[k], curveColours[k]});
    for (int k = 0; k < tables.zetaCount; ++k)
        curves.push_back(
            {view.freqXScale, view.zetaPhaseScale[k], tables.zetaPhase[k], curveColours[k]});
    curves.push_back({view.freqXScale, view.zetaAmpScale[0], tables.givenAmp, colourBlack});
    curves.push_back({view.freqXScale, view.zetaPhaseScale[0], tables.givenPhase, colourBlack});
    return curves;
}

// Draw the chart's curves as display draws them (app/display.h): one
// GL_LINES group per curve, lighting off and on around it.
void drawChartProgramWay()
{
    drawFrequencyCurves();
}

// Draw them as the program did before: drawLine for every segment, so
// lighting off and on around each one, one GL_LINES group each.
void drawChartSwitchEachSegment()
{
    static const std::vector<ChartCurve> curves = chartCurves();
    const Point2 o = view.freqPlotOrigin;
    glLineWidth(2.0f);
    for (const ChartCurve& c : curves) {
        Point2 current = {o.x, c.scale * c.samples[0] + o.y};
        for (int i = 1; i <= tables.freqPoints; ++i) {
            const Point2 previous = current;
            current = {previous.x + c.xStep, c.scale * c.samples[i] + o.y};
            drawLine(previous, current, c.colour);
        }
    }
}

// Draw the same segments, one GL_LINES group each, with lighting left off.
void drawChartNoLightSwitch()
{
    static const std::vector<ChartCurve> curves = chartCurves();
    const Point2 o = view.freqPlotOrigin;
    // Set what the experiment needs once: no lighting, the curves' width.
    glDisable(GL_LIGHTING);
    glLineWidth(2.0f);
    for (const ChartCurve& c : curves) {
        double x = o.x;
        for (int i = 1; i <= tables.freqPoints; ++i) {
            glColor4f(c.colour.r, c.colour.g, c.colour.b, c.colour.a);
            // clang-format off
            glBegin(GL_LINES);
                glVertex2d(x, c.scale * c.samples[i - 1] + o.y);
                glVertex2d(x + c.xStep, c.scale * c.samples[i] + o.y);
            glEnd();
            // clang-format on
            x += c.xStep;
        }
    }
}

// Draw the same curves as one GL_LINE_STRIP group each, lighting left off.
void drawChartLineStrips()
{
    static const std::vector<ChartCurve> curves = chartCurves();
    const Point2 o = view.freqPlotOrigin;
    glDisable(GL_LIGHTING);
    glLineWidth(2.0f);
    for (const ChartCurve& c : curves) {
        glColor4f(c.colour.r, c.colour.g, c.colour.b, c.colour.a);
        double x = o.x;
        // clang-format off
        glBegin(GL_LINE_STRIP);
            for (int i = 0; i <= tables.freqPoints; ++i) {
                glVertex2d(x, c.scale * c.samples[i] + o.y);
                x += c.xStep;
            }
        glEnd();
        // clang-format on
    }
}

// A frame of the experiment: clear, draw the chart's curves one way, swap.
template <void (*drawChart)()> void chartFrame()
{
    beginFrame();
    drawChart();
    endFrame();
}

// A frame with nothing in it: clear, flush, swap.
void emptyFrame()
{
    beginFrame();
    endFrame();
}

// The program's frame without the chart, as after 's'.
void timePlotFrame()
{
    lastKey = 's';
    display();
}

// The program's frame with the frequency chart, as after 'f'.
void chartKeyFrame()
{
    lastKey = 'f';
    display();
}

// The same two frames with the readout's crosshair on their plot (window
// pixels, at the window's start size); what it adds is the difference.
void timePlotReadoutFrame()
{
    readoutPress(200, 300, false);
    timePlotFrame();
    readoutClear();
}
void chartReadoutFrame()
{
    readoutPress(604, 300, true);
    chartKeyFrame();
    readoutClear();
}

// The two frames again with the energy view on: the bars, and the chart of
// the mean input power in place of the other. What the view adds is the
// difference from the frames without it.
void withEnergyView(void (*frame)())
{
    // Its line on standard output goes nowhere: the table is printed there.
    static std::FILE* nowhere = std::fopen("/dev/null", "w");
    std::FILE* const out = consoleOut;
    consoleOut = nowhere;
    energyViewToggle();
    frame();
    energyViewToggle();
    consoleOut = out;
}
void timePlotEnergyFrame()
{
    withEnergyView(timePlotFrame);
}
void chartEnergyFrame()
{
    withEnergyView(chartKeyFrame);
}

// Wall time of one frame until it is on show, ms.
double frameMs(void (*frame)())
{
    const auto start = std::chrono::steady_clock::now();
    frame();
    finishFrame();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// What the energy view adds to a frame, ms: the median of the differences
// of frames drawn in pairs, with and without it, one right after the other,
// so that the load of a shared machine falls on both alike.
double energyViewCost(void (*frame)(), void (*withView)())
{
    std::vector<double> differences;
    for (int i = 0; i < frameRepetitions; ++i) {
        const double without = frameMs(frame);
        differences.push_back(frameMs(withView) - without);
    }
    std::nth_element(differences.begin(), differences.begin() + frameRepetitions / 2,
                     differences.end());
    return differences[frameRepetitions / 2];
}

// Note the energy view's cost on both kinds of frame.
void noteEnergyViewCost()
{
    char text[96];
    std::snprintf(text, sizeof text, "time plot %.3f ms, chart %.3f ms",
                  energyViewCost(timePlotFrame, timePlotEnergyFrame),
                  energyViewCost(chartKeyFrame, chartEnergyFrame));
    benchtable::addNote("energy view's cost per frame, median of paired differences", text);
}

// What each benchmark times: one frame, from the call until it is on show.
struct FrameKind {
    const char* name;
    void (*frame)();
};
const FrameKind frameKinds[] = {
    {"clearAndSwapMesa", emptyFrame},
    {"displayTimePlotMesa", timePlotFrame},
    {"displayWithChartMesa", chartKeyFrame},
    {"displayTimePlotReadoutMesa", timePlotReadoutFrame},
    {"displayWithChartReadoutMesa", chartReadoutFrame},
    {"displayTimePlotEnergyMesa", timePlotEnergyFrame},
    {"displayWithChartEnergyMesa", chartEnergyFrame},
    {"chartSegmentsProgramWay", chartFrame<drawChartProgramWay>},
    {"chartSegmentsSwitchEachSegment", chartFrame<drawChartSwitchEachSegment>},
    {"chartSegmentsNoLightSwitch", chartFrame<drawChartNoLightSwitch>},
    {"chartSegmentsLineStrips", chartFrame<drawChartLineStrips>},
};

// Time one frame of the given kind per iteration.
void timeFrames(benchmark::State& bench, void (*frame)())
{
    pumpEvents();
    for (auto _ : bench) {
        frame();
        finishFrame();
    }
}

// Time display with the chart once the C library keeps the memory freed at
// the end of a frame instead of handing it back to the kernel: the frame's
// many short-lived allocations in Mesa then stop costing page faults. The
// program sets the same before its window opens (platformPrepareFrames).
void displayWithChartMesaKeptHeap(benchmark::State& bench)
{
    static const bool kept = [] {
        mallopt(M_TRIM_THRESHOLD, keptHeapTrimThreshold);
        mallopt(M_MMAP_THRESHOLD, keptHeapMmapThreshold);
        for (int i = 0; i < warmUpFrames; ++i) {
            chartKeyFrame();
            finishFrame();
        }
        return true;
    }();
    benchmark::DoNotOptimize(kept);
    timeFrames(bench, chartKeyFrame);
}

// Register every benchmark as single frames, timed in milliseconds.
void registerBenchmarks()
{
    for (const FrameKind& kind : frameKinds) {
        benchtable::perCall(benchmark::RegisterBenchmark(kind.name, timeFrames, kind.frame),
                            frameRepetitions)
            ->Unit(benchmark::kMillisecond);
    }
    // Last, since what it changes lasts for the rest of the process.
    benchtable::perCall(
        benchmark::RegisterBenchmark("displayWithChartMesaKeptHeap", displayWithChartMesaKeptHeap),
        frameRepetitions)
        ->Unit(benchmark::kMillisecond);
}

// Warm the renderer up: its first frames with a new combination of state
// compile code that later frames reuse, and would only add noise.
void warmUp()
{
    for (int i = 0; i < warmUpFrames; ++i) {
        for (const FrameKind& kind : frameKinds) {
            kind.frame();
            finishFrame();
        }
    }
}

// The chart's curves drawn one way, as pixels of the back buffer.
std::vector<unsigned char> chartPixels(void (*drawChart)())
{
    beginFrame();
    drawChart();
    glFinish();
    std::vector<unsigned char> pixels(static_cast<std::size_t>(windowSize) * windowSize * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, windowSize, windowSize, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    endFrame();
    return pixels;
}

// Pixels that differ between two pictures.
long differingPixels(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    long count = 0;
    for (std::size_t i = 0; i < a.size(); i += 3)
        count += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2];
    return count;
}

// Note how far the experiment's pictures differ from the program's: the
// lighting switches change nothing on screen, the strips only the joints.
void comparePictures()
{
    const std::vector<unsigned char> programWay = chartPixels(drawChartProgramWay);
    benchtable::addNote(
        "pixels differing from the program's chart",
        "switch each segment " +
            std::to_string(differingPixels(programWay, chartPixels(drawChartSwitchEachSegment))) +
            ", no light switch " +
            std::to_string(differingPixels(programWay, chartPixels(drawChartNoLightSwitch))) +
            ", line strips " +
            std::to_string(differingPixels(programWay, chartPixels(drawChartLineStrips))));
}

// Open the program's window on the server, as initWindow does, and wait
// until it is on show at the top-left corner of the screen, 800 x 800.
// Returns an empty string, or why it could not.
std::string openWindow(const xvfb::Server& server, xvfb::Connection& x)
{
    const xvfb::Window window = glutwindow::open(
        server, "bench_render", {ignoreDisplay, noteReshape, nullptr, initGL, nullptr});
    if (!glutwindow::showAtCorner(x, window, settleTimeout) ||
        !glutwindow::pumpUntil(
            [] { return reshapedWidth == windowSize && reshapedHeight == windowSize; },
            settleTimeout))
        return "the GLUT window was never shown at 800 x 800";
    // Let GLUT take the events of the move before the timing starts.
    const auto moved = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - moved < moveSettleTime)
        pumpEvents();
    return "";
}

} // namespace

// Open the window on a private server, check and warm up the experiment,
// then time every kind of frame; rows of a failed start say why they were skipped.
int main(int argc, char** argv)
{
    std::unique_ptr<xvfb::Server> server;
    std::unique_ptr<xvfb::Connection> x;
    std::string failure;
    try {
        server = std::make_unique<xvfb::Server>();
        x = std::make_unique<xvfb::Connection>(server->display());
    } catch (const std::exception& e) {
        failure = std::string("no private X server (") + e.what() + ")";
    }
    if (failure.empty())
        failure = openWindow(*server, *x);
    if (!failure.empty()) {
        std::vector<std::string> names;
        for (const FrameKind& kind : frameKinds)
            names.push_back(kind.name);
        benchtable::skipAll(names, failure);
        return 0;
    }

    benchtable::addNote("renderer", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    benchtable::addNote("OpenGL", reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    enterWorkedExample();
    comparePictures();
    warmUp();
    noteEnergyViewCost();
    registerBenchmarks();
    const int status = benchtable::runBenchmarks(argc, argv);
    glutExit();
    return status;
}
