// The answers that start the run on show again (the web page's Copy link):
// fed to the first dialog, they give the same parameters and start, bit for
// bit, whichever dialogs set them.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "app/restart_answers.h"
#include "console/dialog.h"
#include "model/state.h"
#include "tests/console_capture.h"

namespace
{

// Run one dialog, as the key that opens it, with these answers.
void dialog(char key, const std::string& answers)
{
    lastKey = key;
    withConsole(answers, inputParameters);
}

// The answers for the present run, checked to start it again exactly.
std::string restartChecked()
{
    const std::string text = restartAnswers();
    const Parameters held = params;
    params = Parameters{};
    dialog('m', text);
    EXPECT_EQ(std::memcmp(&params, &held, sizeof held), 0) << text;
    return text;
}

TEST(RestartAnswers, TheFirstDialogsAnswersStartTheSameRun)
{
    dialog('m', "1 0.2 4\n1 1\n1\n");
    EXPECT_EQ(restartChecked(), "1 0.2 4\n1 1\n1\n");
    dialog('m', "1.0 .2 4e0\n1 1\n0\n");
    EXPECT_EQ(restartChecked(), "1 0.2 4\n1 1\n0\n");
}

TEST(RestartAnswers, TheLatestForceAndStartAfterGAndJ)
{
    dialog('m', "1 0.2 4\n1 1\n1\n");
    dialog('g', "0.5 1.5\n2\n0.125 -0.25\n");
    EXPECT_EQ(restartChecked(), "1 0.2 4\n0.5 1.5\n2\n0.125 -0.25\n");
    // j to the steady start of the new force: the key, not its numbers.
    dialog('j', "1\n");
    EXPECT_EQ(restartChecked(), "1 0.2 4\n0.5 1.5\n1\n");
}

TEST(RestartAnswers, NumbersReadBackToTheSameBits)
{
    // A start at -0 is no start at rest: the console prints -0.0000.
    dialog('m', "0.1 0.30000000000000004 4.000000000000001\n1e-300 1.2345678901234567\n2\n-0 "
                "123456789012345678\n");
    EXPECT_EQ(restartChecked(), "0.1 0.30000000000000004 4.000000000000001\n1e-300 "
                                "1.2345678901234567\n2\n-0 1.2345678901234568e+17\n");
}

} // namespace
