#!/usr/bin/env bash
# Build the benchmarks in Release mode, run each five times over and print
# the table of their mean, median and spread per operation.
# Extra arguments go to every benchmark program (e.g. --benchmark_filter=Gill);
# FV_BENCH_BUILD names the build directory (build unless set).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${FV_BENCH_BUILD:-build}"
bash scripts/setup.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DFV_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target benchmarks >/dev/null
for program in "$build"/bench/bench_*; do
    [ -f "$program" ] && [ -x "$program" ] || continue
    echo "== $(basename "$program")"
    "$program" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
done
