#!/usr/bin/env bash
# Configures and builds kartsim in Release into build/ (shared by ./run.sh and ./test.sh).
set -euo pipefail
cd "$(dirname "$0")"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j2
