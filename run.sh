#!/usr/bin/env bash
# Install what building and running need, build the simulator (Release)
# quietly and start it with this script's arguments, e.g.
#
#   ./run.sh --play examples/resonance
#
# ./run.sh --web builds the web page instead and serves it on this machine;
# the same page in one file, build-web/forced-vibration.html, opens from a disk.
#
# The tests and their tools are neither installed nor built here (./test.sh).
set -euo pipefail
cd "$(dirname "$0")"
if [ "${1:-}" = --web ]; then
    bash scripts/setup.sh web
    mkdir -p build-web
    if ! bash scripts/build-web.sh >build-web/run-build.log 2>&1; then
        cat build-web/run-build.log >&2
        echo "run.sh: the web build failed (log in build-web/run-build.log)" >&2
        exit 1
    fi
    echo "The simulator is at http://127.0.0.1:8000/ (Ctrl-C stops the server)"
    echo "The page in one file, to hand out: build-web/forced-vibration.html"
    exec python3 -m http.server 8000 --bind 127.0.0.1 --directory build-web/page
fi
bash scripts/setup.sh run
log=build/run-build.log
mkdir -p build
# A build directory that ./test.sh configured keeps its tests; a fresh one
# gets only the program.
if [ -f build/CMakeCache.txt ]; then
    configure=(cmake -S . -B build)
else
    configure=(cmake --preset program)
fi
if ! { "${configure[@]}" && cmake --build build -j "$(nproc)" --target forced-vibration; } \
    >"$log" 2>&1; then
    cat "$log" >&2
    echo "run.sh: the build failed (log in $log)" >&2
    exit 1
fi
exec build/forced-vibration "$@"
