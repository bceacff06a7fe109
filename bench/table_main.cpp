// The main of every benchmark program that needs no set-up of its own: run
// the registered benchmarks and add their rows to the results table.
#include "bench/table_reporter.h"

int main(int argc, char** argv)
{
    return benchtable::runBenchmarks(argc, argv);
}
