// The command line: the program's own options out, GLUT's passed through.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/options.h"

namespace
{

struct Parsed {
    ParseOutcome outcome;
    CommandLine options;
    std::vector<std::string> left; // argv after the parse, argv[0] included
    std::string problem;
};

Parsed parse(std::vector<std::string> words)
{
    words.insert(words.begin(), "forced-vibration");
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    int argc = static_cast<int>(words.size());
    Parsed parsed;
    parsed.outcome = parseCommandLine(&argc, argv.data(), &parsed.options, &parsed.problem);
    if (parsed.outcome == ParseOutcome::run) {
        for (int i = 0; i < argc; i++) {
            parsed.left.emplace_back(argv[i]);
        }
        EXPECT_EQ(argv[argc], nullptr);
    }
    return parsed;
}

TEST(Options, OwnOptionsCombineAndGlutsPassThroughInOrder)
{
    const Parsed p = parse({"-display", ":3", "--play", "--sweep", "--csv", "run1", "-iconic",
                            "examples/beats", "-geometry", "400x300+0+0", "-sync"});
    ASSERT_EQ(p.outcome, ParseOutcome::run);
    EXPECT_TRUE(p.options.play);
    EXPECT_TRUE(p.options.sweep);
    EXPECT_EQ(p.options.csvName, "run1");
    EXPECT_EQ(p.options.answerFile, "examples/beats");
    EXPECT_EQ(p.left, (std::vector<std::string>{"forced-vibration", "-display", ":3", "-iconic",
                                                "-geometry", "400x300+0+0", "-sync"}));

    const Parsed none = parse({});
    ASSERT_EQ(none.outcome, ParseOutcome::run);
    EXPECT_FALSE(none.options.play);
    EXPECT_FALSE(none.options.sweep);
    EXPECT_TRUE(none.options.csvName.empty());
    EXPECT_TRUE(none.options.answerFile.empty());
    EXPECT_EQ(none.left, (std::vector<std::string>{"forced-vibration"}));

    EXPECT_EQ(parse({"--csv=lab"}).options.csvName, "lab");
    EXPECT_EQ(none.options.excitation, ExcitationKind::force);
    EXPECT_EQ(parse({"--excitation", "base"}).options.excitation, ExcitationKind::base);
    EXPECT_EQ(parse({"--excitation=unbalance"}).options.excitation, ExcitationKind::unbalance);
    EXPECT_EQ(parse({"--play", "--help"}).outcome, ParseOutcome::help);
    EXPECT_EQ(parse({"--", "-odd-name"}).options.answerFile, "-odd-name");
}

TEST(Options, UsageErrors)
{
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--fast"},
                                                {"-x"},
                                                {"--csv"},
                                                {"--csv="},
                                                {"a", "b"},
                                                {"-display"},
                                                {"--excitation", "ground"},
                                                {"--excitation"}}) {
        SCOPED_TRACE(bad[0]);
        EXPECT_EQ(parse(bad).outcome, ParseOutcome::usageError);
    }
}

} // namespace
