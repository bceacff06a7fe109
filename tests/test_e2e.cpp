// The built program end to end: started in a private X server, answered
// through its console, driven by keys typed into its window, and judged by
// the pixels it puts on the screen.
#include "tests/program_driver.h"

#include <gtest/gtest.h>

namespace
{

const char* const program = FV_PROGRAM;

TEST(EndToEnd, EscapeEndsWithStatusZero)
{
    xvfb::Server server;
    fvdriver::Options options;
    options.program = program;
    options.answers = "1 0.2 4\n1 1\n1\n";
    fvdriver::Program run(server, options);
    EXPECT_EQ(run.grab().pixel(790, 790), xvfb::white);
    run.sendEscape();
    EXPECT_EQ(run.waitForExit(), 0);
}

} // namespace
