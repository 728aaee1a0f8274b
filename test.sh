#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; ends with ctest's summary.
set -euo pipefail
cd "$(dirname "$0")"
./install-deps.sh
./build.sh
# The window's tests need no screen.
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure -j2
