// The teacher's commands in the built program: --make-class of 400 students
// (with the sheets' QR codes) and --grade of their 400 hand-ins, each run
// whole, from the process's start to its files written.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/table_reporter.h"
#include "lab/class_maker.h"
#include "lab/specimen.h"

namespace
{

// Students of the class timed.
constexpr int classSize = 400;
// Goal of each command, seconds.
constexpr double commandGoal = 1.0;
// Runs timed of each command.
constexpr int commandRepetitions = 5;

// A folder of its own for the files the commands write.
std::string workFolder()
{
    static std::string folder;
    if (folder.empty()) {
        char pattern[] = "/tmp/fv-bench-lab-XXXXXX";
        folder = mkdtemp(pattern);
    }
    return folder;
}

// Run the program with these arguments in the work folder; its output dropped.
void runProgram(const std::string& arguments)
{
    const std::string command =
        "cd " + workFolder() + " && " FV_PROGRAM " " + arguments + " >/dev/null";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "bench_lab: failed: %s\n", command.c_str());
        std::exit(1);
    }
}

void makeClassOf400(benchmark::State& bench)
{
    for (auto _ : bench) {
        runProgram("--make-class bench " + std::to_string(classSize) +
                   " --page-url https://example.org/forced-vibration/");
    }
}
BENCHMARK(makeClassOf400)->Apply([](benchmark::internal::Benchmark* b) {
    benchtable::perCall(b, commandRepetitions)->Unit(benchmark::kMillisecond);
});

void gradeOf400(benchmark::State& bench)
{
    // Every student hands in the true answers.
    ClassSettings settings;
    settings.name = "bench";
    settings.count = classSize;
    std::vector<ClassStudent> students;
    std::string problem;
    makeClass(settings, &students, &problem);
    std::ofstream handIns(workFolder() + "/handins.txt");
    for (const ClassStudent& student : students) {
        const TrueAnswers truth = trueAnswers(student.specimen);
        Answers answers{};
        for (int i = 0; i < answerCount; i++) {
            answers.value[i] = truth.value[i];
            answers.given[i] = true;
        }
        handIns << handInCode(student.code, answers, 0) << '\n';
    }
    handIns.close();
    runProgram("--make-class bench " + std::to_string(classSize));
    for (auto _ : bench) {
        runProgram("--grade bench-key.csv handins.txt");
    }
}
BENCHMARK(gradeOf400)->Apply([](benchmark::internal::Benchmark* b) {
    benchtable::perCall(b, commandRepetitions)->Unit(benchmark::kMillisecond);
});

const bool goalsSet = (benchtable::setGoal("makeClassOf400", commandGoal, "< 1 s"),
                       benchtable::setGoal("gradeOf400", commandGoal, "< 1 s"), true);

} // namespace
