// Drive the built program in a window of a private X server.
#include "tools/program_driver.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <png.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace fvdriver
{

const char* const dialogEnd = "ESCキーで：終了";
const char* const redrawingKeys = "sfxXyYtT";
const char* const windowTitle =
    "1DOF強制振動\u3000m:ばねマス g:強制力 j:初期条件 変更, f:周波数特性描画";

namespace
{

using Clock = std::chrono::steady_clock;

// How often the waits look again at things that send no event (the process,
// the output files, the window's size).
constexpr std::chrono::milliseconds pollInterval{10};

// How much of the error output a failure message quotes.
constexpr std::size_t quotedErrorLength = 2000;

// Throw the message with the text of errno appended.
[[noreturn]] void throwSystemError(const std::string& what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

// Everything written to the file so far; its offset is left alone.
std::string readAll(std::FILE* file)
{
    std::string text;
    if (file == nullptr)
        return text;
    char buffer[4096];
    off_t offset = 0;
    for (;;) {
        const ssize_t n = pread(fileno(file), buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
        offset += n;
    }
    return text;
}

// An anonymous temporary file that no child process inherits.
std::FILE* privateTempFile()
{
    std::FILE* file = std::tmpfile();
    if (file == nullptr)
        throwSystemError("temporary file for the program's output");
    fcntl(fileno(file), F_SETFD, FD_CLOEXEC);
    return file;
}

// The driver's environment with the extra entries and DISPLAY put in.
std::vector<std::string> childEnvironment(const std::vector<std::string>& extra,
                                          const std::string& display)
{
    std::vector<std::string> entries = extra;
    entries.push_back("DISPLAY=" + display);
    auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    std::vector<std::string> result;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string inherited = *e;
        const bool replaced = std::any_of(entries.begin(), entries.end(), [&](const auto& x) {
            return nameOf(x) == nameOf(inherited);
        });
        if (!replaced)
            result.push_back(inherited);
    }
    result.insert(result.end(), entries.begin(), entries.end());
    return result;
}

// The NULL-terminated array of C strings that exec wants.
std::vector<char*> cStrings(std::vector<std::string>& strings)
{
    std::vector<char*> result;
    for (std::string& s : strings)
        result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

// Exit status from a wait status: the code, or 128 + the signal.
int statusOf(int waitStatus)
{
    return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
}

// Number of times text occurs in haystack, overlaps not counted.
int occurrences(const std::string& haystack, const std::string& text)
{
    int count = 0;
    for (std::size_t at = haystack.find(text); at != std::string::npos;
         at = haystack.find(text, at + text.size()))
        ++count;
    return count;
}

} // namespace

// --- start and end

Program::Program(const xvfb::Server& server, const Options& options) : options_(options)
{
    if (!options.connectAfterDialog)
        connection_ = std::make_unique<xvfb::Connection>(server.display());
    output_.reset(privateTempFile());
    errors_.reset(privateTempFile());
    // fds[0] becomes the program's standard input, fds[1] the driver's end.
    int fds[2];
    if (options.terminal) {
        if (openpty(&fds[1], &fds[0], nullptr, nullptr, nullptr) != 0)
            throwSystemError("pseudo-terminal for the program's input");
        termios mode{};
        tcgetattr(fds[0], &mode);
        mode.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(fds[0], TCSANOW, &mode);
        fcntl(fds[1], F_SETFD, FD_CLOEXEC);
    } else if (pipe2(fds, O_CLOEXEC) != 0) {
        throwSystemError("pipe for the program's input");
    }
    const bool terminal = options.terminal;

    // Everything the child needs is built before fork: between fork and exec
    // only async-signal-safe calls are allowed.
    std::vector<std::string> command = options.wrapper;
    command.push_back(options.program);
    command.insert(command.end(), options.args.begin(), options.args.end());
    std::vector<std::string> environment = childEnvironment(options.environment, server.display());
    std::vector<char*> argv = cStrings(command);
    std::vector<char*> envp = cStrings(environment);
    const int outFd = fileno(output_.get());
    const int errFd = fileno(errors_.get());
    const pid_t parent = getpid();

    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        throwSystemError("fork for the program");
    }
    if (child == 0) {
        // A group of its own, so that kill() reaches a wrapper's children;
        // death with the driver, so that a crashed test leaves nothing behind.
        // At a terminal the group is a session whose terminal that is.
        if (terminal) {
            setsid();
            ioctl(fds[0], TIOCSCTTY, 0);
        } else {
            setpgid(0, 0);
        }
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(126);
        dup2(fds[0], 0);
        dup2(outFd, 1);
        dup2(errFd, 2);
        execvpe(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    pid_ = child;
    setpgid(child, child); // also here, so the group exists before any kill()
    close(fds[0]);
    input_ = fds[1];
    try {
        answer(options.answers);
        connect(server.display());
        findWindow();
        showWindow();
    } catch (...) {
        kill();
        closeInput();
        throw;
    }
}

void Program::connect(const std::string& display)
{
    if (connection_)
        return;
    const auto deadline = Clock::now() + options_.startTimeout;
    while (!waitForOutput(dialogEnd)) {
        checkAlive("the end of its first dialog");
        if (Clock::now() > deadline)
            throw std::runtime_error("the program's first dialog did not end in time");
    }
    // A server that resets refuses clients for a moment; the program's own
    // connection failing then ends it, which checkAlive reports.
    for (;;) {
        try {
            connection_ = std::make_unique<xvfb::Connection>(display);
            return;
        } catch (const std::runtime_error&) {
            checkAlive("a connection to its server");
            if (Clock::now() > deadline)
                throw;
            std::this_thread::sleep_for(pollInterval);
        }
    }
}

void Program::findWindow()
{
    // The window appears once the first dialog is done.
    const auto deadline = Clock::now() + options_.startTimeout;
    while (window_ == xvfb::noWindow) {
        checkAlive("its window");
        window_ = xvfb::findWindowByPid(display(), pid_);
        // A wrapper process, not the program itself, is the one started: its
        // window is found by its title.
        if (window_ == xvfb::noWindow && !options_.wrapper.empty())
            window_ = xvfb::findWindowByName(display(), windowTitle);
        if (window_ == xvfb::noWindow) {
            if (Clock::now() > deadline)
                throw std::runtime_error(
                    "the program showed no window in time (are the first dialog's "
                    "answers complete?); its errors:\n" +
                    errors().substr(0, quotedErrorLength));
            std::this_thread::sleep_for(pollInterval);
        }
    }
}

void Program::showWindow()
{
    int errorBase = 0;
    if (!XDamageQueryExtension(display(), &damageEventBase_, &errorBase))
        throw std::runtime_error("the X server lacks the DAMAGE extension");
    damage_ = XDamageCreate(display(), window_, XDamageReportRawRectangles);
    // And for its end (DestroyNotify), the last event it can bring.
    XSelectInput(display(), window_, StructureNotifyMask);
    XSync(display(), False);

    const auto deadline = Clock::now() + options_.startTimeout;
    while (!xvfb::isViewable(display(), window_)) {
        checkAlive("its window on show");
        if (Clock::now() > deadline)
            throw std::runtime_error("the program's window did not come on show in time");
        std::this_thread::sleep_for(pollInterval);
    }
    // The move uncovers the top row and the left column, so a frame follows.
    const int before = framesSeen();
    xvfb::moveWindow(display(), window_, 0, 0);
    if (!waitForFrames(before + 1) || (options_.settles && !settle(options_.settleTime)))
        throw std::runtime_error("the program drew no frame after its window was moved");
}

Program::~Program()
{
    kill();
    closeInput();
    // The damage object goes with the connection; destroying it by hand
    // would be an error once the window has gone.
}

void Program::checkAlive(const std::string& awaited)
{
    if (!running())
        throw std::runtime_error("the program ended with status " + std::to_string(*status_) +
                                 " while the driver waited for " + awaited + "; its errors:\n" +
                                 errors().substr(0, quotedErrorLength));
}

// --- the console

bool Program::answer(const std::string& text)
{
    if (input_ < 0)
        return false;
    // A program that has ended must not end the driver with SIGPIPE: block
    // the signal for this thread and take back any that was raised.
    sigset_t pipeSignal;
    sigset_t previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    std::size_t done = 0;
    bool ok = true;
    while (done < text.size()) {
        const ssize_t n = write(input_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ok = false;
            if (errno == EPIPE) {
                const timespec noWait{0, 0};
                sigtimedwait(&pipeSignal, nullptr, &noWait);
            }
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return ok;
}

void Program::closeInput()
{
    if (input_ >= 0)
        close(input_);
    input_ = -1;
}

std::string Program::output() const
{
    return readAll(output_.get());
}

std::string Program::errors() const
{
    return readAll(errors_.get());
}

bool Program::waitForOutput(const std::string& text, int times)
{
    const auto deadline = Clock::now() + options_.frameTimeout;
    for (;;) {
        if (occurrences(output(), text) >= times)
            return true;
        if (Clock::now() > deadline || !running())
            return occurrences(output(), text) >= times;
        std::this_thread::sleep_for(pollInterval);
    }
}

// --- the window

void Program::sendKey(char key)
{
    xvfb::sendKey(display(), window_, key);
}

void Program::sendEscape()
{
    xvfb::sendKeysym(display(), window_, 0xff1b); // XK_Escape
}

bool Program::sendKeyForFrame(char key)
{
    const int before = framesSeen();
    sendKey(key);
    return waitForFrames(before + 1);
}

void Program::countFrames()
{
    while (XPending(display()) > 0) {
        XEvent event;
        XNextEvent(display(), &event);
        if (event.type == DestroyNotify && event.xdestroywindow.window == window_)
            windowGone_ = true;
        if (event.type != damageEventBase_ + XDamageNotify)
            continue;
        const auto& damage = reinterpret_cast<const XDamageNotifyEvent&>(event);
        const int left = damage.area.x;
        const int top = damage.area.y;
        const int right = damage.area.x + damage.area.width;
        const int bottom = damage.area.y + damage.area.height;
        if (pendingRight_ <= pendingLeft_) {
            pendingLeft_ = left;
            pendingTop_ = top;
            pendingRight_ = right;
            pendingBottom_ = bottom;
        } else {
            pendingLeft_ = std::min(pendingLeft_, left);
            pendingTop_ = std::min(pendingTop_, top);
            pendingRight_ = std::max(pendingRight_, right);
            pendingBottom_ = std::max(pendingBottom_, bottom);
        }
        // A frame replaces the whole window; what the server itself damages
        // (the part of the window a move copies) covers less.
        if (!damage.more && pendingLeft_ <= 0 && pendingTop_ <= 0 &&
            pendingRight_ >= damage.geometry.width && pendingBottom_ >= damage.geometry.height) {
            ++frames_;
            pendingRight_ = pendingLeft_;
        }
    }
}

void Program::waitForEvent(Clock::time_point deadline)
{
    XFlush(display());
    if (XPending(display()) > 0)
        return;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0)
        return;
    pollfd p{ConnectionNumber(display()), POLLIN, 0};
    poll(&p, 1, static_cast<int>(std::min(left, pollInterval * 5).count()));
}

int Program::framesSeen()
{
    countFrames();
    return frames_;
}

bool Program::waitForFrames(int count)
{
    const auto deadline = Clock::now() + options_.frameTimeout;
    while (framesSeen() < count) {
        if (Clock::now() > deadline)
            return false;
        waitForEvent(deadline);
    }
    return true;
}

bool Program::settle(std::chrono::milliseconds quiet)
{
    const auto deadline = Clock::now() + options_.frameTimeout;
    int seen = framesSeen();
    auto lastFrame = Clock::now();
    for (;;) {
        const auto now = Clock::now();
        if (now - lastFrame >= quiet)
            return true;
        if (now > deadline)
            return false;
        waitForEvent(std::min(deadline, lastFrame + quiet));
        if (framesSeen() != seen) {
            seen = frames_;
            lastFrame = Clock::now();
        }
    }
}

int Program::framesAtEnd()
{
    sendEscape();
    const auto deadline = Clock::now() + options_.frameTimeout;
    for (countFrames(); !windowGone_; countFrames()) {
        if (Clock::now() > deadline)
            return -1;
        waitForEvent(deadline);
    }
    return frames_;
}

xvfb::Image Program::grab()
{
    return xvfb::grabWindow(display(), window_);
}

bool Program::waitForPicture(const std::function<bool(const xvfb::Image&)>& test,
                             std::chrono::milliseconds timeout, xvfb::Image* last)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const int seen = framesSeen();
        const xvfb::Image picture = grab();
        const bool accepted = test(picture);
        if (last != nullptr)
            *last = picture;
        if (accepted)
            return true;
        // Look again after the next frame, or now and then in case a frame
        // went unreported.
        const auto next = std::min(deadline, Clock::now() + pollInterval * 10);
        while (framesSeen() == seen && Clock::now() < next)
            waitForEvent(next);
        if (Clock::now() >= deadline && framesSeen() == seen)
            return false;
    }
}

bool Program::resize(int width, int height)
{
    const int before = framesSeen();
    xvfb::resizeWindow(display(), window_, width, height);
    const auto deadline = Clock::now() + options_.frameTimeout;
    for (;;) {
        const xvfb::Size now = size();
        if (now.width == width && now.height == height)
            break;
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(pollInterval);
    }
    return waitForFrames(before + 1) && settle(options_.settleTime);
}

xvfb::Size Program::size() const
{
    return xvfb::windowSize(display(), window_);
}

// --- the process

bool Program::running()
{
    if (status_)
        return false;
    int waitStatus = 0;
    const pid_t done = waitpid(pid_, &waitStatus, WNOHANG);
    if (done == pid_)
        status_ = statusOf(waitStatus);
    return !status_;
}

std::optional<int> Program::waitForExit(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (running() && Clock::now() < deadline)
        std::this_thread::sleep_for(pollInterval);
    running();
    return status_;
}

void Program::kill()
{
    if (pid_ <= 0 || !running())
        return;
    ::kill(-pid_, SIGKILL);
    int waitStatus = 0;
    while (waitpid(pid_, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    status_ = statusOf(waitStatus);
}

// --- pictures

bool writePng(const xvfb::Image& image, const std::string& path)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    if (png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(), 0, nullptr) == 0) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), png.message);
        return false;
    }
    return true;
}

} // namespace fvdriver
