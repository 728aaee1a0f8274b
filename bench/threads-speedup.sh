#!/usr/bin/env bash
# Futures per step with one thread against two, side by side: for every scenario, runs of 1 and
# 2 threads alternate (seeds 1 to 3), so that both see the same load of the machine. Prints the
# median of the runs' per-step medians and their ratio. Measure on a Release build:
#   ./build.sh && bench/threads-speedup.sh [steps]   (SEEDS="1 2 3 4 5 6" for more runs)
set -euo pipefail
cd "$(dirname "$0")/.."
batch=build/src/ui/batch/kartsim-batch
steps=${1:-100}

source bench/measure-lib.sh

printf '%-8s %-22s %12s %12s %7s\n' scenario measure "1 thread" "2 threads" ratio
for scenario in kart rocket circle; do
  for what in futures small; do
    one=() two=()
    for seed in ${SEEDS:-1 2 3}; do
      for threads in 1 2; do
        # "small": steps of the minimum of 101 futures, where starting the workers must not cost
        # more than they bring.
        extra=()
        [ "$what" = small ] && extra=(--futures 101 --steps 30) || extra=(--steps "$steps")
        json=$("$batch" --scenario "$scenario" --seed "$seed" --threads "$threads" --json "${extra[@]}")
        if [ "$what" = futures ]; then v=$(field "$json" futures_per_step median); else v=$(field "$json" step_ms median); fi
        if [ "$threads" = 1 ]; then one+=("$v"); else two+=("$v"); fi
      done
    done
    a=$(printf '%s\n' "${one[@]}" | median)
    b=$(printf '%s\n' "${two[@]}" | median)
    if [ "$what" = futures ]; then
      printf '%-8s %-22s %12.0f %12.0f %7.2f\n' "$scenario" "futures per step" "$a" "$b" "$(awk "BEGIN {print $b / $a}")"
    else
      printf '%-8s %-22s %12.2f %12.2f %7.2f\n' "$scenario" "ms per 101-future step" "$a" "$b" "$(awk "BEGIN {print $b / $a}")"
    fi
  done
done
