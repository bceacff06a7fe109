#!/usr/bin/env bash
# Build the benchmarks in Release mode, run every bench_* program and print
# one table at the end: name, goal, median, 95th percentile and verdict,
# under the machine it came from.
#
# Each program prints Google Benchmark's own report as it runs and adds its
# rows to the table (bench/table_reporter.h). Programs that need an X server
# start their own Xvfb, or say in their rows why they were skipped.
# Extra arguments go to every benchmark program (e.g. --benchmark_filter=Mesa);
# FV_BENCH_BUILD names the build directory (build, the CMake preset release,
# unless set). The table is
# also left in $FV_BENCH_BUILD/bench/results.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${FV_BENCH_BUILD:-build}"
bash scripts/setup.sh
cmake --preset release -B "$build" -DFV_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target benchmarks >/dev/null

bench_dir="$(cd "$build/bench" && pwd)"
rows="$bench_dir/results.tsv"
: >"$rows"
export FV_BENCH_TABLE="$rows"

# The goals' order first (model, frame, real frames, the program), then any
# other bench_* program.
programs=()
for name in bench_model bench_frame bench_render bench_program bench_keys; do
    [ -x "$bench_dir/$name" ] && programs+=("$bench_dir/$name")
done
for program in "$bench_dir"/bench_*; do
    [ -f "$program" ] && [ -x "$program" ] || continue
    case " ${programs[*]} " in *" $program "*) ;; *) programs+=("$program") ;; esac
done

load_before="$(cut -d' ' -f1-3 /proc/loadavg)"
for program in "${programs[@]}"; do
    echo "== $(basename "$program")"
    status=0
    "$program" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@" || status=$?
    if [ "$status" -ne 0 ]; then
        printf '%s\t-\t-\t-\tfailed: exit status %s\n' "$(basename "$program")" "$status" >>"$rows"
    fi
done
load_after="$(cut -d' ' -f1-3 /proc/loadavg)"

# The machine, then the notes the programs left, then the rows in columns.
{
    echo
    echo "Machine: $(nproc) cores, $(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
    echo "Load average (1, 5, 15 min): $load_before before, $load_after after"
    sed -n 's/^# /  /p' "$rows"
    echo
    { grep -v '^#' "$rows" || true; } | awk -F'\t' '
        BEGIN { split("name goal median p95 verdict", head, " ") }
        { for (i = 1; i <= 5; i++) { cell[NR, i] = $i; if (length($i) > width[i]) width[i] = length($i) } }
        END {
            for (i = 1; i <= 5; i++) if (length(head[i]) > width[i]) width[i] = length(head[i])
            for (i = 1; i <= 5; i++) printf "%-*s  ", width[i], head[i]; printf "\n"
            for (i = 1; i <= 5; i++) { line = sprintf("%*s", width[i], ""); gsub(/ /, "-", line); printf "%s  ", line }
            printf "\n"
            for (r = 1; r <= NR; r++) {
                for (i = 1; i <= 5; i++) printf "%-*s  ", width[i], cell[r, i]
                printf "\n"
            }
        }' | sed 's/ *$//'
    echo
    echo "median and p95 are of single calls (of the mean of a repetition where p95 is '-');"
    echo "a verdict judges the p95 against the goal."
} | tee "$bench_dir/results.txt"
