// The built program end to end: started in a private X server, answered
// through its console, driven by keys typed into its window, and judged by
// the pixels it puts on the screen against the program's own model and
// integrator run here.
#include "app/view.h"
#include "model/oscillator.h"
#include "model/state.h"
#include "sim/runge_kutta_gill.h"
#include "tools/program_driver.h"
#include "tools/worked_example_setup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{

const char* const programPath = FV_PROGRAM;

// --- the runs

// A free swing that is easy to follow frame by frame: m 1, lambda 0, K 4, no
// force, started at y0 0 with v0 2, so y = sin 2t and the mass moves about
// 16 pixels a frame at first.
const std::string swingAnswers = "1 0 4\n0 0\n2\n0 2\n";
// The answers of 'j' that start the same swing again at t = 0.
const std::string swingRestart = "2\n0 2\n";
constexpr double swingMass = 1.0;
constexpr double swingDamping = 0.0;
constexpr double swingSpring = 4.0;
constexpr double swingY0 = 0.0;
constexpr double swingV0 = 2.0;

// The worked example: zeta 0.05, ratio 0.5, started on the steady state.
const std::string exampleAnswers = workedExampleAnswers;

// --- the picture's geometry with the start-up view settings (app/view.h)

// The window's size at start, pixels.
constexpr int startSize = xvfb::programWindowSize;
// What one press of 'y' multiplies the vertical scales by.
constexpr double shrinkFactor = 0.9;
// Radius of the mass disc, drawing units.
constexpr double massRadius = 0.04;
// Drawing x of the mass: half-way along its string, from the figure's left
// anchor to the right end of the plots at 0.99.
constexpr double massX = startVibPlotOrigin.x + (0.99 - startVibPlotOrigin.x) / 2;
// Length of the arrow's head, drawing units: how far the green reaches
// beyond the tip of an arrow of length 0.
constexpr double arrowHeadReach = 0.15;
// Drawing units between two samples of the time plot at start.
constexpr double historyStep = startTimeScale;
// Drawing x of the vertical axis, the left edge of the time plot.
constexpr double axisX = startAxesOrigin.x;
// Drawing x of the rightmost vertical grid line: the grid is anchored at the
// mass figure's left anchor.
constexpr double gridRightX = startVibPlotOrigin.x;
// Drawing x of a column between two vertical grid lines that the time
// traces of the first hundred frames do not reach.
constexpr double betweenGridLinesX = -0.54;
// Origin of the frequency chart: the mass figure's anchor, as every reset
// puts it.
constexpr double chartOriginX = startVibPlotOrigin.x;
// Radius of the chart's blue points, drawing units.
constexpr double chartPointRadius = 0.01;
// Lowest drawing y of the chart's labels: the chart is judged below it.
constexpr double chartLabelsBottom = 0.7;

// --- tolerances

// How far an edge found in the picture may sit from where the model puts
// it, pixels: a polygon's edge is rasterised to the nearest pixel centre,
// and a 2-pixel line covers a pixel either side of its exact position.
constexpr double edgeTolerance = 2.0;
// How far below its exact tip the arrow's first green pixel may be, pixels:
// the head narrows to a point that covers no pixel centre for its first two
// pixels or so.
constexpr double tipTolerance = 3.0;
// How far the mean spacing of the grid's lines may differ from the cell
// height, pixels: the 1-pixel lines each round to a whole row.
constexpr double spacingTolerance = 0.5;
// How far the centre of a blue point may sit from its exact position,
// pixels: the disc is a 100-gon of 4 pixels' radius, rounded to pixels.
constexpr double pointTolerance = 1.5;
// Rows either side of the horizontal axis left out where the chart's black
// curves are counted: the axis itself is black.
constexpr int axisBand = 8;
// How long a picture may take to appear after its frame was reported.
constexpr std::chrono::seconds pictureTimeout{5};

constexpr xvfb::Rgb red{255, 0, 0};
constexpr xvfb::Rgb green{0, 255, 0};
constexpr xvfb::Rgb blue{0, 0, 255};

// Pixel column of drawing x in a picture `width` pixels wide.
double columnOf(double x, int width)
{
    return (x + 1.0) / 2.0 * width;
}

// Pixel row, from the top, of drawing y in a picture `height` pixels high.
double rowOf(double y, int height)
{
    return (1.0 - y) / 2.0 * height;
}

// The first row from the top at which column x has the colour; -1 if none.
int firstRowOf(const xvfb::Image& image, int x, xvfb::Rgb colour)
{
    for (int y = 0; y < image.height; ++y)
        if (image.pixel(x, y) == colour)
            return y;
    return -1;
}

// Centre of the pixels of the colour in the square of half-size `reach`
// about (x, y); {-1, -1} if there are none.
std::pair<double, double> centroidNear(const xvfb::Image& image, xvfb::Rgb colour, double x,
                                       double y, int reach, int* count)
{
    double sumX = 0;
    double sumY = 0;
    *count = 0;
    const int cx = static_cast<int>(x);
    const int cy = static_cast<int>(y);
    for (int py = cy - reach; py <= cy + reach; ++py)
        for (int px = cx - reach; px <= cx + reach; ++px)
            if (image.pixel(px, py) == colour) {
                sumX += px + 0.5;
                sumY += py + 0.5;
                ++*count;
            }
    if (*count == 0)
        return {-1, -1};
    return {sumX / *count, sumY / *count};
}

// Centres of the runs of black pixels down column x between rows y0 and y1.
std::vector<double> blackRunsDown(const xvfb::Image& image, int x, int y0, int y1)
{
    std::vector<double> centres;
    int start = -1;
    for (int y = y0; y <= y1; ++y) {
        const bool black = y < y1 && image.pixel(x, y) == xvfb::black;
        if (black && start < 0)
            start = y;
        if (!black && start >= 0) {
            centres.push_back((start + y) / 2.0);
            start = -1;
        }
    }
    return centres;
}

// --- the model, run here as the program runs it

// The displacement after `frames` frames of the swing from t = 0: four Gill
// steps of 0.01 s per frame, as every frame makes them.
double swingAfter(int frames)
{
    params.system.m = swingMass;
    params.system.lambda = swingDamping;
    params.system.K = swingSpring;
    params.system.F = 0.0;
    params.system.omf = 0.0;
    double state[2] = {swingY0, swingV0};
    double t = 0.0;
    for (int frame = 0; frame < frames; ++frame) {
        for (int step = 0; step < static_cast<int>(stepsPerFrame); ++step) {
            const double start[2] = {state[0], state[1]};
            rungeKuttaGill(t, dt, start, state, 2);
            t += dt;
        }
    }
    return state[0];
}

// The row, from the top, where the mass disc's top edge belongs after the
// given number of frames of the swing.
double swingDiscTop(int frames, double yScale, int height)
{
    return rowOf(yScale * swingAfter(frames) + massRadius, height);
}

// --- the fixture

class EndToEnd : public ::testing::Test
{
  protected:
    // Start the program with the first dialog's answers; wait for its window.
    void start(const std::string& answers, bool terminal = false)
    {
        fvdriver::Options options;
        options.program = programPath;
        options.answers = answers;
        options.terminal = terminal;
        program = std::make_unique<fvdriver::Program>(server, options);
        passes = 1;
    }

    // Press 'j' and answer the dialog so that the swing starts again at
    // t = 0; the next frame is the first of the new run.
    void restartSwing()
    {
        ASSERT_TRUE(program->answer(swingRestart));
        program->sendKey('j');
        ASSERT_TRUE(program->waitForOutput(fvdriver::dialogEnd, ++passes))
            << "the dialog of 'j' did not finish:\n"
            << program->output();
    }

    // Type a redrawing key `times` times, each time waiting for its frame.
    void press(char key, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            ASSERT_TRUE(program->sendKeyForFrame(key)) << "no frame after '" << key << "'";
    }

    // Wait until the picture passes test; the last picture for messages.
    bool pictureShows(const std::function<bool(const xvfb::Image&)>& test)
    {
        return program->waitForPicture(test, pictureTimeout, &last);
    }

    // Expect the mass disc's top edge in the mass's column where the swing
    // puts it after `frames` frames.
    void expectDiscAt(int frames, double yScale, const std::string& when)
    {
        const int column = static_cast<int>(columnOf(massX, program->size().width));
        double expected = 0;
        const bool found = pictureShows([&](const xvfb::Image& image) {
            expected = swingDiscTop(frames, yScale, image.height);
            return std::abs(firstRowOf(image, column, red) - expected) <= edgeTolerance;
        });
        EXPECT_TRUE(found) << when << ": the disc's top edge is at row "
                           << firstRowOf(last, column, red) << " in column " << column
                           << ", not near row " << expected << " (frame " << frames << ")";
    }

    xvfb::Server server;
    std::unique_ptr<fvdriver::Program> program;
    int passes = 0;   // dialog passes finished
    xvfb::Image last; // the picture most recently looked at
};

// --- the tests

TEST_F(EndToEnd, EveryFrameIsFourGillStepsOfTheSwing)
{
    start(swingAnswers);
    restartSwing();
    // The background is white wherever nothing is drawn.
    const xvfb::Image before = program->grab();
    for (const auto& [x, y] : {std::pair{790, 790}, {790, 10}, {600, 780}, {450, 600}, {10, 790}})
        EXPECT_EQ(before.pixel(x, y), xvfb::white) << "at (" << x << ", " << y << ")";

    // Up to the top of the swing and past it, frame by frame at first.
    const int framesBefore = program->framesSeen();
    int frames = 0;
    for (const int upTo : {1, 2, 3, 10, 20, 30}) {
        press('s', upTo - frames);
        frames = upTo;
        expectDiscAt(frames, startYScale, "after " + std::to_string(frames) + " presses of 's'");
    }

    // The arrow (force 0, so length 0, pointing up) hangs on the mass's
    // vertical, its tip 0.04 * yScale under the disc's centre.
    const xvfb::Image image = program->grab();
    const int column = static_cast<int>(columnOf(massX, startSize));
    const double centreRow = rowOf(startYScale * swingAfter(frames), startSize);
    const double tipRow = rowOf(startYScale * swingAfter(frames) - 0.04 * startYScale, startSize);
    const int firstGreen = firstRowOf(image, column, green);
    EXPECT_GE(firstGreen, tipRow - edgeTolerance);
    EXPECT_LE(firstGreen, tipRow + tipTolerance);
    int leftmost = startSize;
    int rightmost = -1;
    const int headBottom = static_cast<int>(centreRow + arrowHeadReach / 2 * startSize);
    for (int y = static_cast<int>(centreRow); y < headBottom; ++y)
        for (int x = column - 40; x <= column + 40; ++x)
            if (image.pixel(x, y) == green) {
                leftmost = std::min(leftmost, x);
                rightmost = std::max(rightmost, x);
            }
    ASSERT_GE(rightmost, leftmost) << "no green arrow under the mass";
    EXPECT_NEAR((leftmost + rightmost + 1) / 2.0, columnOf(massX, startSize), edgeTolerance)
        << "the arrow spans columns " << leftmost << " to " << rightmost;

    // One frame for each press, no more, counted to the program's end.
    EXPECT_EQ(program->framesAtEnd() - framesBefore, frames);
}

TEST_F(EndToEnd, ChartKeyDrawsTheGivenZetaCurvesAndBluePointsUntilTheNextKey)
{
    start(exampleAnswers);
    // The model's numbers for the worked example, as the dialog computes them.
    enterWorkedExample();
    const double pointX = derived.freqRatio / tables.freqStep * startFreqXScale + chartOriginX;
    const double ampColumn = columnOf(pointX, startSize);
    const double ampRow = rowOf(startYScale * derived.Ad, startSize);
    const double phaseRow = rowOf(startPhaseScale * derived.phaseLag, startSize);

    // The chart's area: the right half, below its labels, off the axis.
    const int top = static_cast<int>(rowOf(chartLabelsBottom, startSize));
    const int axisRow = startSize / 2;
    auto chartBlack = [&](const xvfb::Image& image) {
        return image.count(xvfb::black, startSize / 2 + 8, top, startSize, axisRow - axisBand) +
               image.count(xvfb::black, startSize / 2 + 8, axisRow + axisBand, startSize,
                           startSize);
    };
    const int reach = static_cast<int>(chartPointRadius / 2 * startSize) + 4;
    auto bluePoint = [&](const xvfb::Image& image, double row, int* count) {
        return centroidNear(image, blue, ampColumn, row, reach, count);
    };

    press('s');
    EXPECT_TRUE(pictureShows([&](const xvfb::Image& image) { return chartBlack(image) == 0; }))
        << chartBlack(last) << " black pixels on the right before 'f'";

    press('f');
    // Both black curves: hundreds of pixels, above and below the axis.
    EXPECT_TRUE(pictureShows([&](const xvfb::Image& image) {
        return image.count(xvfb::black, startSize / 2 + 8, top, startSize, axisRow - axisBand) >
                   100 &&
               image.count(xvfb::black, startSize / 2 + 8, axisRow + axisBand, startSize,
                           startSize) > 100;
    })) << chartBlack(last)
        << " black pixels on the right after 'f'";
    for (const auto& [row, name] : {std::pair{ampRow, "amplitude"}, {phaseRow, "phase"}}) {
        int count = 0;
        const auto [x, y] = bluePoint(last, row, &count);
        EXPECT_GT(count, 20) << "no blue " << name << " point near (" << ampColumn << ", " << row
                             << ")";
        EXPECT_NEAR(x, ampColumn, pointTolerance) << name << " point";
        EXPECT_NEAR(y, row, pointTolerance) << name << " point";
    }

    press('s');
    EXPECT_TRUE(pictureShows([&](const xvfb::Image& image) { return chartBlack(image) == 0; }))
        << chartBlack(last) << " black pixels on the right after 's'";
    for (const double row : {ampRow, phaseRow}) {
        int count = 0;
        bluePoint(last, row, &count);
        EXPECT_EQ(count, 0) << "a blue point is left at row " << row;
    }
}

TEST_F(EndToEnd, ShrinkKeyScalesTheGridCellsAndTheSwing)
{
    start(swingAnswers);
    restartSwing();
    press('s', 5);
    expectDiscAt(5, startYScale, "before 'y'");

    const int column = static_cast<int>(columnOf(betweenGridLinesX, startSize));
    const int top = static_cast<int>(rowOf(chartLabelsBottom, startSize));
    const int bottom = startSize - top;
    // Horizontal grid lines (and the axis among them), cellHeight apart.
    auto gridSpacing = [&](const xvfb::Image& image, double cellHeight, std::string* why) {
        const std::vector<double> lines = blackRunsDown(image, column, top, bottom);
        if (lines.size() < 3) {
            *why = std::to_string(lines.size()) + " lines";
            return false;
        }
        const double mean = (lines.back() - lines.front()) / (lines.size() - 1);
        *why = "mean spacing " + std::to_string(mean);
        for (std::size_t i = 1; i < lines.size(); ++i)
            if (std::abs(lines[i] - lines[i - 1] - cellHeight) > edgeTolerance)
                return false;
        return std::abs(mean - cellHeight) <= spacingTolerance;
    };

    const double cellPixels = 0.2 * startYScale / 2 * startSize; // 40
    std::string why;
    EXPECT_TRUE(pictureShows([&](const xvfb::Image& i) {
        return gridSpacing(i, cellPixels, &why);
    })) << "before 'y': "
        << why;

    press('y');
    const double shrunk = startYScale * shrinkFactor;
    EXPECT_TRUE(pictureShows([&](const xvfb::Image& i) {
        return gridSpacing(i, cellPixels * shrinkFactor, &why);
    })) << "after 'y': "
        << why;
    expectDiscAt(6, shrunk, "after 'y'");
}

TEST_F(EndToEnd, InitialConditionKeyStartsTheRunAgainWithoutTheChart)
{
    start(swingAnswers);
    restartSwing();
    press('s', 30);
    press('f');
    // The red trace has reached 31 samples into the time plot by now.
    auto redReach = [](const xvfb::Image& image) {
        int rightmost = -1;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width / 2; ++x)
                if (image.pixel(x, y) == red)
                    rightmost = std::max(rightmost, x);
        return rightmost;
    };
    const double traceEnd31 = columnOf(axisX + 31 * historyStep, startSize);
    EXPECT_TRUE(pictureShows([&](const xvfb::Image& i) {
        return std::abs(redReach(i) - traceEnd31) <= edgeTolerance;
    })) << "the red trace ends at column "
        << redReach(last) << ", not near " << traceEnd31;

    const int framesBefore = program->framesSeen();
    restartSwing();
    press('s');
    // One frame from t = 0 again: one segment of trace at the left edge, the
    // mass one frame into the swing, and no chart, since 'j' was the last key.
    const double traceEnd1 = columnOf(axisX + historyStep, startSize);
    EXPECT_TRUE(pictureShows([&](const xvfb::Image& i) {
        return std::abs(redReach(i) - traceEnd1) <= edgeTolerance;
    })) << "the red trace ends at column "
        << redReach(last) << ", not near " << traceEnd1;
    expectDiscAt(1, startYScale, "one frame after 'j'");
    EXPECT_EQ(last.count(xvfb::black, startSize / 2 + 8, 0, startSize, startSize / 2 - axisBand), 0)
        << "the chart is still drawn";

    // The second pass asked only for the initial condition.
    const std::string output = program->output();
    const std::string massQuestion = "マスm[kg]";
    EXPECT_EQ(output.find(massQuestion), output.rfind(massQuestion));
    EXPECT_NE(output.find("y0[m] v0[m/s] = "), output.rfind("y0[m] v0[m/s] = "));
    // The frame of 's' alone since: 'j' redrew nothing, counted to the end.
    EXPECT_EQ(program->framesAtEnd() - framesBefore, 1) << "'j' redrew the window";
}

TEST_F(EndToEnd, KeysTypedForTheOtherWindowAreNotReplayed)
{
    const std::string keyQuestion = "任意設定 '2'";
    start("1 0.2 4\n1 1\n1", true);
    // Typed into the console while the window was meant: dropped when 'j'
    // starts the dialog, so the "2" answers nothing.
    ASSERT_TRUE(program->answer("ssss2"));
    program->sendKey('j');
    ASSERT_TRUE(program->waitForOutput(keyQuestion, 2)) << program->output();
    // Pressed in the frozen window meanwhile: dropped when the dialog ends.
    program->sendKey('j');
    // Had the "2" been taken, "0" would be y0 and the dialog would still wait.
    ASSERT_TRUE(program->answer("0"));
    ASSERT_TRUE(program->waitForOutput(fvdriver::dialogEnd, 2)) << program->output();
    EXPECT_EQ(program->output().find("y0[m] v0[m/s] = "), std::string::npos) << program->output();
    // Keys pressed after the dialog work as always; handled in order, the
    // frame of 's' comes after the frozen window's 'j', had it been kept.
    EXPECT_TRUE(program->sendKeyForFrame('s'));
    const std::string output = program->output();
    int asked = 0;
    for (std::size_t at = output.find(keyQuestion); at != std::string::npos;
         at = output.find(keyQuestion, at + 1))
        ++asked;
    EXPECT_EQ(asked, 2) << "the window's 'j' was replayed:\n" << output;
}

TEST_F(EndToEnd, ResizedWindowShowsTheWholeSquareAndEachFrameIsOneSlice)
{
    start(swingAnswers);
    restartSwing();
    press('s', 3);
    int frames = 3;
    for (const auto& [width, height] : {std::pair{400, 400}, {800, 400}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const int before = program->framesSeen();
        ASSERT_TRUE(program->resize(width, height));
        const int drawn = program->framesSeen() - before;
        // GLUT redraws for the new size, and once more if the exposure that
        // comes with it arrives apart from the resize: each frame one slice.
        EXPECT_GE(drawn, 1);
        EXPECT_LE(drawn, 2);
        frames += drawn;

        const xvfb::Image image = program->grab();
        ASSERT_EQ(image.width, width);
        ASSERT_EQ(image.height, height);
        // The vertical axis at x = -0.99 near the left edge, on a row clear
        // of the grid's horizontal lines and of the traces.
        const int clearRow = static_cast<int>(rowOf(-0.55, height));
        int axisColumn = -1;
        for (int x = 0; x < width / 4 && axisColumn < 0; ++x)
            if (image.pixel(x, clearRow) == xvfb::black)
                axisColumn = x;
        EXPECT_NEAR(axisColumn + 0.5, columnOf(axisX, width), edgeTolerance);
        // The rightmost vertical grid line at x = 0.01.
        const int gridColumn = static_cast<int>(columnOf(gridRightX, width));
        EXPECT_GT(image.count(xvfb::black, gridColumn - 1, clearRow, gridColumn + 2, clearRow + 1),
                  0)
            << "no grid line near column " << gridColumn;
        // The horizontal axis at the middle row, between two grid lines.
        const int clearColumn = static_cast<int>(columnOf(betweenGridLinesX, width));
        const int nearMiddle = height / 40; // half a grid cell
        const std::vector<double> middle =
            blackRunsDown(image, clearColumn, height / 2 - nearMiddle, height / 2 + nearMiddle);
        ASSERT_EQ(middle.size(), 1u) << "black runs near the middle row";
        EXPECT_NEAR(middle[0], height / 2.0, edgeTolerance);
        // The mass, advanced by exactly the frames drawn.
        expectDiscAt(frames, startYScale, "after the resize");

        press('s');
        frames += 1;
        expectDiscAt(frames, startYScale, "after 's' at the new size");
    }
}

TEST_F(EndToEnd, WindowTitledInJapaneseAndEscapeEndsWithStatusZeroAndNothingMore)
{
    start(exampleAnswers);
    // The title as the window system holds it: the EWMH name as UTF-8, and
    // the ICCCM name in whatever text type decodes to the same characters.
    EXPECT_EQ(xvfb::netWindowName(program->display(), program->window()), fvdriver::windowTitle);
    EXPECT_EQ(xvfb::legacyWindowName(program->display(), program->window()), fvdriver::windowTitle);

    press('s');
    const std::string output = program->output();
    const int frames = program->framesSeen();
    program->sendEscape();
    EXPECT_EQ(program->waitForExit(), 0);
    EXPECT_EQ(program->framesSeen(), frames) << "a frame came after Escape";
    EXPECT_EQ(program->output(), output);
    EXPECT_EQ(program->errors(), "");
}

} // namespace
