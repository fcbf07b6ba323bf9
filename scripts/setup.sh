#!/usr/bin/env bash
# Installs what Dimmerling needs on Debian 12 and builds it into build/.
# Usage: scripts/setup.sh [run|test]   (run and test add their own packages)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-svg-dev libqt6svg6
          libgl-dev libxcb1-dev dbus)
# The README's `cpack -G DEB`: CPack asks `file` which files are programs
# (build-essential brings dpkg-shlibdeps).
packages+=(file)
if [ "${1:-}" = test ]; then
    packages+=(python3-dbusmock python3-pytest umockdev upower xvfb openbox xcompmgr xdotool x11-utils x11-xserver-utils wmctrl qt6ct xfce4-panel
               imagemagick trayer libglib2.0-bin desktop-file-utils appstream weston qt6-wayland)
    # tests/install: the Debian package's checks and the man page.
    packages+=(lintian man-db)
    # scripts/harden.sh: libFuzzer needs clang; then the static checkers.
    packages+=(clang libclang-rt-14-dev clang-tidy cppcheck)
    # scripts/coverage.sh
    packages+=(gcovr)
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel "$(nproc)"
