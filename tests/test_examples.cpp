// The ready-made experiments of examples/, each run through the built
// program in a private Xvfb with its answer file as the console's input, and
// judged by its time plot: after many frames one picture holds the whole red
// trace y(t) (and the green F(t)/K), read back column by column and compared
// with what the experiment is meant to show.
#include "app/view.h"
#include "tools/program_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace
{

const char* const programPath = FV_PROGRAM;
const std::string examplesDir = FV_EXAMPLES;

// --- the time plot's geometry with the start-up view settings (app/view.h)

// Drawing x of the vertical axis, where sample 0 (t = 0) lies.
constexpr double axisX = startAxesOrigin.x;
// Drawing x up to which the trace is read: the mass's string, red as well,
// starts at x = 0.01.
constexpr double readLimitX = 0.0;
// Simulated time between two samples of the trace (one frame), seconds.
constexpr double frameTime = 0.04;
// What one press of 't' or 'y' multiplies its scale by ('T' and 'Y' divide).
constexpr double zoomFactor = 0.9;
// Frames before the first key: the window's first showing.
constexpr int framesBeforeKeys = 1;

constexpr double pi = 3.14159265358979;

constexpr xvfb::Rgb red{255, 0, 0};
constexpr xvfb::Rgb green{0, 255, 0};
// The sweep's squares, dark brown (0.4, 0.2, 0).
constexpr xvfb::Rgb brown{102, 51, 0};

// --- tolerances

// How far a displacement read from the picture may sit from the model's,
// metres: two pixels at the start-up scale (a pixel is 0.005 m), one for
// the 2-pixel width of the line and one for rounding to whole pixels.
constexpr double readTolerance = 0.01;
// Below the axis by more than this, metres, counts as a crossing: one pixel,
// as the line's edge may spill one pixel over the axis.
constexpr double belowAxis = 0.005;
// Rows around a run of one colour that must be free of the other for the
// run's middle to be trusted: the green line is drawn over the red one where
// they cross, so a red run next to green may be cut short.
constexpr int clearRows = 2;
// How long a frame's picture may take to reach the screen after its frame
// was reported.
constexpr std::chrono::seconds pictureTimeout{5};
// How long the sweep's squares may take: 1.8 million steps at most, slower
// under the sanitizers, and two frames of the chart.
constexpr std::chrono::seconds sweepTimeout{60};

// The key `key` typed `count` times.
std::string repeat(char key, int count)
{
    return std::string(static_cast<std::size_t>(count), key);
}

// The whole of a file; empty if it cannot be read.
std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One column of a trace: its pixel column and time, and the highest and
// lowest displacement its line covers, metres; clear when no other colour
// touches the run, so that its middle can be trusted.
struct Column {
    int x;
    double t;
    double high;
    double low;
    bool clear;
    double middle() const { return (high + low) / 2; }
};

// One coloured trace of the time plot, read from a picture.
class Trace
{
  public:
    // Read the runs of `colour` column by column; `other` is the colour that
    // may lie over it.
    Trace(const xvfb::Image& image, xvfb::Rgb colour, xvfb::Rgb other, double timeScale,
          double yScale)
    {
        const double pixel = 2.0 / image.height; // drawing units
        // The line's edge lies about half a pixel beyond the curve.
        const double edge = pixel / 2;
        const int lastColumn = static_cast<int>((readLimitX + 1) / 2 * image.width) - 1;
        for (int x = 0; x <= lastColumn; ++x) {
            const double drawingX = (x + 0.5) * 2.0 / image.width - 1;
            const double t = (drawingX - axisX) / timeScale * frameTime;
            if (t < 0)
                continue;
            int top = -1;
            int bottom = -1;
            for (int y = 0; y < image.height; ++y)
                if (image.pixel(x, y) == colour) {
                    top = top < 0 ? y : top;
                    bottom = y;
                }
            if (top < 0)
                continue;
            bool clear = true;
            for (int y = std::max(0, top - clearRows);
                 y <= std::min(image.height - 1, bottom + clearRows); ++y)
                clear = clear && image.pixel(x, y) != other;
            const double high = 1 - (top + 0.5) * pixel - edge;
            const double low = 1 - (bottom + 0.5) * pixel + edge;
            columns_.push_back({x, t, high / yScale, low / yScale, clear});
        }
    }

    const std::vector<Column>& columns() const { return columns_; }
    // Time of the last column the trace reaches, seconds; -1 if it is empty.
    double end() const { return columns_.empty() ? -1 : columns_.back().t; }

    // Highest displacement over the times [from, to); -inf if none there.
    double highest(double from, double to) const
    {
        double result = -std::numeric_limits<double>::infinity();
        for (const Column& c : columns_)
            if (c.t >= from && c.t < to)
                result = std::max(result, c.high);
        return result;
    }
    // Lowest displacement over the times [from, to); +inf if none there.
    double lowest(double from, double to) const
    {
        double result = std::numeric_limits<double>::infinity();
        for (const Column& c : columns_)
            if (c.t >= from && c.t < to)
                result = std::min(result, c.low);
        return result;
    }
    // Largest distance from the axis over the times [from, to).
    double swing(double from, double to) const
    {
        return std::max(highest(from, to), -lowest(from, to));
    }
    // First time at which the middle of the whole line is at or below level;
    // -1 if never.
    double firstTimeAtOrBelow(double level) const
    {
        for (const Column& c : columns_)
            if (c.clear && c.middle() <= level)
                return c.t;
        return -1;
    }
    // Largest distance of the line's middle from curve(t) over the times
    // [from, to), counting only the columns where the line is whole.
    template <typename Curve>
    double largestDeparture(const Curve& curve, double from, double to) const
    {
        double result = 0;
        for (const Column& c : columns_)
            if (c.clear && c.t >= from && c.t < to)
                result = std::max(result, std::abs(c.middle() - curve(c.t)));
        return result;
    }

  private:
    std::vector<Column> columns_;
};

// --- the fixture

class Experiment : public ::testing::Test
{
  protected:
    // Start the program with the example's answers, type the keys (each of
    // them redraws) and wait until the trace has reached its last frame.
    void run(const std::string& name, const std::string& keys,
             const std::vector<std::string>& args = {})
    {
        const std::string answers = readFile(examplesDir + "/" + name);
        ASSERT_FALSE(answers.empty()) << "cannot read " << examplesDir << "/" << name;
        fvdriver::Options options;
        options.program = programPath;
        options.answers = answers;
        options.args = args;
        options.frameTimeout = frameTimeout;
        program = std::make_unique<fvdriver::Program>(server, options);
        for (const char key : keys) {
            if (key == 't')
                timeScale *= zoomFactor;
            if (key == 'T')
                timeScale /= zoomFactor;
            if (key == 'y')
                yScale *= zoomFactor;
            if (key == 'Y')
                yScale /= zoomFactor;
            ASSERT_TRUE(program->sendKeyForFrame(key)) << "no frame after '" << key << "'";
        }
        const int frames = framesBeforeKeys + static_cast<int>(keys.size());
        const double lastTime =
            std::min(frames * frameTime, (readLimitX - axisX) / timeScale * frameTime) -
            3 * frameTime;
        // The two traces together reach the last frame's sample: the green
        // one may hide the end of the red one.
        auto reach = [&](const xvfb::Image& image) {
            return std::max(Trace(image, red, green, timeScale, yScale).end(),
                            Trace(image, green, red, timeScale, yScale).end());
        };
        const bool complete = program->waitForPicture(
            [&](const xvfb::Image& image) { return reach(image) >= lastTime; }, pictureTimeout,
            &picture);
        ASSERT_TRUE(complete) << "the traces end at t = " << reach(picture) << " s, not after "
                              << lastTime << " s";
        console = program->output();
    }

    // The red trace y(t) and the green one F(t)/K of the last picture.
    Trace y() const { return Trace(picture, red, green, timeScale, yScale); }
    Trace force() const { return Trace(picture, green, red, timeScale, yScale); }

    // Expect each text among the console's printed results.
    void expectPrinted(const std::vector<std::string>& texts) const
    {
        for (const std::string& text : texts)
            EXPECT_TRUE(console.find(text) != std::string::npos)
                << "the console lacks \"" << text << "\"";
    }

    xvfb::Server server;
    std::unique_ptr<fvdriver::Program> program;
    xvfb::Image picture;
    std::string console;
    double timeScale = startTimeScale;
    double yScale = startYScale;
    // How long one frame may take; the driver's own unless a test says.
    std::chrono::milliseconds frameTimeout = fvdriver::Options{}.frameTimeout;
};

// --- the experiments, with their values as the console prints them

// resonance: m 1, lambda 0.2, K 4, F 0.2, omf 2 = om0, from rest.
TEST_F(Experiment, ResonanceSwingGrowsTowardsAdWithTimeConstantTenSeconds)
{
    ASSERT_NO_FATAL_FAILURE(run("resonance", repeat('s', 245)));
    expectPrinted({"ζ= 0.0500", "As= 0.0500", "Ad= 0.5000", "Φ= 90.00"});
    constexpr double Ad = 0.5;
    constexpr double zetaOm0 = 0.1; // 1/s: the time constant is 10 s
    const Trace trace = y();
    // |y| peaks every half period, pi/2 s; each peak is higher than the last
    // and lies on the envelope Ad (1 - exp(-zeta om0 t)).
    double previous = 0;
    for (int k = 1; k <= 6; ++k) {
        const double t = k * pi / 2;
        const double peak = trace.swing(t - pi / 4, t + pi / 4);
        EXPECT_GT(peak, previous) << "peak " << k;
        EXPECT_NEAR(peak, Ad * (1 - std::exp(-zetaOm0 * t)), readTolerance) << "peak " << k;
        previous = peak;
    }
}

// beats: lambda 0, F 0.2, omf 1.6, from rest: y = A (sin 1.6t - 0.8 sin 2t).
TEST_F(Experiment, BeatsSwingWaxesAndWanesOverOneBeatPeriod)
{
    ASSERT_NO_FATAL_FAILURE(run("beats", repeat('t', 6) + repeat('s', 459)));
    expectPrinted({"ζ= 0.0000", "Ad= 0.1389"});
    constexpr double Ad = 0.2 / (4 - 1.6 * 1.6);
    constexpr double beat = 2 * pi / (2 - 1.6); // 15.7 s
    constexpr double largest = Ad * (1 + 1.6 / 2);
    // The windows span at least half a period of the fast swing, so each
    // holds one of its peaks.
    const Trace trace = y();
    const double atStart = trace.swing(0, 1.75);
    const double atMiddle = trace.swing(beat / 2 - 1, beat / 2 + 1);
    const double atEnd = trace.swing(beat - 1, beat + 1);
    EXPECT_NEAR(atMiddle, largest, 2 * readTolerance);
    EXPECT_NEAR(trace.swing(0, trace.end()), atMiddle, readTolerance)
        << "the swing is largest away from half a beat";
    EXPECT_LT(atStart, 0.5 * atMiddle) << "the swing does not rise";
    EXPECT_LT(atEnd, 0.4 * atMiddle) << "the swing does not fall again after one beat";
}

// steady-start: lambda 0.2, F 1, omf 1, started on the steady state.
TEST_F(Experiment, SteadyStartFollowsTheSteadySwingFromTheFirstFrame)
{
    ASSERT_NO_FATAL_FAILURE(run("steady-start", repeat('s', 245)));
    expectPrinted({"Ad= 0.3326", "Φ=  3.81"});
    constexpr double Ad = 0.3326;
    constexpr double lag = 3.81 * pi / 180;
    const Trace trace = y();
    EXPECT_NEAR(trace.highest(0, pi), Ad, readTolerance) << "the first peak";
    EXPECT_NEAR(trace.lowest(pi, 2 * pi), -Ad, readTolerance) << "the first trough";
    EXPECT_NEAR(trace.highest(2 * pi, trace.end()), Ad, readTolerance) << "the second peak";
    auto steady = [&](double t) { return Ad * std::sin(t - lag); };
    EXPECT_LE(trace.largestDeparture(steady, 0, trace.end()), readTolerance)
        << "y(t) is not Ad sin(t - phi) throughout";
}

// rest-start: the same system from rest.
TEST_F(Experiment, RestStartOvershootsAndItsFreeSwingDiesAway)
{
    ASSERT_NO_FATAL_FAILURE(run("rest-start", repeat('s', 245)));
    expectPrinted({"Ad= 0.3326", "(y0,v0)=( 0.0000[m],  0.0000[m/s])"});
    constexpr double Ad = 0.3326;
    constexpr double lag = 3.81 * pi / 180;
    // How far the first peak passes Ad at least, metres (0.07 in the model).
    constexpr double overshoot = 0.04;
    const Trace trace = y();
    ASSERT_FALSE(trace.columns().empty());
    EXPECT_NEAR(trace.columns().front().middle(), 0, readTolerance) << "y(0)";
    EXPECT_GT(trace.highest(0, pi), Ad + overshoot) << "the first peak";
    // The free swing at om0 is what is left after the steady one; it decays
    // as exp(-0.1 t), to less than half in 8 s.
    auto steady = [&](double t) { return Ad * std::sin(t - lag); };
    const double early = trace.largestDeparture(steady, 0, 3);
    const double late = trace.largestDeparture(steady, 8, trace.end());
    EXPECT_GT(early, 0.1) << "no free swing at the start";
    EXPECT_LT(late, 0.6 * early) << "the free swing does not die away";
}

// critical-damping: lambda 4 (zeta 1), F 0.2, omf 1, released from 0.5 m.
TEST_F(Experiment, CriticalDampingReturnsWithoutCrossingTheAxis)
{
    ASSERT_NO_FATAL_FAILURE(run("critical-damping", repeat('s', 200)));
    expectPrinted({"ζ= 1.0000", "Ad= 0.0400", "(y0,v0)=( 0.5000[m],  0.0000[m/s])"});
    constexpr double Ad = 0.04;
    const Trace trace = y();
    ASSERT_FALSE(trace.columns().empty());
    EXPECT_NEAR(trace.columns().front().middle(), 0.5, readTolerance) << "y(0)";
    // The model passes 0.1 m at 1.76 s (0.5 (1 + 2t) exp(-2t) alone: 1.7 s).
    const double back = trace.firstTimeAtOrBelow(0.1);
    EXPECT_GT(back, 1.5);
    EXPECT_LT(back, 2.0);
    // No overshoot: the free motion has died before y first goes below the
    // axis (at 4.1 s), and only the forced swing is left after that.
    EXPECT_GE(trace.lowest(0, 3.5), -belowAxis) << "y crosses the axis during the return";
    EXPECT_LE(trace.swing(3.5, trace.end()), Ad + readTolerance) << "the forced swing";
}

// over-damping: lambda 10 (zeta 2.5), otherwise as critical-damping.
TEST_F(Experiment, OverDampingCreepsBackMoreSlowlyThanCritical)
{
    ASSERT_NO_FATAL_FAILURE(run("over-damping", repeat('s', 245)));
    expectPrinted({"ζ= 2.5000", "Ad= 0.0192"});
    const Trace trace = y();
    ASSERT_FALSE(trace.columns().empty());
    EXPECT_NEAR(trace.columns().front().middle(), 0.5, readTolerance) << "y(0)";
    // The slow root -0.42/s sets the pace: 0.1 m at 4.2 s in the model,
    // against 1.76 s with critical damping.
    const double back = trace.firstTimeAtOrBelow(0.1);
    EXPECT_GT(back, 3.7);
    EXPECT_LT(back, 4.7);
    EXPECT_GE(trace.lowest(0, trace.end()), -belowAxis) << "y crosses the axis";
}

// isolation: lambda 0.4, F 1, omf 6 = 3 om0, started on the steady state.
TEST_F(Experiment, IsolationMassMovesLittleAndAgainstTheForce)
{
    ASSERT_NO_FATAL_FAILURE(run("isolation", repeat('s', 100)));
    expectPrinted({"As= 0.2500", "Ad= 0.0312", "Ad/As= 0.1246", "Φ=175.71"});
    constexpr double As = 0.25;
    constexpr double Ad = 0.0312;
    const Trace mass = y();
    const Trace force = this->force();
    EXPECT_NEAR(force.swing(0, force.end()), As, readTolerance) << "F(t)/K";
    EXPECT_NEAR(mass.swing(0, mass.end()), Ad, readTolerance) << "y(t)";
    // Wherever the force is well away from zero, y is on the other side.
    int strongForce = 0;
    int opposite = 0;
    const std::vector<Column>& ys = mass.columns();
    for (const Column& f : force.columns()) {
        if (std::abs(f.middle()) < As / 2)
            continue;
        const auto c =
            std::find_if(ys.begin(), ys.end(), [&](const Column& m) { return m.x == f.x; });
        if (c == ys.end())
            continue;
        ++strongForce;
        opposite += c->middle() * f.middle() < 0 ? 1 : 0;
    }
    EXPECT_GT(strongForce, 50);
    EXPECT_GE(opposite, 0.9 * strongForce) << opposite << " of " << strongForce;
}

// base-isolation: lambda 0.4, the ground moving by U = 0.2 m at omf 6 = 3 om0,
// on the steady state: the mass moves |Y/U| = 0.1454 as far as the ground.
TEST_F(Experiment, BaseIsolationMassMovesLessThanTheGround)
{
    ASSERT_NO_FATAL_FAILURE(run("base-isolation", repeat('s', 100), {"--excitation", "base"}));
    expectPrinted({"U= 0.2000", "Y= 0.0291", "|Y/U|= 0.1454"});
    const Trace mass = y();
    const Trace ground = force();
    EXPECT_NEAR(ground.swing(0, ground.end()), 0.2, readTolerance) << "u(t)";
    EXPECT_NEAR(mass.swing(0, mass.end()), 0.0291, readTolerance) << "y(t)";
}

// undamped-resonance: lambda 0, F 0.1, omf 2 = om0, from rest.
TEST_F(Experiment, UndampedResonanceSwingGrowsInProportionToTime)
{
    ASSERT_NO_FATAL_FAILURE(run("undamped-resonance", repeat('s', 245)));
    expectPrinted({"ζ= 0.0000", "Ad=    inf", "Φ= 90.00"});
    constexpr double growth = 0.1 / (2 * 1 * 2); // F/(2 m om0), m/s
    const Trace trace = y();
    for (int k = 1; k <= 6; ++k) {
        const double t = k * pi / 2;
        EXPECT_NEAR(trace.swing(t - pi / 4, t + pi / 4), growth * t, readTolerance)
            << "peak " << k << " at " << t << " s";
    }
}

// sweep: the worked example (zeta 0.05, As 0.25 m) swept with 'w'.
TEST_F(Experiment, SweepSquaresLieOnTheClosedFormCurves)
{
    // The first chart of a run is the slowest frame of all, the sanitizer
    // build slower still, and the suite runs two tests at a time.
    frameTimeout = std::chrono::seconds(60);
    ASSERT_NO_FATAL_FAILURE(run("sweep", "w"));
    expectPrinted({"ζ= 0.0500", "As= 0.2500"});
    constexpr double zeta = 0.05;
    constexpr double As = 0.25;
    // Pixels a square's centre may sit from the closed form's: its 0.5 %
    // of agreement is under a pixel, and a pixel for rounding either way.
    constexpr int slack = 2;
    // The centres of the closed form's squares that lie within the window.
    std::vector<std::pair<int, int>> centres;
    for (int k = 1; k <= 30; ++k) {
        const double r = k * 0.1;
        const double amp = As / std::sqrt((1 - r * r) * (1 - r * r) + 4 * zeta * zeta * r * r);
        const double lag = std::atan2(2 * zeta * r, 1 - r * r) / pi;
        const double x = r / 0.02 * startFreqXScale + startVibPlotOrigin.x;
        for (const double y : {startYScale * amp, startPhaseScale * lag}) {
            const int px = static_cast<int>((x + 1) / 2 * 800);
            const int py = static_cast<int>((1 - y) / 2 * 800);
            if (py >= slack && py < 800 - slack)
                centres.push_back({px, py});
        }
    }
    EXPECT_EQ(centres.size(), 59u) << "all but the amplitude at resonance, 2.5 m";
    auto brownNear = [](const xvfb::Image& image, std::pair<int, int> c) {
        return image.count(brown, c.first - slack, c.second - slack, c.first + slack + 1,
                           c.second + slack + 1) > 0;
    };
    const bool shown = program->waitForPicture(
        [&](const xvfb::Image& image) {
            for (const auto& c : centres)
                if (!brownNear(image, c))
                    return false;
            return true;
        },
        sweepTimeout, &picture);
    ASSERT_TRUE(shown) << "a square is missing from the closed form's place";
}

} // namespace
