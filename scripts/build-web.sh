#!/usr/bin/env bash
# Build the web page with Emscripten: the static folder build-web/page
# (index.html, forced-vibration.js, forced-vibration.wasm). WEB_BUILD_DIR
# chooses another build directory; the page is in its page/ folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${WEB_BUILD_DIR:-$root/build-web}"

if [ ! -f "$build/CMakeCache.txt" ]; then
    emcmake cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j 2
