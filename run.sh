#!/usr/bin/env bash
# Install what is missing, build in Release mode and start the simulator.
# Arguments are handed to GLUT (for instance -display :1).
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target forced-vibration
exec build/forced-vibration "$@"
