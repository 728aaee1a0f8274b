#!/usr/bin/env bash
# Installs the system packages kartsim needs to build, test and run, and only those missing.
# The one list of packages of the project is here, in two sections: what building, running and
# the usual tests need, always; and what only some tests need, with --tests (./test.sh passes it,
# ./run.sh does not), so that a desktop that only runs kartsim gets no cluster daemons.
# Usage: install-deps.sh [--tests]
set -euo pipefail

tests=false
for arg in "$@"; do
  case "$arg" in
  --tests) tests=true ;;
  *)
    echo "usage: install-deps.sh [--tests]" >&2
    exit 2
    ;;
  esac
done

PACKAGES=(
  cmake          # build system
  make           # what cmake's default generator drives
  g++            # C++20 compiler
  qt6-base-dev   # window, pictures and drawing (Qt 6 Widgets and Gui)
  qt6-charts-dev # the monitors' plots (Qt Charts, GPL-3)
  qt6-svg-dev    # the experiments' plots as SVG too (QSvgGenerator)
  libgtest-dev   # unit tests
  libbenchmark-dev # micro-benchmarks
  libhwy-dev     # Google Highway: the futures' lanes in vectors, chosen per processor at run time
  xvfb           # a virtual display for running the window without a screen
  xauth          # xvfb-run needs it to open that display; xvfb only recommends it
  ffmpeg         # recording videos (--video), and ffprobe for their tests
  librsvg2-bin   # rsvg-convert: the 256 px icon drawn from its SVG at build time
  help2man       # kartsim-batch's manual page, made from its --help at build time
  desktop-file-utils # desktop-file-validate for the menu entry's test
  parallel       # GNU parallel: the experiments' test runs two shards at once with it
  dpkg-dev       # dpkg-shlibdeps: the Debian package's library dependencies (cpack -G DEB)
  python3-dev    # the Python module: the interpreter's headers (Debian's /usr/bin/python3)
  pybind11-dev   # the Python module's bindings
  python3-numpy  # the module's pictures as arrays
  python3-pandas # the module's tables as data frames
  python3-matplotlib # the Python examples' plots (examples/python)
)
# Tests only: pytest for the Python module's tests, and a one-node Slurm that the cluster example
# runs on (its services stay off, with no /etc/slurm/slurm.conf; the test starts its own daemons).
TEST_PACKAGES=(
  slurmctld      # Slurm's controller
  slurmd         # Slurm's node daemon
  slurm-client   # sbatch, squeue, sinfo, scontrol, scancel
  munge          # the authentication Slurm's daemons and commands share
  python3-pytest # the Python module's tests
)
if $tests; then
  PACKAGES+=("${TEST_PACKAGES[@]}")
fi

missing=()
for pkg in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$pkg")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  SUDO=()
elif command -v sudo >/dev/null 2>&1; then
  SUDO=(sudo)
else
  echo "error: these packages are missing and this user cannot install them (not root, no sudo): ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if ! "${SUDO[@]}" apt-get update; then
  echo "error: apt-get update failed; cannot install: ${missing[*]}" >&2
  exit 1
fi
if ! "${SUDO[@]}" apt-get install -y "${missing[@]}"; then
  echo "error: could not install: ${missing[*]}" >&2
  exit 1
fi

# Check again: a package that apt-get did not install must stop the build here, not later.
for pkg in "${missing[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
  if [ "$status" != "installed" ]; then
    echo "error: package $pkg is still not installed" >&2
    exit 1
  fi
done
