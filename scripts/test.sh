#!/usr/bin/env bash
# Sets Dimmerling up on Debian 12 and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test
ctest --test-dir build --output-on-failure --timeout 300 -j2
# Sanitized tests, bounded fuzzing and static checks.
scripts/harden.sh
