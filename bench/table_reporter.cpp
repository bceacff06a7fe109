// One results table for every benchmark program; see table_reporter.h.
#include "bench/table_reporter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <sstream>

namespace benchtable
{

namespace
{

// What the table says where a benchmark has no goal or no p95.
const char* const none = "-";

// A goal: an upper bound on the 95th percentile of one call.
struct Goal {
    double seconds;
    std::string text;
};

// The goals set so far, by benchmark name.
std::map<std::string, Goal>& goals()
{
    static std::map<std::string, Goal> g;
    return g;
}

// Append one line to the file named by FV_BENCH_TABLE, if any.
void appendLine(const std::string& line)
{
    const char* path = std::getenv("FV_BENCH_TABLE");
    if (path == nullptr || *path == '\0')
        return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

// What one benchmark reported, in seconds; negative where absent.
struct Result {
    double median = -1;
    double p95 = -1;
    std::string error;
};

// Google Benchmark's console report, noting each benchmark's median and
// p95 for the table on the way.
class TableReporter : public benchmark::ConsoleReporter
{
  public:
    TableReporter() : benchmark::ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& reports) override
    {
        for (const Run& run : reports) {
            const std::string& name = run.run_name.function_name;
            if (results_.find(name) == results_.end())
                order_.push_back(name);
            Result& r = results_[name];
            if (run.error_occurred) {
                r.error = run.error_message;
                continue;
            }
            const double seconds =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            if (run.run_type == Run::RT_Iteration) {
                // A lone run (no repetitions) stands for its own median.
                if (run.repetitions <= 1)
                    r.median = seconds;
            } else if (run.aggregate_name == "median") {
                r.median = seconds;
            } else if (run.aggregate_name == "p95") {
                r.p95 = seconds;
            }
        }
        ConsoleReporter::ReportRuns(reports);
    }

    void Finalize() override
    {
        for (const std::string& name : order_) {
            const Result& r = results_[name];
            const auto g = goals().find(name);
            const bool hasGoal = g != goals().end();
            const std::string goalText = hasGoal ? g->second.text : none;
            if (!r.error.empty()) {
                addRow(name, goalText, none, none, "skipped: " + r.error);
                continue;
            }
            std::string verdict = none;
            if (hasGoal && r.p95 >= 0)
                verdict = r.p95 < g->second.seconds ? "met" : "MISSED";
            addRow(name, goalText, r.median >= 0 ? formatSeconds(r.median) : none,
                   r.p95 >= 0 ? formatSeconds(r.p95) : none, verdict);
        }
        ConsoleReporter::Finalize();
    }

  private:
    std::vector<std::string> order_;
    std::map<std::string, Result> results_;
};

} // namespace

double percentile95(const std::vector<double>& samples)
{
    if (samples.empty())
        return 0;
    std::vector<double> sorted = samples;
    std::sort(sorted.begin(), sorted.end());
    // Nearest rank: the smallest sample with at least 95 % at or below it.
    const auto rank =
        static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(sorted.size())));
    return sorted[std::max<std::size_t>(rank, 1) - 1];
}

benchmark::internal::Benchmark* perCall(benchmark::internal::Benchmark* b, int repetitions)
{
    return b->Iterations(1)
        ->Repetitions(repetitions)
        ->ReportAggregatesOnly(true)
        ->ComputeStatistics("p95", percentile95);
}

void setGoal(const std::string& benchmarkName, double seconds, const std::string& goalText)
{
    goals()[benchmarkName] = Goal{seconds, goalText};
}

void addRow(const std::string& name, const std::string& goal, const std::string& median,
            const std::string& p95, const std::string& verdict)
{
    appendLine(name + "\t" + goal + "\t" + median + "\t" + p95 + "\t" + verdict);
}

void addNote(const std::string& key, const std::string& value)
{
    std::cout << key << ": " << value << "\n";
    appendLine("# " + key + ": " + value);
}

void skipAll(const std::vector<std::string>& names, const std::string& reason)
{
    std::cout << "skipped: " << reason << "\n";
    for (const std::string& name : names) {
        const auto g = goals().find(name);
        addRow(name, g != goals().end() ? g->second.text : none, none, none, "skipped: " + reason);
    }
}

std::string formatSeconds(double seconds)
{
    const char* unit = "s";
    double value = seconds;
    if (seconds < 1e-6) {
        unit = "ns";
        value = seconds * 1e9;
    } else if (seconds < 1e-3) {
        unit = "us";
        value = seconds * 1e6;
    } else if (seconds < 1) {
        unit = "ms";
        value = seconds * 1e3;
    }
    // Three significant digits: 12.3 us, 123 us, 1.23 ms.
    const int decimals = value < 10 ? 2 : value < 100 ? 1 : 0;
    std::ostringstream out;
    out.setf(std::ios::fixed);
    out.precision(decimals);
    out << value << " " << unit;
    return out.str();
}

int runBenchmarks(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace benchtable
