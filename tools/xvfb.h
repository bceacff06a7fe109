// A private X server for tests, and the few X11 chores tests do with it.
//
// Tests never rely on an inherited DISPLAY: each one that needs a window
// starts its own Xvfb with `Server`, points its client at `Server::display()`
// (the DISPLAY variable of a child process, or "-display" on a GLUT command
// line), and inspects the client's window through its own `Connection`.
// There is no window manager on the server, so every client's top-level
// window is a direct child of the root window, placed where the client asked
// and focused only when a test says so.
//
// Failures to start the server, to connect or to read a window throw
// std::runtime_error; GoogleTest reports an exception as a failed test and
// the destructors still stop the server.
//
// Typical use in a test of a whole program:
//
//     xvfb::Server server;
//     xvfb::Connection x(server.display());
//     // start the program with DISPLAY=server.display() (tools/program_driver.h
//     // does all this for the forced-vibration program) ...
//     Window w = xvfb::noWindow;
//     ASSERT_TRUE(xvfb::waitFor([&] { w = xvfb::findWindowByPid(x, pid);
//                                     return xvfb::isViewable(x, w); },
//                               std::chrono::seconds(20)));
//     xvfb::moveWindow(x, w, 0, 0);  // GLUT put it at (-1, -1), partly off screen
//     xvfb::sendKey(x, w, 's');
//     xvfb::sendKeysym(x, w, 0xff1b);  // XK_Escape
//     xvfb::Image image = xvfb::grabWindow(x, w);
//     EXPECT_EQ(image.pixel(400, 400), xvfb::white);
//
// Nothing here is thread-safe; use it from the test's one thread.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Xlib's connection type; the header stays free of Xlib itself, whose macros
// (None, Bool, Status) clash with GoogleTest's names.
struct _XDisplay;

namespace xvfb
{

// The Xlib types under their Xlib names, identical to Xlib's own.
using Display = ::_XDisplay;
using Window = unsigned long;
using KeySym = unsigned long;

// No window: what the finders return when they find none (Xlib's None).
constexpr Window noWindow = 0;

// Screen size of a server when none is given, pixels: room for the program's
// 800 x 800 window.
constexpr int defaultScreenWidth = 1024;
constexpr int defaultScreenHeight = 1024;
// The program's window at start, pixels a side (app/window.cpp).
constexpr int programWindowSize = 800;

// How long a server may take to start and report its display, and to stop.
constexpr std::chrono::seconds startTimeout{15};
constexpr std::chrono::seconds stopTimeout{5};

// What the server does when its last client leaves.
enum class Reset {
    // Nothing (-noreset): the tests' servers, so that one program's end
    // cannot refuse the next program for a moment.
    never,
    // Reset itself, as Xvfb and Xorg do unless told otherwise (xvfb-run,
    // screen-recording scripts, a desktop). The server then tells its parent
    // each time it accepts clients again (it sends SIGUSR1, which this
    // process keeps blocked from then on and takes with waitForReset); at
    // most one such server per process at a time.
    whenLastClientLeaves,
};

// One Xvfb process on a free display number, 24-bit TrueColor, GLX on (Mesa
// renders in software), no TCP listener. It runs from construction to
// destruction or stop(); it also dies with the test process, so a crashed
// test leaves no server behind.
class Server
{
  public:
    // Start Xvfb with one screen of the given size and wait until it accepts
    // connections. Throws std::runtime_error if it does not start in time.
    explicit Server(int screenWidth = defaultScreenWidth, int screenHeight = defaultScreenHeight,
                    Reset reset = Reset::never);
    // Stop the server (see stop()).
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // The display name for DISPLAY or "-display", e.g. ":3".
    const std::string& display() const { return display_; }
    // The display number, e.g. 3.
    int number() const { return number_; }
    // Process id of the Xvfb process; 0 once stopped.
    pid_t pid() const { return pid_; }
    // Terminate the server and reap it, killing it outright if it lingers
    // past stopTimeout. Safe to call more than once.
    void stop();
    // Reset::whenLastClientLeaves only: wait until the server has reset
    // after its last client left and accepts clients again; false if it has
    // not within timeout. A reset that ended before the call counts once.
    bool waitForReset(std::chrono::milliseconds timeout);

  private:
    Reset reset_ = Reset::never;
    pid_t pid_ = 0;
    int number_ = -1;
    std::string display_;
};

// An Xlib connection of the test's own, closed at the end of its scope.
// Converts to Display* so it can be passed to every function below.
class Connection
{
  public:
    // Open the display, e.g. server.display(). Throws std::runtime_error.
    explicit Connection(const std::string& display);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Display* get() const { return display_; }
    operator Display*() const { return display_; }

  private:
    Display* display_;
};

// --- waiting

// Poll condition every poll interval until it returns true (then true) or
// timeout has passed (then false). The condition is tried at least once.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
             std::chrono::milliseconds poll = std::chrono::milliseconds(20));

// --- finding windows

// The children of the root window, bottom to top in stacking order.
std::vector<Window> topLevelWindows(Display* display);

// The window's WM_NAME alone, decoded to UTF-8 (STRING, COMPOUND_TEXT or
// UTF8_STRING); "" if it has none or it cannot be decoded.
std::string legacyWindowName(Display* display, Window window);

// The window's _NET_WM_NAME alone, as stored (UTF-8); "" if absent.
std::string netWindowName(Display* display, Window window);

// The top-level window whose _NET_WM_NAME or WM_NAME equals utf8Name;
// noWindow if there is none.
Window findWindowByName(Display* display, const std::string& utf8Name);

// The top-level window created by the client process pid, asked of the
// server itself (X-Resource extension), so it works whether or not the
// client sets _NET_WM_PID; noWindow if that process owns no top-level window.
Window findWindowByPid(Display* display, pid_t pid);

// --- window state

// Size of a window, pixels.
struct Size {
    int width;
    int height;
};

// True if the window exists and is mapped with all its ancestors.
bool isViewable(Display* display, Window window);

// The window's present size; {0, 0} if the window no longer exists.
Size windowSize(Display* display, Window window);

// Ask the server to resize the window (the client sees a ConfigureNotify and,
// under GLUT, its reshape callback). Returns at once after the request has
// reached the server; wait with windowSize or the client's own output.
void resizeWindow(Display* display, Window window, int width, int height);

// Ask the server to move the window's top-left corner to (x, y) on the
// screen. GLUT asks for no position, and with no window manager to choose
// one the window sits at (-1, -1), its top row and left column off screen,
// where grabWindow cannot read them.
void moveWindow(Display* display, Window window, int x, int y);

// Ask the window's client to close it, as a window manager does when the
// user clicks its close button (WM_DELETE_WINDOW).
void closeWindow(Display* display, Window window);

// --- pixels

// One pixel, 8 bits per channel.
struct Rgb {
    std::uint8_t r;
    std::uint8_t g;
    std::uint8_t b;
    bool operator==(const Rgb& other) const { return r == other.r && g == other.g && b == other.b; }
    bool operator!=(const Rgb& other) const { return !(*this == other); }
};

constexpr Rgb white{255, 255, 255};
constexpr Rgb black{0, 0, 0};

// The contents of a window: rows top to bottom, as X11 orders them, each
// pixel three bytes r, g, b.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    // Pixel in column x from the left, row y from the TOP (OpenGL counts rows
    // from the bottom: GL row r is image row height - 1 - r). No range check.
    Rgb pixel(int x, int y) const
    {
        const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
        return {p[0], p[1], p[2]};
    }

    // Pixels of the colour in the rectangle [x0, x1) x [y0, y1). No range check.
    int count(Rgb colour, int x0, int y0, int x1, int y1) const
    {
        int found = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                found += pixel(x, y) == colour;
        return found;
    }
};

// Read the window's pixels as the server holds them (what is on screen, the
// back buffer not included). The window must lie wholly on the screen (see
// moveWindow); throws std::runtime_error if it does not, is not viewable or
// has vanished.
Image grabWindow(Display* display, Window window);

// --- keys

// Type the character into the window: focus it, then press and release the
// key that gives the character, holding Shift where the keyboard map needs
// it (upper case letters, ':' and the like). Throws std::runtime_error if
// no key gives the character or the window is not viewable.
void sendKey(Display* display, Window window, char c);

// As sendKey, for a key named by its keysym (X11/keysym.h), e.g. XK_Escape
// (0xff1b) or XK_Return (0xff0d).
void sendKeysym(Display* display, Window window, KeySym keysym);

} // namespace xvfb
