#!/usr/bin/env bash
# Sets Dimmerling up on Debian 12 and starts the gauge.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh run
exec build/src/dimmerling
