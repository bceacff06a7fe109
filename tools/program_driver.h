// Drive the built forced-vibration program in a window of a private X
// server, as a user would: answers typed into its console, keys typed into
// its window, pictures read back from the screen.
//
// The program is started under a given xvfb::Server with its standard input
// a pipe that stays open, so that the dialogs of the keys 'j', 'g' and 'm'
// can be answered at any time (the dialog blocks until its answers arrive;
// closing the pipe makes it end with status 1). Its standard output and
// standard error go to temporary files, read back at any time without any
// risk of the program blocking on a full pipe.
//
// Frames: every time the program puts a frame on the screen the X server
// reports damage to the window (DAMAGE extension). The driver counts the
// reports that together cover the whole window: one key that redraws gives
// one such frame, so "wait for the frame of this key" is exact even when
// the new picture equals the old one. Damage the server makes by itself
// (the part of the window a move copies) covers less and is not counted.
// GLUT may draw twice for one resize: once for the new size and once for
// the exposure that comes with it.
//
// Typical use:
//
//     xvfb::Server server;
//     fvdriver::Options options;
//     options.program = "build/forced-vibration";
//     options.answers = "1 0.2 4\n1 1\n1\n";   // the first dialog
//     fvdriver::Program program(server, options); // window up at (0, 0), quiet
//     program.answer("2\n0 2\n");               // the answers of the next 'j'
//     program.sendKey('j');
//     program.waitForOutput(fvdriver::dialogEnd, 2);
//     program.sendKeyForFrame('s');             // one frame, 0.04 s later
//     xvfb::Image picture = program.grab();
//     program.sendEscape();
//     std::optional<int> status = program.waitForExit();  // 0
//
// Failures to start the program or to find its window throw
// std::runtime_error (with the program's error output); waits return false
// on timeout. Nothing here is thread-safe; use it from one thread.
#pragma once

#include "tools/xvfb.h"

#include <sys/types.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fvdriver
{

// The text that ends every pass of the console dialog (the last line of the
// key list): its count in the output is the number of finished passes.
extern const char* const dialogEnd;

// The keys whose command redraws the window at once, one frame per press.
extern const char* const redrawingKeys;

// The program's window title, UTF-8, exactly: one ideographic space (U+3000)
// after the first word, every other gap an ASCII space.
extern const char* const windowTitle;

// How the program is started and how long the driver waits for it.
struct Options {
    // Path of the forced-vibration executable.
    std::string program;
    // Written to the program's standard input at start: the answers of the
    // first dialog, and of later ones too if known in advance.
    std::string answers;
    // Extra command-line arguments after the program's path (GLUT takes the
    // ones it knows).
    std::vector<std::string> args;
    // Command put in front of the program, e.g. {"valgrind", "-q"}; looked up
    // in PATH. Empty: the program runs itself.
    std::vector<std::string> wrapper;
    // Extra "NAME=value" entries for the program's environment, replacing
    // the driver's own of the same name. DISPLAY is always the server's.
    std::vector<std::string> environment;
    // Standard input a pseudo-terminal (without echo) instead of a pipe, as
    // when a student types at a terminal: the key questions then take one
    // key press without Enter.
    bool terminal = false;
    // Until the window is on show after the start (the dialog included).
    std::chrono::milliseconds startTimeout{20000};
    // Until the frame of a key or a resize has arrived; until the program
    // has exited; until awaited output has appeared.
    std::chrono::milliseconds frameTimeout{10000};
    // How long the window must stay free of frames to count as quiet after
    // the start or a resize: long enough for a repaint the server asked for
    // to arrive. Raise it for slow runs (valgrind).
    std::chrono::milliseconds settleTime{150};
    // False for a program that keeps drawing by itself (--play): the start
    // then waits for the first frame after the move, not for quiet.
    bool settles = true;
    // Open the driver's own X connection only once the first dialog has
    // ended, so that the program is the server's only client while it
    // starts, as on a user's display (a server that resets when its last
    // client leaves, xvfb::Reset::whenLastClientLeaves).
    bool connectAfterDialog = false;
};

// One run of the program in one window. Starting it waits until the window
// is on show, moved to the screen's top-left corner (GLUT leaves it at
// (-1, -1), partly off screen) and quiet. The destructor kills the program
// (its whole process group) if it is still running.
class Program
{
  public:
    // Start the program under server and wait as described above. Throws
    // std::runtime_error if it cannot be started, ends early, or shows no
    // window within options.startTimeout.
    Program(const xvfb::Server& server, const Options& options);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // --- the console

    // Write text to the program's standard input (answers to a dialog).
    // False if the program no longer reads it.
    bool answer(const std::string& text);
    // Close the program's standard input: a dialog then ends the program.
    void closeInput();
    // Everything the program has written to standard output / error so far.
    std::string output() const;
    std::string errors() const;
    // Wait until text occurs at least `times` times in the standard output.
    bool waitForOutput(const std::string& text, int times = 1);

    // --- the window

    // The program's top-level window and the driver's own X connection.
    xvfb::Window window() const { return window_; }
    xvfb::Display* display() const { return connection_->get(); }
    // Process id of the program (of the wrapper, if one is used).
    pid_t pid() const { return pid_; }

    // Type a key into the window and return at once.
    void sendKey(char key);
    // Type the escape key into the window and return at once.
    void sendEscape();
    // Type a key whose command redraws ('s', 'f', 'x', 'X', 'y', 'Y', 't',
    // 'T') and wait until its frame is on the screen; false on timeout.
    bool sendKeyForFrame(char key);

    // Whole-window frames the window has had since the driver began to
    // watch it, counting those already arrived.
    int framesSeen();
    // Wait until framesSeen() >= count; false on timeout.
    bool waitForFrames(int count);
    // Wait until no frame has arrived for quiet; false if frames keep coming
    // for longer than options.frameTimeout.
    bool settle(std::chrono::milliseconds quiet);
    // Type Escape and wait until the window is destroyed; then every frame
    // the program ever put on the screen has been counted (the server
    // reports the window's end after the damage of all the program's
    // requests), so "no more frames than keys" needs no quiet spell. The
    // final framesSeen(), or -1 if the window outlived options.frameTimeout.
    int framesAtEnd();

    // The window's picture as it is on the screen now.
    xvfb::Image grab();
    // Grab the picture until test accepts it, at once and after every new
    // frame, for at most timeout. The last picture grabbed goes to *last if
    // given (for a failure message). True if accepted.
    bool waitForPicture(const std::function<bool(const xvfb::Image&)>& test,
                        std::chrono::milliseconds timeout, xvfb::Image* last = nullptr);

    // Resize the window and wait until the server has the new size, at least
    // one frame has arrived and the window is quiet again (a resize may bring
    // a second frame for the exposure that comes with it). False on timeout.
    bool resize(int width, int height);
    // The window's present size.
    xvfb::Size size() const;

    // --- the process

    // Wait for the program to end: its exit status, 128 + the signal that
    // ended it, or nothing if it still runs after timeout.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    std::optional<int> waitForExit() { return waitForExit(options_.frameTimeout); }
    // True until the program has been seen to end.
    bool running();
    // End the program and its process group at once (SIGKILL) and reap it.
    void kill();

  private:
    // Open the driver's connection, waiting for the first dialog's end
    // first if the options ask for it.
    void connect(const std::string& display);
    // Wait for the program's top-level window to exist.
    void findWindow();
    // Watch the window for damage, wait until it is on show, move it to
    // (0, 0) and wait for the frame that follows and for quiet.
    void showWindow();
    // Read the damage reports that have arrived, without waiting.
    void countFrames();
    // Wait until a damage report arrives or the deadline passes.
    void waitForEvent(std::chrono::steady_clock::time_point deadline);
    // Fail if the program has ended: the message names what was awaited.
    void checkAlive(const std::string& awaited);

    Options options_;
    pid_t pid_ = 0;
    std::optional<int> status_;
    // Closes a temporary file.
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    using File = std::unique_ptr<std::FILE, FileCloser>;

    int input_ = -1;
    File output_;
    File errors_;
    std::unique_ptr<xvfb::Connection> connection_;
    xvfb::Window window_ = xvfb::noWindow;
    unsigned long damage_ = 0;
    int damageEventBase_ = 0;
    int frames_ = 0;
    // The server has reported the window's destruction.
    bool windowGone_ = false;
    // Bounds of the damage seen since the last whole frame; empty when
    // pendingRight_ <= pendingLeft_.
    int pendingLeft_ = 0;
    int pendingTop_ = 0;
    int pendingRight_ = 0;
    int pendingBottom_ = 0;
};

// Write the picture as an 8-bit RGB PNG file; false (with errno or a libpng
// message on standard error) if it cannot be written.
bool writePng(const xvfb::Image& image, const std::string& path);

} // namespace fvdriver
