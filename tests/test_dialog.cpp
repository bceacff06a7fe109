// The console dialog, run against in-memory streams.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "console/dialog.h"
#include "model/state.h"
#include "tests/console_capture.h"
#include "tests/worked_example.h"

namespace
{

using namespace dialogText;

// Run the dialog from entry point `entry` on `input`; return what it printed.
std::string dialog(char entry, std::string input)
{
    return withConsole(std::move(input), [entry] {
        lastKey = entry;
        inputParameters();
    });
}

class Dialog : public testing::Test
{
  protected:
    void SetUp() override { resetAllState(); }
};

TEST_F(Dialog, WorkedExamplePrintsEveryTextByteForByte)
{
    EXPECT_EQ(dialog('m', "1 0.2 4\n1 1\n1\n"), workedExample);
    EXPECT_EQ(params.system.m, 1.0);
    EXPECT_EQ(params.system.lambda, 0.2);
    EXPECT_EQ(params.system.K, 4.0);
    EXPECT_EQ(params.system.F, 1.0);
    EXPECT_EQ(params.system.omf, 1.0);
    EXPECT_EQ(tables.zetaCount, 9);
    EXPECT_EQ(tables.zetaAmp[1][50], 0.25 / (2 * 0.02));
}

TEST_F(Dialog, AnyOtherEntryKeyRunsTheWholeDialog)
{
    // Numbers may stand on lines of their own; white space does not matter.
    EXPECT_EQ(dialog('q', "1\n0.2\n\n4 1\n  1\n\n 1"), workedExample);
}

TEST_F(Dialog, EntryGReusesTheStoredSpringMass)
{
    dialog('m', "1 0.2 4\n1 1\n1\n");
    const std::string expected =
        title + exampleFree + askForce + "\n静撓み   As= 0.5000[m]" +
        "\n定常振幅 Ad= 0.6652[m]  振幅比Ad/As= 1.3304  位相遅れΦ=  3.81[deg]" + askInitial +
        "\n初期条件(y0,v0)=( 0.0000[m],  0.0000[m/s])" + keyList;
    EXPECT_EQ(dialog('g', "2 1\n0\n"), expected);
    EXPECT_EQ(tables.givenAmp[0], 0.5) << "the tables follow the new force";
}

TEST_F(Dialog, EntryJAsksOnlyForTheInitialCondition)
{
    dialog('m', "1 0.2 4\n1 1\n0\n");
    const double tableSample = tables.zetaPhase[4][123];
    EXPECT_EQ(dialog('j', "2\n0.1 -0.5\n"),
              title + exampleResponse + askInitial +
                  "\ny0[m] v0[m/s] = " + "\n初期条件(y0,v0)=( 0.1000[m], -0.5000[m/s])" + keyList);
    EXPECT_EQ(params.y0, 0.1);
    EXPECT_EQ(params.v0, -0.5);
    EXPECT_EQ(tables.zetaPhase[4][123], tableSample);
}

TEST_F(Dialog, InvalidKeyRepeatsTheResultLinesAndThePrompt)
{
    EXPECT_EQ(dialog('m', "1 0.2 4\n1 1\nx 9\n1\n"),
              title + askSpringMass + exampleFree + askForce + exampleResponse + askInitial +
                  exampleResponse + askInitial + exampleResponse + askInitial + exampleSteadyStart +
                  keyList);
}

TEST_F(Dialog, EveryEntryEndsWithTheRunReset)
{
    const struct {
        char entry;
        const char* input;
    } passes[] = {{'m', "1 0.2 4\n1 1\n2 0.05 0\n"}, {'g', "1 1\n2 0.05 0\n"}, {'j', "2 0.05 0\n"}};
    for (const auto& pass : passes) {
        SCOPED_TRACE(pass.entry);
        run.t = 33;
        run.histIndex = 40;
        dialog(pass.entry, pass.input);
        EXPECT_EQ(run.t, 0.0);
        EXPECT_EQ(run.histIndex, 0);
        EXPECT_EQ(run.state[0], 0.05);
        EXPECT_EQ(yHistory()[0], 0.05);
    }
}

TEST_F(Dialog, NumbersAreReadAsTheCLibraryReadsThem)
{
    const std::string text = dialog('m', "1e0 inf 4\nnan 1\n0\n");
    EXPECT_EQ(params.system.m, 1.0);
    EXPECT_TRUE(std::isinf(params.system.lambda));
    EXPECT_TRUE(std::isnan(params.system.F));
    // Non-finite results are printed as printf prints them.
    EXPECT_NE(text.find("減衰比ζ=    inf"), std::string::npos) << text;
    EXPECT_NE(text.find("As=    nan[m]"), std::string::npos) << text;
}

TEST_F(Dialog, NotANumberAsksTheWholeQuestionAgain)
{
    const std::string text = dialog('m', "abc\n7 x 9\n1 0.2 4\n1 oops\n1 1\n1\n");
    const std::string expected =
        title + askSpringMass +
        "\n1番目の入力（m）が数値ではありません。もう一度入力してください。" + askSpringMass +
        "\n2番目の入力（λ）が数値ではありません。もう一度入力してください。" + askSpringMass +
        exampleFree + askForce +
        "\n2番目の入力（ωf）が数値ではありません。もう一度入力してください。" + askForce +
        exampleResponse + askInitial + exampleSteadyStart + keyList;
    EXPECT_EQ(text, expected);
    // The 7 typed before the bad entry was thrown away with its line.
    EXPECT_EQ(params.system.m, 1.0);

    dialog('j', "2\n0.3 v\n0.1 0.2\n");
    EXPECT_EQ(params.y0, 0.1);
    EXPECT_EQ(params.v0, 0.2);
}

TEST_F(Dialog, AnEntryIsAWholeWordAndFullWidthDigitsCount)
{
    // Something glued to a number makes that entry the bad one.
    const std::string glued = dialog('m', "1 0.2 4x\n1 0.2 4\n1 2x\n1,2 1\n1 1\n1\n");
    EXPECT_EQ(glued, title + askSpringMass +
                         "\n3番目の入力（K）が数値ではありません。もう一度入力してください。" +
                         askSpringMass + exampleFree + askForce +
                         "\n2番目の入力（ωf）が数値ではありません。もう一度入力してください。" +
                         askForce +
                         "\n1番目の入力（F）が数値ではありません。もう一度入力してください。" +
                         askForce + exampleResponse + askInitial + exampleSteadyStart + keyList);
    // A Japanese input method's digits, point, sign and space; its other
    // characters stay no number.
    EXPECT_EQ(dialog('m', "１　０．２　４\n１ ｅ\n１ １ＥＯ\n＋１ １．０ｅ０\n１\n"),
              title + askSpringMass + exampleFree + askForce +
                  "\n2番目の入力（ωf）が数値ではありません。もう一度入力してください。" + askForce +
                  "\n2番目の入力（ωf）が数値ではありません。もう一度入力してください。" + askForce +
                  exampleResponse + askInitial + exampleSteadyStart + keyList);
    dialog('j', "2\n－０．５ ２Ｅ－１\n");
    EXPECT_EQ(params.y0, -0.5);
    EXPECT_EQ(params.v0, 0.2);
}

TEST_F(Dialog, NoSteadyStartWithoutAFiniteSteadyAmplitude)
{
    const std::string noSteady =
        "\nこの値には始められる定常振動がありません（定常振幅が有限ではありません）。";
    const std::string text = dialog('m', "1 0 4\n0.1 2\n1\n0\n");
    const std::size_t refused = text.find(noSteady);
    ASSERT_NE(refused, std::string::npos) << text;
    EXPECT_EQ(text.find(noSteady, refused + 1), std::string::npos);
    // Then the results and the question again, as for any other key.
    const std::string again = "\n静撓み   As";
    EXPECT_EQ(text.compare(refused + noSteady.size(), again.size(), again), 0);
    EXPECT_EQ(params.y0, 0.0);
    EXPECT_EQ(params.v0, 0.0);
}

// Where the input ends, the dialog says so once and ends the process.
void dialogOnInput(char entry, const char* input)
{
    resetAllState();
    dialog(entry, input);
}

TEST(DialogEndOfInput, EndsTheProcessWithStatusOneAtEveryQuestion)
{
    const std::string message = "入力が終わりました。プログラムを終了します。\n";
    const struct {
        char entry;
        const char* input;
    } cases[] = {
        {'m', ""},  {'m', "1 0.2"},  {'m', "1 0.2 4\n1 1\n"}, {'m', "1 0.2 4\n1 1\nxyz"},
        {'g', "1"}, {'j', "2\n0.1"}, {'j', "   \n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EXIT(dialogOnInput(c.entry, c.input), testing::ExitedWithCode(1),
                    "^" + message + "$");
    }
}

} // namespace
