#!/usr/bin/env bash
# Install the Debian packages the simulator and its tests need, if missing.
# As root (or through sudo) it runs apt-get; otherwise it names the packages.
set -euo pipefail

packages=(
    g++ cmake make pkg-config
    freeglut3-dev libgl-dev libgl1-mesa-dri libglx-mesa0 libx11-dev libxtst-dev libxres-dev
    libxdamage-dev libpng-dev
    libgtest-dev libgmock-dev libbenchmark-dev libboost-dev
    xvfb x11-utils
    clang libclang-rt-dev
    valgrind
)

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
