#!/usr/bin/env bash
# Two builds of kartsim-batch side by side: the time per body sub-step with fixed futures and the
# futures per step with the default budget, for kart, rocket and circle, on one thread and on two.
# Runs of the two builds alternate (seeds 1 to 3) so that both see the same load of the machine;
# prints the median of each and the ratio before / after (above 1: the second build is faster or,
# for futures, runs more).
#   bench/compare-builds.sh BEFORE AFTER [steps]
# BEFORE and AFTER are each a kartsim-batch binary or a git revision of this repository; a
# revision is exported and built in Release under ${BUILDS:-/tmp/kartsim-builds}/<commit>, once.
# FUTURES (default 1000) sets the fixed futures of the timing runs, SEEDS the seeds.
set -euo pipefail
[ $# -ge 2 ] || { sed -n 2,10p "$0" | sed 's/^# \{0,1\}//'; exit 2; }
# Binaries named relative to where the script was called from.
args=()
for a in "$1" "$2"; do
  if [ -f "$a" ]; then args+=("$(realpath "$a")"); else args+=("$a"); fi
done
cd "$(dirname "$0")/.."
steps=${3:-30}
futures=${FUTURES:-1000}
source bench/measure-lib.sh

before=$(binary "${args[0]}")
after=$(binary "${args[1]}")
echo "before: $before" >&2
echo "after:  $after" >&2

printf '%-8s %-7s %-26s %10s %10s %7s\n' scenario threads measure before after ratio
for threads in 1 2; do
  for scenario in kart rocket circle; do
    ns_a=() ns_b=() fu_a=() fu_b=()
    for seed in ${SEEDS:-1 2 3}; do
      for which in a b; do
        [ "$which" = a ] && bin=$before || bin=$after
        common=(--scenario "$scenario" --seed "$seed" --threads "$threads" --json --steps "$steps")
        json=$("$bin" "${common[@]}" --futures "$futures")
        ns=$(sed -E 's/.*"ns_per_body_substep": ?([0-9.e+-]+).*/\1/' <<<"$json")
        json=$("$bin" "${common[@]}")
        fu=$(field "$json" futures_per_step median)
        if [ "$which" = a ]; then ns_a+=("$ns") fu_a+=("$fu"); else ns_b+=("$ns") fu_b+=("$fu"); fi
      done
    done
    a=$(printf '%s\n' "${ns_a[@]}" | median)
    b=$(printf '%s\n' "${ns_b[@]}" | median)
    printf '%-8s %-7s %-26s %10.1f %10.1f %7.2f\n' "$scenario" "$threads" "ns per body sub-step" \
      "$a" "$b" "$(awk "BEGIN {print $a / $b}")"
    a=$(printf '%s\n' "${fu_a[@]}" | median)
    b=$(printf '%s\n' "${fu_b[@]}" | median)
    printf '%-8s %-7s %-26s %10.0f %10.0f %7.2f\n' "$scenario" "$threads" "futures per step" \
      "$a" "$b" "$(awk "BEGIN {print $b / $a}")"
  done
done
