#!/usr/bin/env bash
# Install the Debian packages that are missing for one purpose:
#
#   scripts/setup.sh run    building and running the simulator: the compiler,
#                           CMake, GLUT, OpenGL and the X11 headers (./run.sh)
#   scripts/setup.sh test   all of that, and what the tests, the sanitizer and
#                           fuzz builds, the benchmarks and the scripts need:
#                           GoogleTest, Google Benchmark, Boost, Xvfb and its
#                           extensions, libpng, clang, valgrind (./test.sh)
#
# With no argument it installs the "test" set. As root (or through
# password-less sudo) it runs apt-get; otherwise it names the packages.
set -euo pipefail

run_packages=(
    g++ cmake make pkg-config
    freeglut3-dev libgl-dev libgl1-mesa-dri libglx-mesa0 libx11-dev
)
test_packages=(
    libxtst-dev libxres-dev libxdamage-dev libpng-dev
    libgtest-dev libgmock-dev libbenchmark-dev libboost-dev
    xvfb x11-utils
    clang libclang-rt-dev
    valgrind
)

case "${1:-test}" in
run) packages=("${run_packages[@]}") ;;
test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
*)
    echo "usage: scripts/setup.sh [run|test]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

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
