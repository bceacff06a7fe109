// The hand-in of a specimen's answers.
#include "app/hand_in.h"

#include <cmath>
#include <cstdio>

#include "app/csv_export.h"
#include "app/play.h"
#include "console/console.h"
#include "lab/specimen.h"
#include "model/specimen_state.h"
#include "model/state.h"
#include "platform/platform.h"

namespace
{

// The hand-ins of this run; written only by handInAnswers and handInClear.
struct HandIns {
    int checks;       // times answers were checked against the tolerance
    std::string last; // the last hand-in code printed
};
HandIns handIns = {0, {}};

// What one answer line held.
enum class AnswerLine { number, empty, notNumber };

AnswerLine readAnswer(const std::string& line, double* value)
{
    std::string text = line;
    asciiFromFullWidth(&text);
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return AnswerLine::empty;
    }
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    const std::string word = text.substr(first, last - first + 1);
    int used = -1;
    if (std::sscanf(word.c_str(), "%lf%n", value, &used) != 1 ||
        static_cast<std::size_t>(used) != word.size() || !std::isfinite(*value)) {
        return AnswerLine::notNumber;
    }
    return AnswerLine::number;
}

// Ask the questions into *answers; false when the input ended first.
bool askAnswers(Answers* answers)
{
    std::fputs("\n\n回答の提出（空欄のままの値は出しません） / hand-in (an empty answer leaves "
               "that figure out)",
               consoleOut);
    for (int i = 0; i < answerCount; i++) {
        answers->given[i] = false;
        answers->value[i] = 0;
        for (;;) {
            std::fprintf(consoleOut, "\n%s = ", answerQuestions[i]);
            std::string line;
            if (!readWholeAnswer(&line)) {
                return false;
            }
            const AnswerLine read = readAnswer(line, &answers->value[i]);
            if (read != AnswerLine::notNumber) {
                answers->given[i] = read == AnswerLine::number;
                break;
            }
            std::fputs("\n数値ではありません。もう一度入力してください。 / not a number; type it "
                       "again.",
                       consoleOut);
        }
    }
    return true;
}

// Say of each answer given whether it is within tolerance: never its true
// value, nor the direction of its error.
void sayWithinTolerance(const Specimen& specimen, const Answers& answers)
{
    for (int i = 0; i < answerCount; i++) {
        if (answers.given[i]) {
            const bool within = withinTolerance(specimen, static_cast<Answer>(i), answers.value[i]);
            std::fprintf(consoleOut, "\n%s: %s", answerQuestions[i],
                         within ? "許容範囲内 / within tolerance"
                                : "許容範囲外 / outside the tolerance");
        }
    }
}

void exportAnswers(const Answers& answers, const std::string& code)
{
    CsvMeasuredRow row;
    row.kind = "answers";
    row.field[measuredT] = csvNumber(run.t);
    for (int i = 0; i < answerCount; i++) {
        row.field[measuredAnswerFirst + i] = answers.given[i] ? csvNumber(answers.value[i]) : "";
    }
    row.field[measuredChecks] = std::to_string(handIns.checks);
    row.field[measuredHandIn] = code;
    csvWriteMeasured(row);
}

} // namespace

void handInAnswers()
{
    if (!specimenState.active) {
        std::fputs("回答の提出は試験体（--specimen）でのみできます / answers are handed in for a "
                   "specimen (--specimen) only\n",
                   consoleOut);
        std::fflush(consoleOut);
        return;
    }
    playHoldForDialog();
    // As for the dialog's keys: what was typed meanwhile answers nothing.
    discardTypedAhead();
    Answers answers;
    if (!askAnswers(&answers)) {
        std::fputs("\n入力が終わりました。何も提出していません。 / the input has ended; nothing "
                   "was handed in.\n",
                   consoleOut);
        std::fflush(consoleOut);
        playReleaseAfterDialog();
        return;
    }
    const Specimen specimen = {params.system.m, params.system.lambda, params.system.K,
                               specimenState.tolerance, specimenState.feedback};
    bool anyGiven = false;
    for (const bool given : answers.given) {
        anyGiven = anyGiven || given;
    }
    if (specimen.feedback && anyGiven) {
        handIns.checks++;
        sayWithinTolerance(specimen, answers);
    }
    handIns.last = handInCode(specimenState.code, answers, handIns.checks);
    std::fprintf(consoleOut, "\n提出コード / hand-in code: %s\n", handIns.last.c_str());
    std::fflush(consoleOut);
    exportAnswers(answers, handIns.last);
    playReleaseAfterDialog();
    if (platformKeysArriveAlone()) {
        platformDiscardWindowKeys();
    }
}

const std::string& lastHandInCode()
{
    return handIns.last;
}

void handInClear()
{
    handIns = HandIns{0, {}};
}
