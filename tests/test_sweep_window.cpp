// The sweep in a real window: its squares on the screen exactly where the
// numbers of NAME-sweep.csv put them, and Escape ending the program while
// a sweep is still under way. The waits are for frames, never for a pace.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "app/view.h"
#include "tools/program_driver.h"

namespace
{

// The squares' dark brown (0.4, 0.2, 0) as the screen holds it.
constexpr xvfb::Rgb brown{102, 51, 0};
// Half a square's side, pixels (0.008 drawing units of an 800-pixel window),
// and one more for the rounding of its edges.
constexpr int squareReach = 4;
// The frequency chart's table step, as the chart places a ratio.
constexpr double freqStep = 0.02;

// A point of NAME-sweep.csv.
struct Point {
    double ratio;
    double amplitude; // m
    double lagDeg;
};

// The points of the sweep file, or none while it is not complete: the 30
// coarse points and those the search for the resonance added.
std::vector<Point> sweepFile(const std::string& path)
{
    std::ifstream in(path);
    std::vector<Point> points;
    std::string line;
    std::getline(in, line); // the header
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream row(line);
        for (std::string cell; std::getline(row, cell, ',');)
            cells.push_back(cell);
        if (cells.size() != 7)
            return {};
        points.push_back({std::stod(cells[1]), std::stod(cells[2]), std::stod(cells[4])});
    }
    return points.size() > 30 ? points : std::vector<Point>{};
}

// The pixel a drawing position falls in, for an 800 x 800 window.
struct Pixel {
    int x;
    int y;
};
Pixel pixelOf(double x, double y, const xvfb::Image& image)
{
    return {static_cast<int>(std::floor((x + 1) / 2 * image.width)),
            static_cast<int>(std::floor((1 - y) / 2 * image.height))};
}

// The centres of the squares the points put on the chart at the start-up view.
std::vector<Pixel> squareCentres(const std::vector<Point>& points, const xvfb::Image& image)
{
    std::vector<Pixel> centres;
    for (const Point& p : points) {
        const double x = p.ratio / freqStep * startFreqXScale + startVibPlotOrigin.x;
        centres.push_back(pixelOf(x, startYScale * p.amplitude, image));
        centres.push_back(pixelOf(x, startPhaseScale * p.lagDeg / 180, image));
    }
    return centres;
}

bool inside(const Pixel& p, const xvfb::Image& image, int margin)
{
    return p.x >= margin && p.y >= margin && p.x < image.width - margin &&
           p.y < image.height - margin;
}

class SweepWindow : public testing::Test
{
  protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/fv-sweepw-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        options.program = FV_PROGRAM;
        options.args = {"--csv", dir + "/lab"};
        // The first chart of a run is the slowest frame of all, the
        // sanitizer build slower still, and the suite runs two tests at a time.
        options.frameTimeout = std::chrono::seconds(60);
    }
    void TearDown() override
    {
        for (const char* file : {"/lab-motion.csv", "/lab-response.csv", "/lab-sweep.csv"})
            std::remove((dir + file).c_str());
        rmdir(dir.c_str());
    }
    xvfb::Server server;
    fvdriver::Options options;
    std::string dir;
};

TEST_F(SweepWindow, SquaresAreOnTheScreenWhereTheCsvPutsThemAndNowhereElse)
{
    // The worked example, zeta 0.05; --sweep shows the chart at once.
    options.answers = "1 0.2 4\n1 1\n1\n";
    options.args.push_back("--sweep");
    fvdriver::Program program(server, options);
    const std::string path = dir + "/lab-sweep.csv";

    // Every square of the finished sweep that lies within the window.
    auto complete = [&](const xvfb::Image& image) {
        const std::vector<Point> points = sweepFile(path);
        if (points.empty())
            return false;
        for (const Pixel& c : squareCentres(points, image))
            if (inside(c, image, squareReach) && image.pixel(c.x, c.y) != brown)
                return false;
        return true;
    };
    xvfb::Image picture;
    ASSERT_TRUE(program.waitForPicture(complete, std::chrono::seconds(20), &picture))
        << "the squares never all appeared where " << path << " puts them";

    const std::vector<Pixel> centres = squareCentres(sweepFile(path), picture);
    int onScreen = 0;
    for (const Pixel& c : centres)
        onScreen += inside(c, picture, squareReach) ? 1 : 0;
    EXPECT_GE(onScreen, 55) << "only the resonance peak's squares may be off the top";
    // No brown pixel away from every square.
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            if (picture.pixel(x, y) != brown)
                continue;
            bool near = false;
            for (const Pixel& c : centres)
                near =
                    near || (std::abs(c.x - x) <= squareReach && std::abs(c.y - y) <= squareReach);
            ASSERT_TRUE(near) << "a brown pixel at (" << x << ", " << y << ") belongs to no point";
        }
    EXPECT_EQ(program.errors(), "") << "every point settles";
    program.sendEscape();
    EXPECT_EQ(program.waitForExit(), 0);
}

TEST_F(SweepWindow, EscapeEndsTheProgramInTheMiddleOfASweep)
{
    // No damping: every point runs to the 600 s limit, 1.8 million steps.
    options.answers = "1 0 4\n0.2 1.6\n0\n";
    fvdriver::Program program(server, options);
    ASSERT_TRUE(program.sendKeyForFrame('w'));
    program.sendEscape();
    EXPECT_EQ(program.waitForExit(), 0);
    EXPECT_FALSE(std::ifstream(dir + "/lab-sweep.csv").good())
        << "the sweep finished before Escape was handled";
    EXPECT_EQ(program.errors(), "");
}

} // namespace
