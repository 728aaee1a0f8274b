#!/usr/bin/env bash
# Where a build of kartsim-batch spends its time: perf records one run of each scenario (kart,
# rocket and circle unless others are named) with fixed futures on one thread, and prints the
# functions with the most time of their own (self time: what they call is not counted), each with
# its share of all the run's samples.
#   bench/profile.sh BINARY [scenario...]
# BINARY is a kartsim-batch binary built in Release, or a git revision of this repository,
# exported and built in Release under ${BUILDS:-/tmp/kartsim-builds}/<commit>, once. STEPS
# (default 100), FUTURES (1000), SEED (1) and TOP (15) set the runs and the list; the recordings
# stay in a folder under /tmp, named at the end, for `perf report -i FILE`.
# perf is a developer's tool, needed neither to build nor to test: on Debian, `apt-get install
# linux-perf`. Where the processor's counters cannot be read (most virtual machines), perf samples
# by the cpu-clock timer instead; where it may not record at all, see
# /proc/sys/kernel/perf_event_paranoid (2 lets a user profile his own programs).
set -euo pipefail
[ $# -ge 1 ] || { sed -n 2,14p "$0" | sed 's/^# \{0,1\}//'; exit 2; }
command -v perf >/dev/null || { echo "profile: perf is missing (apt-get install linux-perf)" >&2; exit 2; }
arg=$1
shift
# A binary named relative to where the script was called from.
[ -f "$arg" ] && arg=$(realpath "$arg")
cd "$(dirname "$0")/.."
source bench/measure-lib.sh
bin=$(binary "$arg")
steps=${STEPS:-100}
futures=${FUTURES:-1000}
seed=${SEED:-1}
top=${TOP:-15}
scenarios=("$@")
[ ${#scenarios[@]} -gt 0 ] || scenarios=(kart rocket circle)

# Timing a Debug build would show where the checks and the missing inlining cost.
cache=$(dirname "$bin")/../../../CMakeCache.txt
if [ -f "$cache" ] && ! grep -q '^CMAKE_BUILD_TYPE:[A-Z]*=Release$' "$cache"; then
  echo "profile: $bin is not a Release build ($(grep '^CMAKE_BUILD_TYPE' "$cache"))" >&2
fi

out=$(mktemp -d /tmp/kartsim-profile.XXXXXX)
trap '[ $? -eq 0 ] || rm -rf "$out"' EXIT
echo "binary: $bin" >&2
for scenario in "${scenarios[@]}"; do
  data=$out/$scenario.data
  run=("$bin" --scenario "$scenario" --seed "$seed" --steps "$steps" --futures "$futures" --threads 1 --json)
  # perf chooses the cycle counter where there is one, and the timer by itself on most machines
  # without; the timer asked for outright is the last resort.
  if ! perf record -q -o "$data" -- "${run[@]}" >"$out/$scenario.json" 2>"$out/$scenario.err"; then
    # perf ends as its program did: a run that failed is not for the timer to mend.
    if grep -q '^kartsim-batch:' "$out/$scenario.err"; then
      grep '^kartsim-batch:' "$out/$scenario.err" >&2
      exit 2
    fi
    if ! perf record -q -e cpu-clock -o "$data" -- "${run[@]}" >"$out/$scenario.json" 2>"$out/$scenario.err"; then
      cat "$out/$scenario.err" >&2
      echo "profile: perf cannot record here (perf_event_paranoid is" \
        "$(cat /proc/sys/kernel/perf_event_paranoid 2>/dev/null || echo unknown))" >&2
      exit 2
    fi
  fi
  event=$(perf evlist -i "$data" 2>/dev/null | head -1)
  samples=$(perf script -i "$data" -F ip 2>/dev/null | wc -l)
  ns=$(sed -E 's/.*"ns_per_body_substep": ?([0-9.e+-]+).*/\1/' "$out/$scenario.json")
  echo
  echo "$scenario: $steps steps of $futures futures, seed $seed, 1 thread; $samples samples of $event;" \
    "$(printf '%.1f' "$ns") ns per body sub-step"
  printf '%7s  %-20s %s\n' share binary function
  perf report -i "$data" --stdio --no-children --fields overhead,dso,sym -q 2>/dev/null |
    awk -v top="$top" 'NF >= 3 && n < top {
      n++
      share = $1; dso = $2; $1 = ""; $2 = ""; $3 = ""
      sub(/^ +/, "")
      if (length($0) > 110) $0 = substr($0, 1, 107) "..."
      printf "%7s  %-20s %s\n", share, substr(dso, 1, 20), $0
    }'
done
echo
echo "recordings: $out (perf report -i $out/<scenario>.data)"
