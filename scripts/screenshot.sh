#!/usr/bin/env bash
# Take a picture of the simulator's window for the documentation.
#
# Usage: scripts/screenshot.sh [OUTPUT.png [ANSWERS [KEYS [fv_drive options...]]]]
#
#   OUTPUT.png  where to save the picture (default docs/screenshot-window.png)
#   ANSWERS     a file with the console answers: the first dialog's, then
#               those of every 'j', 'g' or 'm' in KEYS (default: the worked
#               example, m 1, lambda 0.2, K 4, F 1, omf 1, started on the
#               steady state)
#   KEYS        the keys typed into the window, one by one (default: 150
#               presses of 's', then 'f' for the frequency chart)
#   the rest    handed to fv_drive as they are, e.g. --size 800x400; see
#               build/tools/fv_drive --help
#
# Each picture comes from a fresh run in a private Xvfb, so it is the same
# every time. BUILD_DIR chooses the build directory (default build/, the
# CMake preset release); the tool and the program are built there first if
# needed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"

output="${1:-$root/docs/screenshot-window.png}"
answers="${2:-}"
keys="${3:-$(printf 's%.0s' $(seq 150))f}"
shift $(($# < 3 ? $# : 3))

bash "$root/scripts/setup.sh"
if [ ! -f "$build/CMakeCache.txt" ]; then
    (cd "$root" && cmake --preset release -B "$build" >/dev/null)
fi
cmake --build "$build" -j 2 --target fv_drive forced-vibration >/dev/null

mkdir -p "$(dirname "$output")"
if [ -n "$answers" ]; then
    answerArgs=(--answers "$answers")
else
    answerArgs=(--answer-text '1 0.2 4\n1 1\n1\n')
fi
"$build/tools/fv_drive" --program "$build/forced-vibration" "${answerArgs[@]}" \
    --keys "$keys" --screenshot "$output" "$@"
echo "saved $output"
