#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; ends with ctest's summary. Under CI
# (CI=true) the tests then run again under the sanitizers (tools/ci/sanitizers.sh).
set -euo pipefail
cd "$(dirname "$0")"
./install-deps.sh --tests
./build.sh
# The window's tests need no screen.
export QT_QPA_PLATFORM=offscreen
(cd build && ctest --output-on-failure -j2)
if [ "${CI:-}" = "true" ]; then
  tools/ci/sanitizers.sh
fi
