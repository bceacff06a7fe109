// A private X server for tests, and the few X11 chores tests do with it.
#include "tools/xvfb.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace xvfb
{

namespace
{

using Clock = std::chrono::steady_clock;

// Throw the message with the text of errno appended.
[[noreturn]] void throwSystemError(const std::string& what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

// Collects the X errors of one connection for a stretch of requests instead
// of letting Xlib's default handler end the process (a window can vanish or
// be unmapped between two requests). Errors on other connections, such as
// GLUT's in the same process, go on to the handler that was installed.
class ErrorTrap
{
  public:
    explicit ErrorTrap(Display* display) : display_(display)
    {
        XSync(display_, False);
        trapped_ = display_;
        errors_ = 0;
        previous_ = XSetErrorHandler(handle);
    }
    ~ErrorTrap()
    {
        XSync(display_, False);
        XSetErrorHandler(previous_);
        trapped_ = nullptr;
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // True if any request since the trap was set has failed.
    bool failed()
    {
        XSync(display_, False);
        return errors_ != 0;
    }

  private:
    static int handle(Display* display, XErrorEvent* event)
    {
        if (display == trapped_) {
            ++errors_;
            return 0;
        }
        return previous_ != nullptr ? previous_(display, event) : 0;
    }

    Display* display_;
    static inline Display* trapped_ = nullptr;
    static inline int errors_ = 0;
    static inline XErrorHandler previous_ = nullptr;
};

// Read the display number Xvfb writes to fd once it accepts connections.
// Returns -1 on end of file (the server died) or when the deadline passes.
int readDisplayNumber(int fd, Clock::time_point deadline)
{
    std::string text;
    while (text.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return -1;
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return -1;
        char buffer[32];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return -1;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    try {
        return std::stoi(text);
    } catch (const std::exception&) {
        return -1;
    }
}

// Interned atom of the given name.
Atom atom(Display* display, const char* name)
{
    return XInternAtom(display, name, False);
}

// Decode a text property (STRING, COMPOUND_TEXT, UTF8_STRING) to UTF-8.
std::string decodeText(Display* display, XTextProperty& text)
{
    char** list = nullptr;
    int count = 0;
    std::string result;
    if (Xutf8TextPropertyToTextList(display, &text, &list, &count) >= Success && list != nullptr) {
        for (int i = 0; i < count; ++i)
            result += list[i];
        XFreeStringList(list);
    }
    return result;
}

// Position of the lowest set bit of a colour mask, and the mask's width.
void maskShape(unsigned long mask, int& shift, int& bits)
{
    shift = 0;
    bits = 0;
    if (mask == 0)
        return;
    while ((mask & 1UL) == 0) {
        mask >>= 1;
        ++shift;
    }
    while ((mask & 1UL) != 0) {
        mask >>= 1;
        ++bits;
    }
}

// One channel of a pixel value, widened or narrowed to 8 bits.
std::uint8_t channel(unsigned long pixel, int shift, int bits)
{
    if (bits == 0)
        return 0;
    const unsigned long value = (pixel >> shift) & ((1UL << bits) - 1);
    if (bits >= 8)
        return static_cast<std::uint8_t>(value >> (bits - 8));
    return static_cast<std::uint8_t>(value * 255 / ((1UL << bits) - 1));
}

// The keysym a character is typed as: Latin-1 keysyms equal the character
// code; control characters map to their function keys.
KeySym keysymOf(char c)
{
    switch (c) {
    case '\n':
    case '\r':
        return XK_Return;
    case '\t':
        return XK_Tab;
    case '\b':
        return XK_BackSpace;
    case '\x1b':
        return XK_Escape;
    default:
        return static_cast<unsigned char>(c);
    }
}

} // namespace

// --- Server

// The signal a server sends its parent whenever it is ready for clients, at
// its start and after each reset, if it was started with the signal ignored.
static sigset_t readySignal()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGUSR1);
    return set;
}

// Take the ready signal of the server pid; false if none came within timeout.
static bool takeReadySignal(pid_t pid, std::chrono::milliseconds timeout)
{
    const sigset_t set = readySignal();
    const auto deadline = Clock::now() + timeout;
    // Looked for at least once, so that a timeout of 0 takes one already sent.
    for (;;) {
        const auto left =
            std::max(std::chrono::nanoseconds(0),
                     std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now()));
        const timespec wait{static_cast<time_t>(left.count() / 1000000000),
                            static_cast<long>(left.count() % 1000000000)};
        siginfo_t info{};
        if (sigtimedwait(&set, &info, &wait) == SIGUSR1 && info.si_pid == pid)
            return true;
        if (Clock::now() >= deadline)
            return false;
    }
}

Server::Server(int screenWidth, int screenHeight, Reset reset) : reset_(reset)
{
    const bool resets = reset == Reset::whenLastClientLeaves;
    if (resets) {
        // Blocked before the server can send it: its default action would
        // end this process.
        const sigset_t set = readySignal();
        pthread_sigmask(SIG_BLOCK, &set, nullptr);
    }
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throwSystemError("pipe for Xvfb's display number");

    // Everything the child needs is built before fork: between fork and exec
    // only async-signal-safe calls are allowed.
    const std::string fdText = std::to_string(fds[1]);
    const std::string screen =
        std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x24";
    // -noreset: a server whose last client leaves would otherwise reset and
    // refuse the next program for a moment.
    const char* const args[] = {"Xvfb",      "-displayfd", fdText.c_str(),
                                "-screen",   "0",          screen.c_str(),
                                "-nolisten", "tcp",        resets ? nullptr : "-noreset",
                                nullptr};
    const pid_t parent = getpid();

    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        throwSystemError("fork for Xvfb");
    }
    if (child == 0) {
        // Die with the test process, so that a crash leaves no server behind.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(1);
        // An X server started with SIGUSR1 ignored sends it to its parent
        // whenever it is ready for clients.
        if (resets) {
            signal(SIGUSR1, SIG_IGN);
            const sigset_t set = readySignal();
            sigprocmask(SIG_UNBLOCK, &set, nullptr);
        }
        // The write end must survive exec; Xvfb's chatter goes nowhere.
        fcntl(fds[1], F_SETFD, 0);
        const int devNull = open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            dup2(devNull, 0);
            dup2(devNull, 1);
            dup2(devNull, 2);
        }
        execvp("Xvfb", const_cast<char* const*>(args));
        _exit(127);
    }

    pid_ = child;
    close(fds[1]);
    number_ = readDisplayNumber(fds[0], Clock::now() + startTimeout);
    close(fds[0]);
    if (number_ < 0) {
        stop();
        throw std::runtime_error("Xvfb did not start (is the xvfb package installed?)");
    }
    display_ = ":" + std::to_string(number_);
    // The signal of its start, sent just after the display number.
    if (resets && !takeReadySignal(pid_, startTimeout)) {
        stop();
        throw std::runtime_error("Xvfb did not say it was ready");
    }
}

bool Server::waitForReset(std::chrono::milliseconds timeout)
{
    if (reset_ != Reset::whenLastClientLeaves)
        throw std::logic_error("waitForReset on a server that never resets");
    return takeReadySignal(pid_, timeout);
}

Server::~Server()
{
    stop();
}

void Server::stop()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    const auto deadline = Clock::now() + stopTimeout;
    for (;;) {
        const pid_t done = waitpid(pid_, nullptr, WNOHANG);
        if (done == pid_ || (done < 0 && errno != EINTR))
            break;
        if (Clock::now() >= deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = 0;
}

// --- Connection

Connection::Connection(const std::string& display) : display_(XOpenDisplay(display.c_str()))
{
    if (display_ == nullptr)
        throw std::runtime_error("cannot open X display " + display);
}

Connection::~Connection()
{
    XCloseDisplay(display_);
}

// --- waiting

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
             std::chrono::milliseconds poll)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (condition())
            return true;
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(poll);
    }
}

// --- finding windows

std::vector<Window> topLevelWindows(Display* display)
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<Window> result;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) != 0) {
        result.assign(children, children + count);
        if (children != nullptr)
            XFree(children);
    }
    return result;
}

std::string netWindowName(Display* display, Window window)
{
    const Atom utf8String = atom(display, "UTF8_STRING");
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::string result;
    ErrorTrap trap(display);
    const int status =
        XGetWindowProperty(display, window, atom(display, "_NET_WM_NAME"), 0, 1L << 16, False,
                           utf8String, &type, &format, &count, &after, &data);
    if (status == Success && !trap.failed() && type == utf8String && format == 8 && data)
        result.assign(reinterpret_cast<const char*>(data), count);
    if (data != nullptr)
        XFree(data);
    return result;
}

std::string legacyWindowName(Display* display, Window window)
{
    XTextProperty text{};
    std::string result;
    ErrorTrap trap(display);
    if (XGetWMName(display, window, &text) != 0 && !trap.failed() && text.value != nullptr)
        result = decodeText(display, text);
    if (text.value != nullptr)
        XFree(text.value);
    return result;
}

Window findWindowByName(Display* display, const std::string& utf8Name)
{
    for (Window window : topLevelWindows(display)) {
        if (netWindowName(display, window) == utf8Name ||
            legacyWindowName(display, window) == utf8Name)
            return window;
    }
    return None;
}

Window findWindowByPid(Display* display, pid_t pid)
{
    int eventBase = 0;
    int errorBase = 0;
    if (!XResQueryExtension(display, &eventBase, &errorBase))
        throw std::runtime_error("the X server lacks the X-Resource extension");

    Window found = None;
    for (Window window : topLevelWindows(display)) {
        XResClientIdSpec spec{window, XRES_CLIENT_ID_PID_MASK};
        long count = 0;
        XResClientIdValue* ids = nullptr;
        ErrorTrap trap(display);
        if (XResQueryClientIds(display, 1, &spec, &count, &ids) != Success || trap.failed())
            continue;
        bool owned = false;
        for (long i = 0; i < count; ++i)
            owned = owned || XResGetClientPid(&ids[i]) == pid;
        XResClientIdsDestroy(count, ids);
        // Prefer the window on show over any hidden one of the same client.
        if (owned && (found == None || isViewable(display, window)))
            found = window;
    }
    return found;
}

// --- window state

bool isViewable(Display* display, Window window)
{
    XWindowAttributes attributes{};
    ErrorTrap trap(display);
    return XGetWindowAttributes(display, window, &attributes) != 0 && !trap.failed() &&
           attributes.map_state == IsViewable;
}

Size windowSize(Display* display, Window window)
{
    XWindowAttributes attributes{};
    ErrorTrap trap(display);
    if (XGetWindowAttributes(display, window, &attributes) == 0 || trap.failed())
        return {0, 0};
    return {attributes.width, attributes.height};
}

void resizeWindow(Display* display, Window window, int width, int height)
{
    XResizeWindow(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(display, False);
}

void moveWindow(Display* display, Window window, int x, int y)
{
    XMoveWindow(display, window, x, y);
    XSync(display, False);
}

void closeWindow(Display* display, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = atom(display, "WM_PROTOCOLS");
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(atom(display, "WM_DELETE_WINDOW"));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
}

// --- pixels

Image grabWindow(Display* display, Window window)
{
    XWindowAttributes attributes{};
    XImage* picture = nullptr;
    {
        ErrorTrap trap(display);
        if (XGetWindowAttributes(display, window, &attributes) == 0 || trap.failed())
            throw std::runtime_error("cannot grab a window that does not exist");
        if (attributes.map_state != IsViewable)
            throw std::runtime_error("cannot grab a window that is not on show");
        int left = 0;
        int top = 0;
        Window child = None;
        XTranslateCoordinates(display, window, attributes.root, 0, 0, &left, &top, &child);
        if (left < 0 || top < 0 || left + attributes.width > WidthOfScreen(attributes.screen) ||
            top + attributes.height > HeightOfScreen(attributes.screen))
            throw std::runtime_error("cannot grab a window that is partly off screen at (" +
                                     std::to_string(left) + ", " + std::to_string(top) +
                                     "); move it first");
        picture = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
        if (trap.failed() && picture != nullptr) {
            XDestroyImage(picture);
            picture = nullptr;
        }
    }
    if (picture == nullptr)
        throw std::runtime_error("XGetImage failed");

    int redShift = 0, redBits = 0, greenShift = 0, greenBits = 0, blueShift = 0, blueBits = 0;
    maskShape(picture->red_mask, redShift, redBits);
    maskShape(picture->green_mask, greenShift, greenBits);
    maskShape(picture->blue_mask, blueShift, blueBits);

    Image image;
    image.width = picture->width;
    image.height = picture->height;
    image.rgb.resize(static_cast<std::size_t>(image.width) * image.height * 3);
    std::uint8_t* out = image.rgb.data();
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const unsigned long value = XGetPixel(picture, x, y);
            *out++ = channel(value, redShift, redBits);
            *out++ = channel(value, greenShift, greenBits);
            *out++ = channel(value, blueShift, blueBits);
        }
    }
    XDestroyImage(picture);
    return image;
}

// --- keys

void sendKeysym(Display* display, Window window, KeySym keysym)
{
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor))
        throw std::runtime_error("the X server lacks the XTEST extension");

    const KeyCode code = XKeysymToKeycode(display, keysym);
    if (code == 0)
        throw std::runtime_error("no key gives keysym " + std::to_string(keysym));
    // The keysym on the key's unshifted level needs no Shift; otherwise it
    // sits on the shifted level (upper case letters, most punctuation).
    const bool shift = XkbKeycodeToKeysym(display, code, 0, 0) != keysym;
    const KeyCode shiftCode = XKeysymToKeycode(display, XK_Shift_L);

    {
        // With no window manager nobody gives focus away; take it, so the
        // keys reach this window wherever the pointer is.
        ErrorTrap trap(display);
        XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
        if (trap.failed())
            throw std::runtime_error("cannot focus a window that is not on show");
    }
    if (shift)
        XTestFakeKeyEvent(display, shiftCode, True, CurrentTime);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    if (shift)
        XTestFakeKeyEvent(display, shiftCode, False, CurrentTime);
    XSync(display, False);
}

void sendKey(Display* display, Window window, char c)
{
    sendKeysym(display, window, keysymOf(c));
}

} // namespace xvfb
