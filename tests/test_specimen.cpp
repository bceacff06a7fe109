// A specimen run in the process, against the OpenGL model: nothing of the
// hidden system in any output, the dialog's refusals and the hand-in, and
// the rows of NAME-measured.csv.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "app/csv_export.h"
#include "app/dialog_pass.h"
#include "app/display.h"
#include "app/hand_in.h"
#include "app/keyboard.h"
#include "app/measurements.h"
#include "app/readout.h"
#include "app/snapshot.h"
#include "lab/specimen.h"
#include "model/specimen_state.h"
#include "tests/console_capture.h"
#include "tests/csv_fixture.h"

namespace
{

std::string fileText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string glyphText()
{
    std::string text;
    for (int code : glGlyphs()) {
        text += static_cast<char>(code);
    }
    return text + "\n";
}

// Frames of motion, drawn unrecorded.
void frames(int count)
{
    setGlRecording(false);
    for (int k = 0; k < count; k++) {
        display();
    }
}

// What a whole specimen session showed: the console, the files, the
// snapshots and the drawn glyphs.
struct Session {
    Specimen specimen;
    std::string console, files, snapshots, glyphs, measuredCsv;
};

// The force 0.5 N at 1.2 rad/s ('1' refused, then at rest), r; the chart,
// the readout on a point and on the time plot; w; a free decay (g: F = 0
// from 0.1 m), r; then a, with a bad answer asked again.
Session runSession(const std::string& dir)
{
    Session s;
    const std::string code = encodeSpecimen({1.37, 0.291, 5.83, 0.03, true});
    EXPECT_EQ(decodeSpecimen(code, &s.specimen), CodeProblem::none);
    resetAllState();
    measurementsClear();
    handInClear();
    specimenBegin(canonicalSpecimenCode(code), s.specimen.m, s.specimen.lambda, s.specimen.K,
                  s.specimen.tolerance, s.specimen.feedback);
    EXPECT_TRUE(csvOpen(dir + "/lab", zetaTable, zetaTableSize, true));
    const std::string answers = "0.5 1.2\n1\n0\n0 1\n2\n0.1 0\n1.7\n\n0.05\nfour\n4\n1\n";
    s.console = withConsole(answers, [&s] {
        lastKey = 'm';
        runDialogPass();
        frames(600);
        keyboard('r', 0, 0);
        setGlRecording(true);
        keyboard('f', 0, 0);
        readoutPress(560, 400, true); // the chart's frequency axis
        drawFrame();
        readoutPress(724, 140, true); // the measured point's amplitude
        drawFrame();
        s.snapshots += windowSnapshot();
        readoutPress(200, 380, true); // the time plot
        drawFrame();
        s.glyphs += glyphText();
        s.snapshots += windowSnapshot();
        keyboard('w', 0, 0);
        keyboard('e', 0, 0);
        keyboard('g', 0, 0);
        frames(300);
        keyboard('r', 0, 0);
        keyboard('a', 0, 0);
        s.snapshots += windowSnapshot();
    });
    csvClose();
    s.measuredCsv = fileText(dir + "/lab-measured.csv");
    for (const char* file : {"-motion.csv", "-response.csv", "-sweep.csv", "-measured.csv"}) {
        s.files += fileText(dir + "/lab" + file);
        std::remove((dir + "/lab" + file).c_str());
    }
    return s;
}

class SpecimenRun : public CsvTest
{
  protected:
    void TearDown() override
    {
        CsvTest::TearDown();
        resetAllState();
    }
};

TEST_F(SpecimenRun, ShowsNothingOfTheHiddenSystem)
{
    const Session s = runSession(dir);
    const double m = s.specimen.m;
    const double K = s.specimen.K;
    const double om0 = std::sqrt(K / m);
    const double zeta = s.specimen.lambda / (2 * std::sqrt(m * K));
    const double As = 0.5 / K;
    const double r = 1.2 / om0;
    const double Ad = As / std::sqrt((1 - r * r) * (1 - r * r) + 4 * zeta * zeta * r * r);
    const double lag = std::atan2(2 * zeta * r, 1 - r * r) * 180 / M_PI;
    // Every number the outputs hold, as written: the runs of digits, points,
    // signs and exponents between other characters.
    std::set<std::string> shown;
    const std::string all = s.console + s.files + s.snapshots + s.glyphs;
    std::string word;
    for (const char c : all + " ") {
        if (std::isdigit(static_cast<unsigned char>(c)) || std::strchr(".-+eE", c) != nullptr) {
            word += c;
        } else if (!word.empty()) {
            shown.insert(word);
            word.clear();
        }
    }
    for (const double hidden : {m, s.specimen.lambda, K, om0, zeta, As, Ad, r, Ad / As, lag}) {
        for (const char* format : {"%.3f", "%.4f", "%.6g", "%.17g"}) {
            char text[40];
            std::snprintf(text, sizeof text, format, hidden);
            EXPECT_EQ(shown.count(text), 0u) << text;
        }
        EXPECT_EQ(shown.count(csvNumber(hidden)), 0u) << csvNumber(hidden);
    }
    // The outputs were there to search: the force's legend and the chart's.
    EXPECT_NE(s.glyphs.find("green: external force F(t)1grid=(1s, 0.2m, 0.5N)"), std::string::npos);
    EXPECT_NE(s.glyphs.find("measured points"), std::string::npos);
    EXPECT_NE(s.snapshots.find("\"measurements\":1"), std::string::npos);
    EXPECT_NE(s.snapshots.find("測定/measured ωf= 1.200[rad/s]"), std::string::npos);
}

TEST_F(SpecimenRun, RefusesTheSteadyStartAndTheSweepAndHandsIn)
{
    const Session s = runSession(dir);
    EXPECT_NE(s.console.find("the steady-state start is not available for a specimen"),
              std::string::npos);
    EXPECT_NE(s.console.find("the frequency sweep is not available for a specimen\n"),
              std::string::npos);
    EXPECT_NE(s.console.find("the energy view is not available for a specimen"), std::string::npos);
    EXPECT_NE(s.console.find("not a number; type it again."), std::string::npos);
    const std::string head = "提出コード / hand-in code: ";
    const std::size_t at = s.console.find(head);
    ASSERT_NE(at, std::string::npos);
    const std::string code =
        s.console.substr(at + head.size(), s.console.find('\n', at) - at - head.size());
    HandIn handIn;
    ASSERT_TRUE(readHandIn(code, &handIn));
    EXPECT_EQ(handIn.specimenCode, specimenState.code);
    const bool given[answerCount] = {true, false, true, true, true};
    const double value[answerCount] = {1.7, 0, 0.05, 4, 1};
    for (int i = 0; i < answerCount; i++) {
        EXPECT_EQ(handIn.answers.given[i], given[i]) << i;
        if (given[i]) {
            EXPECT_NEAR(handIn.answers.value[i], value[i], 1e-12) << i;
        }
    }
    EXPECT_EQ(handIn.checks, s.specimen.feedback ? 1 : 0);
    // Feedback says within or outside, and only with feedback on.
    EXPECT_EQ(s.console.find("許容範囲") != std::string::npos, s.specimen.feedback);
    // The free decay's line lists peaks, not delta or zeta.
    EXPECT_NE(s.console.find("y1= "), std::string::npos);
    EXPECT_EQ(s.console.find("δ="), std::string::npos);
}

TEST_F(SpecimenRun, MeasuredCsvHasARowPerRAndTheAnswers)
{
    const Session s = runSession(dir);
    std::istringstream lines(s.measuredCsv);
    std::string header, forced, decay, handIn, more;
    std::getline(lines, header);
    std::getline(lines, forced);
    std::getline(lines, decay);
    std::getline(lines, handIn);
    EXPECT_FALSE(std::getline(lines, more)) << more;
    const auto columns = [](const std::string& row) {
        return std::count(row.begin(), row.end(), ',');
    };
    EXPECT_EQ(columns(forced), columns(header));
    EXPECT_EQ(forced.rfind("1,forced,", 0), 0u) << forced;
    EXPECT_NE(forced.find(",1.2,"), std::string::npos) << forced;
    EXPECT_EQ(decay.rfind("2,free decay,", 0), 0u) << decay;
    EXPECT_EQ(handIn.rfind("2,answers,", 0), 0u) << handIn;
    EXPECT_NE(handIn.find(",1.7,,0.05,4,1,"), std::string::npos) << handIn;
}

} // namespace
