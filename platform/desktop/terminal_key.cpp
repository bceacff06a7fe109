// One key press from a POSIX terminal, with the terminal always given back.
#include "platform/desktop/terminal_key.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

// The Ctrl-D byte, taken as the end of input as a cooked terminal would.
static constexpr unsigned char endOfTransmission = 4;

// What a signal handler needs to give the terminal back; only valid while
// a key is awaited.
static int rawFd = -1;
static struct termios savedMode;

// Signals that end (or stop) the process while the terminal is raw.
static const int restoringSignals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGTSTP};

static void enterRawMode(int fd)
{
    struct termios raw = savedMode;
    raw.c_lflag &= ~(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &raw);
}

// Give the terminal back, then let the signal do what it does by default.
static void restoreAndRaise(int sig)
{
    tcsetattr(rawFd, TCSANOW, &savedMode);
    std::signal(sig, SIG_DFL);
    // The signal is blocked while its handler runs; let it through now.
    sigset_t own;
    sigemptyset(&own);
    sigaddset(&own, sig);
    sigprocmask(SIG_UNBLOCK, &own, nullptr);
    std::raise(sig);
    // Only a stop comes back here (after SIGCONT): wait raw again.
    std::signal(sig, restoreAndRaise);
    enterRawMode(rawFd);
}

int readTerminalKey(int fd)
{
    if (tcgetattr(fd, &savedMode) != 0) {
        return EOF;
    }
    rawFd = fd;
    void (*previous[sizeof restoringSignals / sizeof restoringSignals[0]])(int);
    for (std::size_t i = 0; i < sizeof restoringSignals / sizeof restoringSignals[0]; i++) {
        previous[i] = std::signal(restoringSignals[i], restoreAndRaise);
    }
    enterRawMode(fd);

    unsigned char key = 0;
    ssize_t got;
    do {
        got = read(fd, &key, 1);
    } while (got < 0 && errno == EINTR);

    // A key of several bytes (a full-width digit from an input method) comes
    // whole and at once: read the rest of it while still raw.
    int character = key;
    const int more = key >= 0xF0 ? 3 : key >= 0xE0 ? 2 : key >= 0xC0 ? 1 : 0;
    if (got == 1 && more > 0) {
        character = key & (0x3F >> more);
        for (int i = 0; i < more; i++) {
            unsigned char next = 0;
            ssize_t n;
            do {
                n = read(fd, &next, 1);
            } while (n < 0 && errno == EINTR);
            if (n != 1) {
                break;
            }
            character = (character << 6) | (next & 0x3F);
        }
    }

    tcsetattr(fd, TCSANOW, &savedMode);
    for (std::size_t i = 0; i < sizeof restoringSignals / sizeof restoringSignals[0]; i++) {
        std::signal(restoringSignals[i], previous[i]);
    }
    rawFd = -1;
    if (got != 1 || key == endOfTransmission) {
        return EOF;
    }
    return character;
}
