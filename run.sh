#!/usr/bin/env bash
# Installs what is missing, builds in Release and starts kartsim.
set -euo pipefail
cd "$(dirname "$0")"
./install-deps.sh
./build.sh
# The program's start without a window: the first rocket on the built-in circuit for a few
# seconds, then what happened.
exec build/src/ui/batch/kartsim-batch --scenario rocket --steps 30 "$@"
