// Time real frames: display() rendered by Mesa into an 800 x 800 GLUT window
// of a private Xvfb, from the call to the finished frame, beside a frame that
// only clears and swaps. Then an experiment on the drawing conventions: the
// chart's 6,000 segments drawn the program's way (lighting switched off and
// on around every segment, one glBegin/glEnd group each), one group per
// segment without the lighting switches, and one line strip per curve.
// The experiment lives here only; the program draws its own way.
#include "app/display.h"
#include "app/frame.h"
#include "bench/table_reporter.h"
#include "model/frequency_response.h"
#include "model/oscillator.h"
#include "model/state.h"
#include "plot/curves.h"
#include "tests/xvfb.h"

#include <benchmark/benchmark.h>

#include <GL/freeglut.h>
#include <GL/glx.h>

#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace
{

// Window size the program opens with, pixels.
constexpr int windowSize = 800;
// Frames timed one by one per benchmark.
constexpr int frameRepetitions = 300;
// How long the window may take to be mapped and reshaped under Xvfb.
constexpr std::chrono::seconds settleTimeout{20};

// The benchmarks of this program, for the rows of a skipped run.
const std::vector<std::string> benchmarkNames = {
    "clearAndSwapMesa",        "displayTimePlotMesa",        "displayWithChartMesa",
    "chartSegmentsProgramWay", "chartSegmentsNoLightSwitch", "chartSegmentsLineStrips",
};

// Size last handed to the reshape callback.
int reshapedWidth = 0;
int reshapedHeight = 0;

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

// The worked example entered and the run reset, as after the dialog.
void enterWorkedExample()
{
    resetAllState();
    params = Parameters{1, 0.2, 4, 1, 1, 0, 0};
    computeNaturalFrequency();
    computeForcedResponse();
    fillFrequencyTables();
    setSteadyStateStart();
    resetRun();
}

// Time a frame with nothing in it: clear, flush, swap.
void clearAndSwapMesa(benchmark::State& bench)
{
    pumpEvents();
    for (auto _ : bench) {
        beginFrame();
        endFrame();
        finishFrame();
    }
}

// Time one display call without the chart, as after 's'.
void displayTimePlotMesa(benchmark::State& bench)
{
    pumpEvents();
    lastKey = 's';
    for (auto _ : bench) {
        display();
        finishFrame();
    }
}

// Time one display call with the frequency chart, as after 'f'.
void displayWithChartMesa(benchmark::State& bench)
{
    pumpEvents();
    lastKey = 'f';
    for (auto _ : bench) {
        display();
        finishFrame();
    }
}

// One curve of the chart as the program samples it: origin, step, scale, row.
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

// Time the chart's curves drawn by the drawing library, the way display draws them.
void chartSegmentsProgramWay(benchmark::State& bench)
{
    pumpEvents();
    for (auto _ : bench) {
        beginFrame();
        plotCurves(view.freqPlotOrigin, view.freqXScale, view.zetaAmpScale, tables.zetaCount,
                   tables.freqPoints, tables.zetaAmp[0], rowLength);
        plotCurves(view.freqPlotOrigin, view.freqXScale, view.zetaPhaseScale, tables.zetaCount,
                   tables.freqPoints, tables.zetaPhase[0], rowLength);
        plotCurve(view.freqPlotOrigin, view.freqXScale, view.zetaAmpScale[0], tables.freqPoints,
                  tables.givenAmp, &colourBlack);
        plotCurve(view.freqPlotOrigin, view.freqXScale, view.zetaPhaseScale[0], tables.freqPoints,
                  tables.givenPhase, &colourBlack);
        endFrame();
        finishFrame();
    }
}

// Time the same segments, one GL_LINES group each, lighting left off.
void chartSegmentsNoLightSwitch(benchmark::State& bench)
{
    pumpEvents();
    const std::vector<ChartCurve> curves = chartCurves();
    const Point2 o = view.freqPlotOrigin;
    for (auto _ : bench) {
        beginFrame();
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
        endFrame();
        finishFrame();
    }
}

// Time the same curves as one GL_LINE_STRIP group each, lighting left off.
void chartSegmentsLineStrips(benchmark::State& bench)
{
    pumpEvents();
    const std::vector<ChartCurve> curves = chartCurves();
    const Point2 o = view.freqPlotOrigin;
    for (auto _ : bench) {
        beginFrame();
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
        endFrame();
        finishFrame();
    }
}

// Register every benchmark as single frames, timed in milliseconds.
void registerBenchmarks()
{
    const auto frames = [](benchmark::internal::Benchmark* b) {
        benchtable::perCall(b, frameRepetitions)->Unit(benchmark::kMillisecond);
    };
    frames(benchmark::RegisterBenchmark("clearAndSwapMesa", clearAndSwapMesa));
    frames(benchmark::RegisterBenchmark("displayTimePlotMesa", displayTimePlotMesa));
    frames(benchmark::RegisterBenchmark("displayWithChartMesa", displayWithChartMesa));
    frames(benchmark::RegisterBenchmark("chartSegmentsProgramWay", chartSegmentsProgramWay));
    frames(benchmark::RegisterBenchmark("chartSegmentsNoLightSwitch", chartSegmentsNoLightSwitch));
    frames(benchmark::RegisterBenchmark("chartSegmentsLineStrips", chartSegmentsLineStrips));
}

// Open the program's window on the server, as initWindow does, and wait
// until it is on show at the top-left corner of the screen, 800 x 800.
// Returns an empty string, or why it could not.
std::string openWindow(const xvfb::Server& server, xvfb::Connection& x)
{
    static std::string displayName;
    displayName = server.display();
    static char program[] = "bench_render";
    static char option[] = "-display";
    char* argv[] = {program, option, displayName.data(), nullptr};
    int argc = 3;

    glutInitWindowSize(windowSize, windowSize);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("bench_render");
    glutDisplayFunc(ignoreDisplay);
    glutReshapeFunc(noteReshape);
    initGL();

    const Window window = glXGetCurrentDrawable();
    const auto settled = [&] {
        pumpEvents();
        return xvfb::isViewable(x, window) && reshapedWidth == windowSize &&
               reshapedHeight == windowSize;
    };
    if (!xvfb::waitFor(settled, settleTimeout, std::chrono::milliseconds(5)))
        return "the GLUT window was never shown at 800 x 800";
    // GLUT asks for no position; put the whole window on the screen.
    xvfb::moveWindow(x, window, 0, 0);
    xvfb::waitFor(
        [] {
            pumpEvents();
            return false;
        },
        std::chrono::milliseconds(200));
    return "";
}

} // namespace

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
        benchtable::skipAll(benchmarkNames, failure);
        return 0;
    }

    benchtable::addNote("renderer", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    benchtable::addNote("OpenGL", reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    enterWorkedExample();
    registerBenchmarks();
    const int status = benchtable::runBenchmarks(argc, argv);
    glutExit();
    return status;
}
