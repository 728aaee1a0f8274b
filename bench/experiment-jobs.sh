#!/usr/bin/env bash
# Runs per second of kartsim-experiment with --jobs 2 against --jobs 1, side by side: an
# experiment of 40 runs of 50 steps with 300 fixed futures, the two alternating ROUNDS times so
# that both see the same load of the machine. Prints each round's rates and the ratio of their
# medians. Measure on a Release build:
#   ./build.sh && bench/experiment-jobs.sh [scene] [rounds]
set -euo pipefail
cd "$(dirname "$0")/.."
exe=build/src/ui/experiment/kartsim-experiment
scene=${1:-kart}
rounds=${2:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/bench.json" <<JSON
{"format": "kartsim-experiment", "version": 1, "scene": "$scene", "steps": 50, "futures": 300,
 "repetitions": 40, "seed": 1}
JSON
source bench/measure-lib.sh
# Runs per second of one whole experiment, by the wall clock around the program.
rate() {
  local out=$work/out-$1-$2 start end
  start=$(date +%s.%N)
  "$exe" "$work/bench.json" --out "$out" --jobs "$1" >/dev/null 2>&1
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN {printf "%.3f\n", 40 / (e - s)}'
}
one=() two=()
printf '%-6s %14s %14s\n' round "jobs 1 runs/s" "jobs 2 runs/s"
for r in $(seq "$rounds"); do
  a=$(rate 1 "$r")
  b=$(rate 2 "$r")
  one+=("$a") two+=("$b")
  printf '%-6s %14s %14s\n' "$r" "$a" "$b"
done
a=$(printf '%s\n' "${one[@]}" | median)
b=$(printf '%s\n' "${two[@]}" | median)
printf 'median %14s %14s   ratio %.2f\n' "$a" "$b" "$(awk -v a="$a" -v b="$b" 'BEGIN {print b / a}')"
