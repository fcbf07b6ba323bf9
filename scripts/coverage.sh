#!/usr/bin/env bash
# Line and branch coverage of src/ over the unit and end-to-end tests.
# Usage: scripts/coverage.sh [build-folder]   (default build-coverage/)
# Needs what scripts/setup.sh test installs, and gcovr.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-coverage}
command -v gcovr >/dev/null || { echo "coverage: gcovr is missing (apt-get install gcovr)" >&2; exit 1; }

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDIMMERLING_BENCH=OFF \
    -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage
cmake --build "$build" --parallel "$(nproc)"
find "$build" -name '*.gcda' -delete
# The install and Wayland tests run other builds of the program.
ctest --test-dir "$build" -E '^(install|wayland)$' --timeout 300 -j"$(nproc)" || true
gcovr --root . --filter 'src/' --object-directory "$build" --exclude-directories "$build/CMakeFiles" \
    --exclude-unreachable-branches --exclude-throw-branches --print-summary --output /dev/null
