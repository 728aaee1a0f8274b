#!/usr/bin/env bash
# Installs what is missing, builds in Release and opens kartsim's window. Without a display the
# program's start runs without a window instead, and what happened is printed.
set -euo pipefail
cd "$(dirname "$0")"
./install-deps.sh
./build.sh
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/src/ui/window/kartsim "$@"
fi
echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): running the first rocket without a window instead."
# The first rocket on the built-in circuit for a few seconds, then what happened.
exec build/src/ui/batch/kartsim-batch --scenario rocket --steps 30 "$@"
