// One results table for every benchmark program.
//
// Each benchmark program runs its benchmarks through runBenchmarks, which
// prints Google Benchmark's usual console report and, when the environment
// variable FV_BENCH_TABLE names a file, appends one row per benchmark to it:
// name, goal, median, 95th percentile and verdict, separated by tabs.
// bench/run.sh gathers those rows from all programs into one table.
//
// A benchmark that should be judged per call runs each repetition as one
// iteration (Iterations(1)) over many repetitions, with the p95 statistic
// added (perCall below): its median and p95 are then those of single calls.
// Lines starting with '#' in the file are notes about the machine.
#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace benchtable
{

// The 95th percentile of the samples (nearest rank); 0 for none.
double percentile95(const std::vector<double>& samples);

// Make a benchmark report the distribution of single calls: one iteration
// per repetition, the given number of repetitions, aggregates only, p95 added.
benchmark::internal::Benchmark* perCall(benchmark::internal::Benchmark* b, int repetitions);

// Judge the named benchmark (its function name) against an upper bound on
// its 95th percentile, in seconds; goalText is what the table shows.
void setGoal(const std::string& benchmarkName, double seconds, const std::string& goalText);

// Append a row that is not a timing (memory, counts) to the table file.
void addRow(const std::string& name, const std::string& goal, const std::string& median,
            const std::string& p95, const std::string& verdict);

// Append a note about the machine ("# key: value") to the table file.
void addNote(const std::string& key, const std::string& value);

// Record every registered benchmark as skipped, with the reason, on the
// console and in the table file; for programs whose set-up failed.
void skipAll(const std::vector<std::string>& names, const std::string& reason);

// A duration in seconds as three significant digits in ns, us or ms.
std::string formatSeconds(double seconds);

// Initialise Google Benchmark from the command line, run the benchmarks it
// selects and report them; returns the process's exit status.
int runBenchmarks(int argc, char** argv);

} // namespace benchtable
