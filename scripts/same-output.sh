#!/usr/bin/env bash
# Record what a user sees of one build, to compare two builds byte for byte:
# the console bytes, the CSV files (--csv; the sweep's with 'w') and the
# window's picture after the same keys, for the worked example and every
# experiment in examples/.
#
# Usage: scripts/same-output.sh BUILD_DIR OUT_DIR
#   e.g. scripts/same-output.sh build /tmp/after && diff -r /tmp/before /tmp/after
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"
out="$2"
mkdir -p "$out"
cmake --build "$build" -j 2 --target fv_drive forced-vibration >/dev/null

# 40 frames, the chart, a zoom of each kind, then the sweep.
keys="$(printf 's%.0s' $(seq 40))fyTxw"
run() {
    local name=$1
    shift
    "$build/tools/fv_drive" --program "$build/forced-vibration" "$@" \
        --arg --csv --arg "$out/$name" --keys "$keys" --settle-ms 600 \
        --screenshot "$out/$name.png" --console "$out/$name.txt" >"$out/$name.status" 2>&1 ||
        echo "status $?" >>"$out/$name.status"
}
run worked --answer-text '1 0.2 4\n1 1\n1\n'
for answers in "$root"/examples/*; do
    [ "$(basename "$answers")" = README.md ] && continue
    run "$(basename "$answers")" --arg "$answers"
done
# The motion file's columns of old apart: a build that adds columns after
# them (the energies and powers) differs only in the whole file.
for motion in "$out"/*-motion.csv; do
    if [ -e "$motion" ]; then
        cut -d, -f1-5 "$motion" >"${motion%.csv}-first-columns.csv"
    fi
done
# Names of the files the CSV option wrote hold the output folder; the bytes
# inside do not.
ls "$out" | wc -l
