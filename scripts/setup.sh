#!/usr/bin/env bash
# Install the Debian packages the simulator and its tests need, if missing.
# As root (or through sudo) it runs apt-get; otherwise it names the packages.
#
#   scripts/setup.sh             the desktop program, its tests and tools
#   scripts/setup.sh --web       also Emscripten, to build the web page
#   scripts/setup.sh --web-test  also Chromium, and puppeteer-core from npm
#                                into tests/web/node_modules (its lockfile),
#                                to test the page
set -euo pipefail
mode=${1:-}

packages=(
    g++ cmake make pkg-config
    freeglut3-dev libgl-dev libgl1-mesa-dri libglx-mesa0 libx11-dev libxtst-dev libxres-dev
    libxdamage-dev libpng-dev
    libgtest-dev libgmock-dev libbenchmark-dev libboost-dev
    xvfb x11-utils
    clang libclang-rt-dev
    valgrind
)
case "$mode" in
--web) packages+=(emscripten python3) ;;
--web-test) packages+=(emscripten python3 chromium) ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
# npm comes with some builds of nodejs and as a package of its own in others.
if [ "$mode" = --web-test ] && ! command -v npm >/dev/null 2>&1; then
    missing+=(npm)
fi

# The page's test driver, from the npm registry at the locked version.
install_test_driver() {
    [ "$mode" = --web-test ] || return 0
    local dir
    dir="$(cd "$(dirname "$0")/.." && pwd)/tests/web"
    if [ ! -d "$dir/node_modules/puppeteer-core" ] ||
        [ "$dir/package-lock.json" -nt "$dir/node_modules/.package-lock.json" ]; then
        echo "Installing puppeteer-core into tests/web/node_modules"
        (cd "$dir" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
    fi
}

if [ ${#missing[@]} -eq 0 ]; then
    install_test_driver
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    sudo=(sudo)
else
    echo "Please install these Debian packages first: ${missing[*]}" >&2
    echo "  sudo apt-get install ${missing[*]}" >&2
    exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
install_test_driver
