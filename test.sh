#!/usr/bin/env bash
# Install what is missing, then:
#   1. build in Release (preset release, build/) and run the whole test
#      suite, then one scripted session of the program under valgrind's
#      memcheck;
#   2. build with AddressSanitizer and UndefinedBehaviorSanitizer (preset
#      asan, build-asan/) and run the whole suite again, leak checks included;
#   3. fuzz the console dialog for a minute (preset fuzz, build-fuzz/,
#      clang's libFuzzer);
#   4. build the web page (build-web/, Emscripten) and test it in headless
#      Chromium and Firefox ESR, and in WebKitGTK (an iPad's engine) in an
#      Xvfb, against the Release program (every tests/web/*.test.js: the
#      page, the page handed out as one file, by links and offline, and
#      what an iPad user does).
# The presets are in CMakePresets.json.
# Every phase runs even when an earlier one failed, so one run shows all that
# is wrong. The output ends with a summary and the line "N passed, M failed"
# (tests of both builds, the memcheck session, the fuzz run and the page's
# tests); the exit status is 0 only if nothing failed.
set -uo pipefail
cd "$(dirname "$0")" || exit 1

jobs=$(nproc)
# How long the fuzzer runs, seconds.
fuzz_seconds=60

summary=()
passed=0
failed=0
start_all=$SECONDS

# Minutes and seconds since $1 (a value of $SECONDS).
elapsed() {
    local s=$((SECONDS - $1))
    printf '%dm%02ds' $((s / 60)) $((s % 60))
}

# Add a line to the summary: phase, outcome, time.
note() {
    summary+=("$(printf '%-22s %-28s %s' "$1" "$2" "$3")")
}

# Print a phase heading.
heading() {
    printf '\n==== %s\n' "$1"
}

# Run a step that passes or fails as a whole; count it only if it fails.
step() {
    local name=$1
    shift
    heading "$name"
    local start=$SECONDS
    if "$@"; then
        note "$name" "ok" "$(elapsed "$start")"
        return 0
    fi
    note "$name" "FAILED" "$(elapsed "$start")"
    failed=$((failed + 1))
    return 1
}

# Run CTest's preset $2 (phase name $1) in build directory $3 and count its
# tests; the words after $3, if any, are a command that runs CTest for us.
run_ctest() {
    local name=$1 preset=$2 dir=$3
    shift 3
    heading "$name"
    local start=$SECONDS log="$dir/ctest.log"
    "$@" ctest --preset "$preset" -j "$jobs" 2>&1 | tee "$log"
    local status=${PIPESTATUS[0]}
    # "100% tests passed, 0 tests failed out of 80"
    local line total bad
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
    if [ -z "$line" ]; then
        note "$name" "FAILED (no test ran)" "$(elapsed "$start")"
        failed=$((failed + 1))
        return
    fi
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
    local outcome="$((total - bad)) of $total passed"
    # CTest failing with every test passed (a crash of CTest itself, say)
    # still counts as a failure.
    if [ "$status" -ne 0 ] && [ "$bad" -eq 0 ]; then
        failed=$((failed + 1))
        outcome="$outcome, ctest status $status"
    fi
    note "$name" "$outcome" "$(elapsed "$start")"
}

# Configure and build the CMake preset $1.
build() {
    cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$jobs"
}

# Run the Release program once under memcheck; it counts as one test.
memcheck() {
    heading "memcheck: scripted session"
    local start=$SECONDS
    if bash scripts/memcheck.sh build; then
        passed=$((passed + 1))
        note "memcheck: session" "ok" "$(elapsed "$start")"
    else
        failed=$((failed + 1))
        note "memcheck: session" "FAILED" "$(elapsed "$start")"
    fi
}

# Run the fuzzer; it counts as one test.
fuzz() {
    heading "fuzz: console dialog, $fuzz_seconds s"
    local start=$SECONDS
    if bash scripts/fuzz.sh "$fuzz_seconds"; then
        passed=$((passed + 1))
        note "fuzz: dialog" "ok" "$(elapsed "$start")"
    else
        failed=$((failed + 1))
        note "fuzz: dialog" "FAILED" "$(elapsed "$start")"
    fi
}

# Build the page and run its test files, one after the other (each starts
# browsers of its own); each of their tests counts.
web_tests() {
    heading "web: the page in Chromium, Firefox ESR and WebKitGTK"
    local start=$SECONDS log=build-web/page-test.log
    if ! bash scripts/build-web.sh; then
        note "web: page" "FAILED (build)" "$(elapsed "$start")"
        failed=$((failed + 1))
        return
    fi
    (cd tests/web && node --test --test-concurrency=1 --test-reporter=tap ./*.test.js) 2>&1 | tee "$log"
    local good bad
    good=$(sed -n 's/^# pass \([0-9]*\)$/\1/p' "$log")
    bad=$(sed -n 's/^# fail \([0-9]*\)$/\1/p' "$log")
    if [ -z "$good" ] || [ -z "$bad" ]; then
        note "web: page" "FAILED (no test ran)" "$(elapsed "$start")"
        failed=$((failed + 1))
        return
    fi
    passed=$((passed + good))
    failed=$((failed + bad))
    note "web: page" "$good of $((good + bad)) passed" "$(elapsed "$start")"
}

if ! step "setup" bash scripts/setup.sh test; then
    echo "test.sh: the packages above are needed first"
    echo "0 passed, 1 failed"
    exit 1
fi

# The preset turns tests and benchmarks on, even in a build directory that
# ./run.sh made.
if step "release: build" build release; then
    run_ctest "release: tests" release build
    memcheck
    # The page's test compares it with this build's program.
    web_tests
fi

# The sanitizer build: optimised, so the suite runs at a usable speed, with
# debug information for readable reports. The benchmarks are left out.
if step "asan+ubsan: build" build asan; then
    # The sanitizers' options and suppressions hold for the test programs and
    # for every program they start, the simulator included.
    run_ctest "asan+ubsan: tests" asan build-asan bash scripts/sanitizer_env.sh
fi

fuzz

heading "summary"
for line in "${summary[@]}"; do
    echo "  $line"
done
printf '  %-22s %-28s %s\n' "total" "" "$(elapsed "$start_all")"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
