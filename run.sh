#!/usr/bin/env bash
# Install what is missing, build in Release mode and start the simulator.
# Arguments are handed to GLUT (for instance -display :1).
#   ./run.sh --web   build the web page instead and serve it on this machine
set -euo pipefail
cd "$(dirname "$0")"
if [ "${1:-}" = --web ]; then
    bash scripts/setup.sh --web
    bash scripts/build-web.sh
    echo "The simulator is at http://127.0.0.1:8000/ (Ctrl-C stops the server)"
    exec python3 -m http.server 8000 --bind 127.0.0.1 --directory build-web/page
fi
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target forced-vibration
exec build/forced-vibration "$@"
