#!/usr/bin/env bash
# Build the console dialog's fuzz target with clang in build-fuzz/ (the CMake
# preset fuzz) and run it
# for a while (60 s unless a number of seconds is given).
#
# The seed corpus fuzz/corpus/ is only read: new inputs go to a temporary
# directory that is removed afterwards. An input that crashes, leaks, trips
# a sanitizer or runs past the per-input timeout is kept in
# build-fuzz/artifacts/ and the script fails; rerun it with
#   build-fuzz/fuzz/fuzz_dialog build-fuzz/artifacts/<file>
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
# Longest one input may run, seconds: a pass takes microseconds, so anything
# near this is a hang.
per_input_timeout=10

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

new_units=$(mktemp -d)
trap 'rm -rf "$new_units"' EXIT
mkdir -p build-fuzz/artifacts
log=build-fuzz/fuzz.log

# libFuzzer adds new inputs to the first directory only; the seeds stay as
# they are.
status=0
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    build-fuzz/fuzz/fuzz_dialog -max_total_time="$seconds" -timeout="$per_input_timeout" \
    -dict=fuzz/dialog.dict -artifact_prefix=build-fuzz/artifacts/ -print_final_stats=1 \
    "$new_units" fuzz/corpus >"$log" 2>&1 || status=$?

if [ "$status" -ne 0 ]; then
    # The report: everything from the first error line on.
    sed -n '/ERROR\|runtime error\|==[0-9]*==\|SUMMARY/,$p' "$log" | head -60
    echo "fuzz_dialog failed (status $status); the input is in build-fuzz/artifacts/, the log in $log"
    exit 1
fi
runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log")
echo "fuzz_dialog: ${runs:-?} inputs in $seconds s, no crash, leak, hang or sanitizer report"
