#!/usr/bin/env bash
# Install what is missing for one purpose:
#
#   scripts/setup.sh run    building and running the simulator: the compiler,
#                           CMake, GLUT, OpenGL, the X11 headers and libqrencode
#                           (the class sheets' QR codes) (./run.sh)
#   scripts/setup.sh web    building and serving the web page: the above,
#                           Emscripten, Python and npm, then qrcode-generator
#                           (the teacher's page's QR codes) from the npm
#                           registry into platform/web/node_modules at its
#                           locked version (./run.sh --web)
#   scripts/setup.sh test   all of that, and what the tests, the sanitizer and
#                           fuzz builds, the benchmarks and the scripts need:
#                           GoogleTest, Google Benchmark, Boost, Xvfb and its
#                           extensions, libpng, clang, valgrind, Chromium,
#                           Firefox ESR, WebKitGTK's WebDriver, npm and a
#                           Japanese font for pictures of the page, then
#                           puppeteer-core, selenium-webdriver and axe-core
#                           from the npm registry into tests/web/node_modules
#                           at their locked versions
#                           (./test.sh)
#
# With no argument it installs the "test" set. As root (or through
# password-less sudo) it runs apt-get; otherwise it names the packages.
set -euo pipefail

run_packages=(
    g++ cmake make pkg-config
    freeglut3-dev libgl-dev libgl1-mesa-dri libglx-mesa0 libx11-dev
    libqrencode-dev
)
web_packages=(emscripten python3)
test_packages=(
    libxtst-dev libxres-dev libxdamage-dev libpng-dev
    libgtest-dev libgmock-dev libbenchmark-dev libboost-dev
    xvfb x11-utils
    clang libclang-rt-dev
    valgrind
    chromium firefox-esr webkit2gtk-driver nodejs fonts-ipafont-gothic
)

mode=${1:-test}
case "$mode" in
run) packages=("${run_packages[@]}") ;;
web) packages=("${run_packages[@]}" "${web_packages[@]}") ;;
test) packages=("${run_packages[@]}" "${web_packages[@]}" "${test_packages[@]}") ;;
*)
    echo "usage: scripts/setup.sh [run|web|test]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
# npm comes with some builds of nodejs and as a package of its own in others.
if [ "$mode" != run ] && ! command -v npm >/dev/null 2>&1; then
    missing+=(npm)
fi

# The npm packages of a folder, from the registry at the locked versions,
# when they are missing or older than the lockfile.
install_npm_folder() {
    local dir first=$2
    dir="$(cd "$(dirname "$0")/.." && pwd)/$1"
    if [ ! -d "$dir/node_modules/$first" ] ||
        [ "$dir/package-lock.json" -nt "$dir/node_modules/.package-lock.json" ]; then
        echo "Installing the npm packages of $1 into $1/node_modules"
        (cd "$dir" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
    fi
}

# The teacher's page's QR library (web) and the page tests' driver (test).
install_npm_packages() {
    [ "$mode" = run ] && return 0
    install_npm_folder platform/web qrcode-generator
    [ "$mode" = test ] || return 0
    install_npm_folder tests/web puppeteer-core
}

if [ ${#missing[@]} -eq 0 ]; then
    install_npm_packages
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
install_npm_packages
