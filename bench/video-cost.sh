#!/usr/bin/env bash
# Futures per step with a video recorded (--video) against none, side by side: runs with and
# without alternate (seeds 1 to 4), so that both see the same load of the machine. Prints the
# median of the runs' per-step medians and their ratio. Measure on a Release build:
#   ./build.sh && bench/video-cost.sh [scenario] [steps]   (SEEDS="1 2 3 4 5 6" for more runs)
set -euo pipefail
cd "$(dirname "$0")/.."
batch=build/src/ui/batch/kartsim-batch
scenario=${1:-circle}
steps=${2:-100}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

source bench/measure-lib.sh

plain=() video=()
for seed in ${SEEDS:-1 2 3 4}; do
  for mode in plain video; do
    extra=()
    [ "$mode" = video ] && extra=(--video "$out/run.mp4")
    json=$("$batch" --scenario "$scenario" --seed "$seed" --steps "$steps" --json "${extra[@]}")
    v=$(field "$json" futures_per_step median)
    echo "seed $seed, $mode: $v futures per step" >&2
    if [ "$mode" = plain ]; then plain+=("$v"); else video+=("$v"); fi
  done
done
a=$(printf '%s\n' "${plain[@]}" | median)
b=$(printf '%s\n' "${video[@]}" | median)
printf '%-8s %16s %16s %7s\n' scenario "without video" "with --video" ratio
printf '%-8s %16.0f %16.0f %7.3f\n' "$scenario" "$a" "$b" "$(awk "BEGIN {print $b / $a}")"
