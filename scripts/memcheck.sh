#!/usr/bin/env bash
# Run one scripted session of the built program under valgrind's memcheck in
# a private Xvfb and fail if memcheck finds any error or any definitely or
# indirectly lost block of the program's own.
#
# Usage: scripts/memcheck.sh [BUILD_DIR]
#   BUILD_DIR  a build of the project without sanitizers (default: build);
#              it must hold forced-vibration and tools/fv_drive.
# The full memcheck report goes to BUILD_DIR/memcheck.log.
#
# The session: the worked example's dialog through the console pipe, then
# 300 frames from every key of the window ('s', 'f', 'y', 'Y', 't', 'T', 'x',
# 'X', 13 of the frames with the frequency chart; 'e' shows the energy view
# and hides it again), the dialogs of 'j', 'g'
# and 'm' answered through the same pipe on the way, and Escape last. Eight
# 't' in a row push the time axis's bound past the end of the history
# buffers. (Memcheck watches the heap; an index past the end of those static
# buffers is the sanitizer build's and the keyboard tests' to catch.)
#
# Suppressed (tests/valgrind.supp, each entry says why): only what Mesa's
# software driver keeps for the life of the process and a harmless read of
# the dynamic loader while Mesa loads that driver. Possibly lost blocks are
# listed in the log but do not fail the run.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
program="$build/forced-vibration"
driver="$build/tools/fv_drive"
log="$build/memcheck.log"

# How long the driver waits for one frame, a dialog or the end, seconds:
# memcheck with Mesa's software renderer is some 50 times slower than a
# plain run, and the leak check at exit takes a few seconds more.
timeout_s=60
# How long the window must stay without a frame to count as settled,
# milliseconds: a repaint the server asks for arrives late under memcheck.
settle_ms=1000

for f in "$program" "$driver"; do
    if [ ! -x "$f" ]; then
        echo "memcheck.sh: $f is missing; build $build first" >&2
        exit 1
    fi
done
if ! command -v valgrind >/dev/null 2>&1; then
    echo "memcheck.sh: valgrind is not installed (Debian package valgrind)" >&2
    exit 1
fi

# $1 repeated $2 times.
repeat() {
    local text=""
    for ((i = 0; i < $2; i++)); do
        text+=$1
    done
    printf '%s' "$text"
}

# The answers of the first dialog (the worked example, started on the steady
# state), then those of 'j' (typed start), 'g' (resonance, from rest) and 'm'
# (new system, steady start), in the order the keys come.
answers='1 0.2 4\n1 1\n1\n'
answers+='2\n0.3 -0.5\n'
answers+='0.5 2\n0\n'
answers+='2 0.4 8\n1 3\n1\n'

keys="$(repeat s 40)fe$(repeat s 10)yYxXs$(repeat t 8)$(repeat s 60)$(repeat T 8)"
keys+="j$(repeat s 40)"
keys+="g$(repeat s 40)fXxe"
keys+="m$(repeat s 80)fyYxX"

frames=$(tr -cd 'sfyYtTxXe' <<<"$keys" | wc -c)
echo "memcheck.sh: $frames frames, then Escape; report in $log"

# --keep-debuginfo: the driver is unloaded at exit, before the leak check;
# without its symbols its frames would have no object name to suppress by.
valgrind_command="valgrind --tool=memcheck --error-exitcode=99 --leak-check=full \
--errors-for-leak-kinds=definite,indirect --show-leak-kinds=definite,indirect,possible \
--keep-debuginfo=yes --num-callers=40 --suppressions=$root/tests/valgrind.supp \
--log-file=$log"

start=$SECONDS
"$driver" --program "$program" --answer-text "$answers" --keys "$keys" \
    --wrapper "$valgrind_command" --timeout-s "$timeout_s" --settle-ms "$settle_ms"
status=$?
echo "memcheck.sh: session took $((SECONDS - start)) s"

failed=0
if [ "$status" -ne 0 ]; then
    echo "memcheck.sh: the session failed (fv_drive status $status)" >&2
    failed=1
fi
# The summaries memcheck prints at exit; without them it did not finish.
if ! grep -q "ERROR SUMMARY: 0 errors" "$log"; then
    echo "memcheck.sh: memcheck reported errors:" >&2
    grep -E "ERROR SUMMARY|Invalid|uninitialised|lost in loss record" "$log" >&2
    failed=1
fi
for kind in "definitely lost" "indirectly lost"; do
    if ! grep -qE "$kind: 0 bytes|no leaks are possible" "$log"; then
        echo "memcheck.sh: $(grep -m1 "$kind:" "$log" || echo "no leak summary in the log")" >&2
        failed=1
    fi
done
grep -A6 "LEAK SUMMARY" "$log" | sed 's/^==[0-9]*== /  /'

if [ "$failed" -ne 0 ]; then
    echo "memcheck.sh: FAILED; see $log"
    exit 1
fi
echo "memcheck.sh: no errors, nothing of ours lost"
