#!/usr/bin/env bash
# Take the pictures of the ready-made experiments for the README: each answer
# file in examples/ is run once through scripts/screenshot.sh (a fresh
# program in a private Xvfb), the keys below are typed into its window and
# the window is saved as docs/experiments/NAME.png.
#
# Usage: scripts/experiment-screenshots.sh [NAME...]   (default: all of them)
#
# The window draws one frame when it first appears, and the time plot starts
# again at its left edge after 250 frames (470 after six presses of 't'), so
# the counts below stay a few frames short of those limits. BUILD_DIR chooses
# the build directory, as for scripts/screenshot.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

# The key `key` typed `count` times.
repeat() {
    local key="$1" count="$2"
    printf "%${count}s" "" | tr ' ' "$key"
}

# The keys for each experiment; keep the README's "Experiments" section in
# step with them.
declare -A keys=(
    [resonance]="$(repeat s 245)f"
    [beats]="$(repeat t 6)$(repeat Y 3)$(repeat s 455)"
    [steady-start]="$(repeat s 245)"
    [rest-start]="$(repeat s 245)"
    [critical-damping]="$(repeat s 245)"
    [over-damping]="$(repeat s 245)"
    [isolation]="$(repeat T 6)$(repeat Y 6)$(repeat s 110)f"
    [undamped-resonance]="$(repeat t 6)$(repeat s 458)f"
    [sweep]="w"
    [free-decay]="$(repeat t 6)$(repeat s 458)"
    [base-isolation]="$(repeat Y 3)$(repeat s 235)fw"
    [unbalance]="$(repeat s 240)fw"
)
# The program's options of an experiment that is not forced by a force.
declare -A options=(
    [base-isolation]="--excitation base"
    [unbalance]="--excitation unbalance"
)
order=(resonance beats steady-start rest-start critical-damping over-damping isolation
    undamped-resonance sweep free-decay base-isolation unbalance)

names=("$@")
[ ${#names[@]} -eq 0 ] && names=("${order[@]}")
for name in "${names[@]}"; do
    if [ -z "${keys[$name]+set}" ]; then
        echo "experiment-screenshots.sh: no experiment called $name" >&2
        exit 2
    fi
    args=()
    for option in ${options[$name]:-}; do
        args+=(--arg "$option")
    done
    bash "$root/scripts/screenshot.sh" "$root/docs/experiments/$name.png" \
        "$root/examples/$name" "${keys[$name]}" "${args[@]}"
done
