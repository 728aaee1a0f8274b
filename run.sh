#!/usr/bin/env bash
# Installs what is missing, builds in Release and starts kartsim.
set -euo pipefail
cd "$(dirname "$0")"
./install-deps.sh
./build.sh
echo "Built the simulation core library (build/libkartsim_core.a) and its tests."
