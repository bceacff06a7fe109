// The built program on an X server as users have one: started plainly,
// without -noreset, so that it resets whenever its last client leaves.
#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "tools/program_driver.h"
#include "tools/xvfb.h"

namespace
{

// Starts in a row, each on a server that has just reset: the program's own
// start is what once raced the reset (1 to 3 failures in 8).
constexpr int startsInARow = 20;
// How long a server may take to reset and accept clients again.
constexpr std::chrono::seconds resetTimeout{15};

TEST(PlainDisplay, TheWindowOpensOnEveryStart)
{
    xvfb::Server server(xvfb::defaultScreenWidth, xvfb::defaultScreenHeight,
                        xvfb::Reset::whenLastClientLeaves);
    fvdriver::Options options;
    options.program = FV_PROGRAM;
    options.answers = "1 0.2 4\n1 1\n1\n";
    // The program alone on the server until its dialog is done; then the
    // first frame after the driver's move, not a quiet spell.
    options.connectAfterDialog = true;
    options.settles = false;
    for (int start = 1; start <= startsInARow; ++start) {
        SCOPED_TRACE("start " + std::to_string(start));
        {
            // Throws, with the program's errors, if no window comes.
            fvdriver::Program program(server, options);
            EXPECT_EQ(program.errors(), "");
            // A reset while the program started would have signalled before
            // the server took the window's connection: the program never left
            // the server without clients, which is what let its window fail.
            EXPECT_FALSE(server.waitForReset(std::chrono::milliseconds(0)))
                << "the server reset while the program started";
            program.sendEscape();
            ASSERT_EQ(program.waitForExit(), 0);
        }
        // The driver has gone too: the server resets, and the next start
        // finds it empty and ready, as a user's next start would.
        ASSERT_TRUE(server.waitForReset(resetTimeout));
    }
}

} // namespace
