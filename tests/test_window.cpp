// The window and its frame brackets, rendered by Mesa into a real window of a
// private Xvfb and read back as pixels; and the window title as the X server
// holds it.
//
// GLUT can be initialised once per process, so one suite owns the server,
// the GLUT window and the test's own X connection for all its cases.
#include "app/frame.h"
#include "platform/desktop/window_title.h"
#include "plot/axes_grid_arrow.h"
#include "tools/glut_window.h"
#include "tools/xvfb.h"

// GoogleTest before X11: Xlib's macros would rename GoogleTest's own names.
#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{

// The program's window title, UTF-8, with its one ideographic space.
const char* const title = "1DOF強制振動　m:ばねマス g:強制力 j:初期条件 変更, f:周波数特性描画";

// Window size the program opens with, pixels.
constexpr int startSize = xvfb::programWindowSize;

// How far a line's pixels may sit from its exact position: a 2-pixel line
// covers the two pixels either side of it, and rasterisation may shift a
// line whose position falls on a pixel edge by one more.
constexpr int linePixelTolerance = 2;

// How long a window may take to be mapped, resized or repainted under Xvfb.
constexpr std::chrono::seconds settleTimeout{10};

// Size most recently handed to the reshape callback; {0, 0} until then.
xvfb::Size reshaped{0, 0};

// Reshape callback of the test window: the program's own, noting the size.
void recordReshape(int width, int height)
{
    reshaped = {width, height};
    reshape(width, height);
}

// Display callback of the test window: the tests draw their own frames.
void ignoreDisplay() {}

// Characters handed to the keyboard callback, in order.
std::string typed;

// Keyboard callback of the test window: note the character.
void recordKey(unsigned char key, int, int)
{
    typed += static_cast<char>(key);
}

// Lines drawn in the frames below: through the corners nearest the edges, so
// that together they mark the four sides of the -1..1 square.
constexpr Point2 nearLowerLeft{-0.99, -0.99};
constexpr Point2 nearUpperRight{0.99, 0.99};

// Pixel column (from the left) or row (from the top) of drawing coordinate v
// along an axis of the given pixel count; flip for rows, since drawing y grows
// upward.
double pixelOf(double v, int count, bool flip)
{
    const double fromStart = (v + 1.0) / 2.0 * count;
    return flip ? count - fromStart : fromStart;
}

// Indices i in [0, count) where pixel(i) is black. Every pixel must be
// either black or white: the lines are drawn without smoothing.
template <typename Pixel> std::vector<int> blackRun(int count, Pixel pixel)
{
    std::vector<int> black;
    for (int i = 0; i < count; ++i) {
        const xvfb::Rgb p = pixel(i);
        if (p == xvfb::black)
            black.push_back(i);
        else
            EXPECT_EQ(p, xvfb::white) << "pixel " << i << " is neither black nor white";
    }
    return black;
}

// Expect the black pixels to be exactly the lines expected, each found at
// least once and none away from them.
void expectLinesAt(const std::vector<int>& black, const std::vector<double>& expected,
                   const std::string& where)
{
    for (double e : expected) {
        bool seen = false;
        for (int b : black)
            seen = seen || std::abs(b - e) <= linePixelTolerance;
        EXPECT_TRUE(seen) << where << ": no line near " << e;
    }
    for (int b : black) {
        bool expectedHere = false;
        for (double e : expected)
            expectedHere = expectedHere || std::abs(b - e) <= linePixelTolerance;
        EXPECT_TRUE(expectedHere) << where << ": stray black pixel at " << b;
    }
}

// Expect the picture to show the lines of nearLowerLeft and nearUpperRight
// where the -1..1 square, stretched to the image, puts them.
void expectSquareFramed(const xvfb::Image& image, const std::string& what)
{
    const int w = image.width;
    const int h = image.height;
    const std::vector<double> columns{pixelOf(nearLowerLeft.x, w, false),
                                      pixelOf(nearUpperRight.x, w, false)};
    const std::vector<double> rows{pixelOf(nearLowerLeft.y, h, true),
                                   pixelOf(nearUpperRight.y, h, true)};
    // Scan across the middle, clear of the lines that run the other way.
    const int midRow = h / 2;
    const int midColumn = w / 2;
    expectLinesAt(blackRun(w, [&](int x) { return image.pixel(x, midRow); }), columns,
                  what + ", row " + std::to_string(midRow));
    expectLinesAt(blackRun(h, [&](int y) { return image.pixel(midColumn, y); }), rows,
                  what + ", column " + std::to_string(midColumn));
}

// Expect every pixel of the picture to be white.
void expectAllWhite(const xvfb::Image& image, const std::string& what)
{
    int others = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            others += image.pixel(x, y) != xvfb::white;
    EXPECT_EQ(others, 0) << what << ": pixels that are not white";
}

// The back buffer of the current GLUT window, rows turned to run top down.
xvfb::Image readBackBuffer()
{
    const int w = glutGet(GLUT_WINDOW_WIDTH);
    const int h = glutGet(GLUT_WINDOW_HEIGHT);
    std::vector<std::uint8_t> bottomUp(static_cast<std::size_t>(w) * h * 3);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());

    xvfb::Image image;
    image.width = w;
    image.height = h;
    image.rgb.resize(bottomUp.size());
    const std::size_t row = static_cast<std::size_t>(w) * 3;
    for (int y = 0; y < h; ++y)
        std::copy_n(&bottomUp[(h - 1 - y) * row], row, &image.rgb[y * row]);
    return image;
}

// Run the first lines of a frame: axes through both corners.
void drawFramingLines()
{
    drawAxes(nearLowerLeft, 0.0);
    drawAxes(nearUpperRight, 0.0);
}

// Output of a shell command.
std::string commandOutput(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        size_t n = 0;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

// The private server, the test's connection to it and the GLUT window, for
// the whole process. GLUT's connection is closed before the server goes.
struct Session {
    std::unique_ptr<xvfb::Server> server;
    std::unique_ptr<xvfb::Connection> x;
    Window window = None;

    ~Session()
    {
        if (window != None)
            glutExit();
        x.reset();
        server.reset();
    }
};
Session session;

class WindowTest : public testing::Test
{
  protected:
    // Start the server and open the one GLUT window, as the program does;
    // once per process, since GLUT cannot be initialised twice (a repeated
    // run of the suite reuses them).
    static void SetUpTestSuite()
    {
        if (session.server)
            return;
        session.server = std::make_unique<xvfb::Server>();
        session.x = std::make_unique<xvfb::Connection>(session.server->display());
        session.window = glutwindow::open(
            *session.server, title, {ignoreDisplay, recordReshape, recordKey, initGL, nullptr});
        setWindowTitle(title);
    }

    // Skip the case if the suite could not set up its window.
    void SetUp() override
    {
        ASSERT_NE(session.window, xvfb::noWindow) << "no GLUT window on a private server";
    }

    // Let GLUT handle what the server sent until the condition holds.
    static bool pumpUntil(const std::function<bool()>& condition)
    {
        return glutwindow::pumpUntil(condition, settleTimeout);
    }

    // Resize the window from outside, as a user would, and wait until GLUT
    // has passed the new size to reshape. The window is also moved wholly
    // onto the screen, where its every pixel can be read.
    static void resizeTo(int width, int height)
    {
        ASSERT_TRUE(glutwindow::showAtCorner(*session.x, session.window, settleTimeout))
            << "the window was never mapped";
        xvfb::resizeWindow(*session.x, session.window, width, height);
        ASSERT_TRUE(pumpUntil([&] { return reshaped.width == width && reshaped.height == height; }))
            << "reshape never saw " << width << " x " << height;
    }

    // Swap the frame to the screen and read it from the server once it is there.
    static xvfb::Image showAndGrab(const std::function<bool(const xvfb::Image&)>& arrived)
    {
        endFrame();
        XSync(glXGetCurrentDisplay(), False);
        xvfb::Image image;
        xvfb::waitFor(
            [&] {
                image = xvfb::grabWindow(*session.x, session.window);
                return arrived(image);
            },
            settleTimeout);
        return image;
    }
};

TEST_F(WindowTest, FrameIsWhiteWithTheSquareFillingTheWindow)
{
    ASSERT_NO_FATAL_FAILURE(resizeTo(startSize, startSize));

    // A transform left over from an earlier frame must not move this one.
    glTranslated(0.5, 0.5, 0.0);
    beginFrame();
    drawFramingLines();
    // Drawing goes to the back buffer; nothing is shown before the swap.
    const xvfb::Image back = readBackBuffer();
    expectSquareFramed(back, "back buffer");
    // A line through x = -0.99 lands 0.005 of the width from the left edge.
    EXPECT_EQ(back.pixel(4, 200), xvfb::black);
    EXPECT_EQ(back.pixel(200, startSize - 1 - 4), xvfb::black);

    const xvfb::Image shown = showAndGrab([](const xvfb::Image& i) {
        return i.width == startSize && i.pixel(4, 200) == xvfb::black;
    });
    ASSERT_EQ(shown.width, startSize);
    ASSERT_EQ(shown.height, startSize);
    expectSquareFramed(shown, "window");

    // The next frame starts from a white page whatever the last one showed.
    beginFrame();
    const xvfb::Image blank = showAndGrab([](const xvfb::Image& i) {
        return i.width == startSize && i.pixel(4, 200) == xvfb::white;
    });
    expectAllWhite(blank, "empty frame");
}

TEST_F(WindowTest, ReshapedWindowStillShowsTheWholeSquare)
{
    struct Shape {
        int width;
        int height;
    };
    // Narrow, flat, and back to the start: the square is stretched, never cut.
    const Shape shapes[] = {{400, startSize}, {startSize, 400}, {startSize, startSize}};
    for (const Shape& s : shapes) {
        const std::string what = std::to_string(s.width) + " x " + std::to_string(s.height);
        ASSERT_NO_FATAL_FAILURE(resizeTo(s.width, s.height));
        beginFrame();
        drawFramingLines();
        expectSquareFramed(readBackBuffer(), what + " back buffer");
        // The right-hand line covers the pixel left of its exact column.
        const int rightLine = static_cast<int>(pixelOf(nearUpperRight.x, s.width, false)) - 1;
        const xvfb::Image shown = showAndGrab([&](const xvfb::Image& i) {
            return i.width == s.width && i.height == s.height &&
                   i.pixel(rightLine, i.height / 2) == xvfb::black;
        });
        ASSERT_EQ(shown.width, s.width) << what;
        ASSERT_EQ(shown.height, s.height) << what;
        expectSquareFramed(shown, what + " window");
    }
}

TEST_F(WindowTest, TitleReadsAsTheJapaneseTextInEveryProperty)
{
    EXPECT_EQ(xvfb::netWindowName(*session.x, session.window), title);
    EXPECT_EQ(xvfb::legacyWindowName(*session.x, session.window), title);

    // The icon names follow the window name.
    XTextProperty icon{};
    ASSERT_NE(XGetWMIconName(*session.x, session.window, &icon), 0);
    char** list = nullptr;
    int count = 0;
    ASSERT_GE(Xutf8TextPropertyToTextList(*session.x, &icon, &list, &count), Success);
    ASSERT_EQ(count, 1);
    EXPECT_STREQ(list[0], title);
    XFreeStringList(list);
    XFree(icon.value);

    // A separate client, reading as a window manager would, sees the same.
    char id[32];
    std::snprintf(id, sizeof id, "0x%lx", session.window);
    const std::string props =
        commandOutput("LC_ALL=C.UTF-8 DISPLAY=" + session.server->display() + " xprop -id " + id +
                      " _NET_WM_NAME _NET_WM_ICON_NAME WM_NAME 2>&1");
    const std::string quoted = std::string("\"") + title + "\"";
    EXPECT_NE(props.find("_NET_WM_NAME(UTF8_STRING) = " + quoted), std::string::npos) << props;
    EXPECT_NE(props.find("_NET_WM_ICON_NAME(UTF8_STRING) = " + quoted), std::string::npos) << props;
    // WM_NAME's text type may be any that decodes right; only the text counts.
    const std::size_t legacy = props.find("\nWM_NAME(");
    ASSERT_NE(legacy, std::string::npos) << props;
    const std::size_t end = props.find('\n', legacy + 1);
    const std::string line = props.substr(legacy + 1, end - legacy - 1);
    EXPECT_EQ(line.substr(line.find(')')), ") = " + quoted) << props;

    EXPECT_EQ(xvfb::findWindowByName(*session.x, title), session.window);
    EXPECT_EQ(xvfb::findWindowByPid(*session.x, getpid()), session.window);
}

TEST_F(WindowTest, KeysTypedFromOutsideReachTheKeyboardCallback)
{
    ASSERT_NO_FATAL_FAILURE(resizeTo(startSize, startSize));
    typed.clear();
    // Lower and upper case, a shifted punctuation mark, and escape.
    for (char c : std::string("sX:"))
        xvfb::sendKey(*session.x, session.window, c);
    xvfb::sendKeysym(*session.x, session.window, XK_Escape);
    const std::string expected = "sX:\x1b";
    pumpUntil([&] { return typed.size() >= expected.size(); });
    EXPECT_EQ(typed, expected);
}

// A plain socket connected to the display's listening socket (Linux's
// abstract one, which Xvfb always opens); -1 if nothing listens there.
int connectToDisplaySocket(int number)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string name = "/tmp/.X11-unix/X" + std::to_string(number);
    // Abstract: a NUL first, then the name, without a terminating NUL.
    std::copy(name.begin(), name.end(), address.sun_path + 1);
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// True once the peer of the socket has closed it, within the timeout: end of
// file, or a reset if it never accepted the connection.
bool peerClosed(int fd, std::chrono::milliseconds timeout)
{
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(timeout.count())) <= 0)
        return false;
    char byte = 0;
    const ssize_t n = read(fd, &byte, 1);
    return n == 0 || (n < 0 && errno == ECONNRESET);
}

// Servers come up side by side on their own displays and leave nothing behind.
TEST(XvfbServer, StartsOnAFreeDisplayAndStopsCleanly)
{
    xvfb::Server first;
    xvfb::Server second;
    EXPECT_NE(first.display(), second.display());
    EXPECT_EQ(first.display(), ":" + std::to_string(first.number()));

    const pid_t pid = second.pid();
    {
        xvfb::Connection connection(second.display());
        EXPECT_TRUE(xvfb::topLevelWindows(connection).empty());
        EXPECT_EQ(xvfb::findWindowByName(connection, title), xvfb::noWindow);
    }
    // Whether the display answers after the stop says nothing: other tests'
    // servers start all the while, and take the lowest free display number,
    // often the one just freed. What shows that this server is gone is a
    // connection to it, made before the stop, closed by its end.
    const int socketFd = connectToDisplaySocket(second.number());
    ASSERT_GE(socketFd, 0) << "nothing listens on " << second.display();
    second.stop();
    EXPECT_EQ(second.pid(), 0);
    // Reaped: the process id no longer names a process of ours.
    EXPECT_NE(waitpid(pid, nullptr, WNOHANG), pid);
    EXPECT_TRUE(peerClosed(socketFd, std::chrono::milliseconds(0)))
        << "a connection to the stopped server is still open";
    close(socketFd);
    second.stop();
}

} // namespace
