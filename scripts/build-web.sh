#!/usr/bin/env bash
# Build the web page with Emscripten (preset web): the static folder
# build-web/page (index.html, forced-vibration.js, forced-vibration.wasm, the
# page's modules, its service worker and manifest), and the same page as one
# file that opens from a disk, build-web/forced-vibration.html.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset web >/dev/null
cmake --build --preset web -j "$(nproc)"
