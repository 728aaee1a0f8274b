#!/usr/bin/env bash
# Two builds of kartsim-batch side by side in what the players do rather than how fast: for kart,
# rocket and circle, each build runs the same seeds (1 to 16) of 300 steps with 300 fixed
# futures, one thread per run and two runs at a time, and each run's JSON summary gives how many
# players are alive at the end and their mean distance. Prints, per scenario and measure, each
# build's mean over the seeds with its 95 % interval (mean ± t(0.975, n-1) × sd / sqrt(n)), and
# "agree" when each mean lies within the other's interval, "DIFFER" when not. With one player (kart,
# rocket) the alive measure is the share of seeds that end with it alive; with more (circle, 18
# karts) it is the count alive.
#   bench/compare-stats.sh BEFORE AFTER
# BEFORE and AFTER are each a kartsim-batch binary or a git revision of this repository; a
# revision is exported and built in Release under ${BUILDS:-/tmp/kartsim-builds}/<commit>, once.
# SEEDS (default "1 2 ... 16"), STEPS (300), FUTURES (300) and SCENARIOS (kart rocket circle) set
# the runs. Exit status 0 when all agree, 1 when one differs, 2 for bad arguments or a failed run.
set -euo pipefail
[ $# -eq 2 ] || { sed -n 2,14p "$0" | sed 's/^# \{0,1\}//'; exit 2; }
# Binaries named relative to where the script was called from.
args=()
for a in "$1" "$2"; do
  if [ -f "$a" ]; then args+=("$(realpath "$a")"); else args+=("$a"); fi
done
cd "$(dirname "$0")/.."
source bench/measure-lib.sh
seeds=${SEEDS:-$(seq -s ' ' 1 16)}
steps=${STEPS:-300}
futures=${FUTURES:-300}
scenarios=${SCENARIOS:-kart rocket circle}

before=$(binary "${args[0]}")
after=$(binary "${args[1]}")
echo "before: $before" >&2
echo "after:  $after" >&2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One run: BINARY SCENARIO SEED OUT. A failed run stops the others (status 255 ends xargs).
run() {
  "$1" --scenario "$2" --seed "$3" --steps "$steps" --futures "$futures" --threads 1 --json \
    >"$4" 2>"$4.err" || { echo "$2, seed $3, $1: $(cat "$4.err")" >&2; exit 255; }
}
export -f run
export steps futures

# With fixed futures and a seed, what a run does depends neither on the load of the machine nor
# on which run shares it: only the time taken does.
jobs=()
for scenario in $scenarios; do
  for seed in $seeds; do
    jobs+=("$before" "$scenario" "$seed" "$work/$scenario-before-$seed.json")
    jobs+=("$after" "$scenario" "$seed" "$work/$scenario-after-$seed.json")
  done
done
started=$(date +%s)
printf '%s\0' "${jobs[@]}" | xargs -0 -n4 -P2 bash -c 'run "$@"' run ||
  { echo "compare-stats: a run failed" >&2; exit 2; }
echo "$((${#jobs[@]} / 4)) runs in $(($(date +%s) - started)) s" >&2

# One line a run: scenario, build, seed, players, players alive, their mean distance.
for scenario in $scenarios; do
  for seed in $seeds; do
    for which in before after; do
      json=$work/$scenario-$which-$seed.json
      read -r players alive distance < <(awk '{
        players = gsub(/"alive":(true|false)/, "&"); alive = gsub(/"alive":true/, "&")
        while (match($0, /"distance":[^,}]*/)) {
          v = substr($0, RSTART + 11, RLENGTH - 11)
          if (v == "null") bad = 1
          sum += v; n++
          $0 = substr($0, RSTART + RLENGTH)
        }
        printf "%d %d %s\n", players, alive, (bad || n == 0) ? "nan" : sprintf("%.17g", sum / n)
      }' "$json") || true
      [ "${distance:-nan}" != nan ] ||
        { echo "$scenario, seed $seed, $which: no players, or a distance that is not a number" >&2; exit 2; }
      echo "$scenario $which $seed $players $alive $distance"
    done
  done
done >"$work/values"

awk '
# t(0.975, df): a table up to 30, the Cornish-Fisher expansion beyond (within 0.001).
function t975(df,   z) {
  if (df <= 30)
    return T[df]
  z = 1.959964
  return z + (z^3 + z) / (4 * df) + (5 * z^5 + 16 * z^3 + 3 * z) / (96 * df^2)
}
function add(key, v) { n[key]++; s[key] += v; ss[key] += v * v }
function mean(key) { return s[key] / n[key] }
function half(key,   m, var) {
  if (n[key] < 2)
    return 0
  m = mean(key)
  var = (ss[key] - n[key] * m * m) / (n[key] - 1)
  return t975(n[key] - 1) * sqrt(var > 0 ? var : 0) / sqrt(n[key])
}
function row(scenario, measure, label, format,   a, b, ma, mb, ha, hb, d, same, verdict) {
  a = scenario SUBSEP measure SUBSEP "before"
  b = scenario SUBSEP measure SUBSEP "after"
  ma = mean(a); mb = mean(b); ha = half(a); hb = half(b)
  d = ma > mb ? ma - mb : mb - ma
  # Each mean within the interval of the other; the slack is for the rounding of sums in another order.
  same = d <= ha + 1e-9 && d <= hb + 1e-9
  verdict = same ? "agree" : "DIFFER"
  if (!same)
    differ = 1
  # Every seed alike (all players alive, say) gives an interval of width 0, which holds no other
  # mean: a difference that may be one seed in sixteen.
  if (!same && (ha == 0 || hb == 0)) {
    verdict = verdict " *"
    degenerate = 1
  }
  printf "%-8s %-20s %22s %22s  %s\n", scenario, label, \
    sprintf(format " ± " format, ma, ha), sprintf(format " ± " format, mb, hb), verdict
}
BEGIN {
  split("12.706 4.303 3.182 2.776 2.571 2.447 2.365 2.306 2.262 2.228 2.201 2.179 2.160 2.145 " \
        "2.131 2.120 2.110 2.101 2.093 2.086 2.080 2.074 2.069 2.064 2.060 2.056 2.052 2.048 " \
        "2.045 2.042", T, " ")
}
{
  if (!($1 in players))
    order[++scenarios] = $1
  players[$1] = $4
  add($1 SUBSEP "alive" SUBSEP $2, $5)
  add($1 SUBSEP "distance" SUBSEP $2, $6)
}
END {
  printf "%-8s %-20s %22s %22s  %s\n", "scenario", "measure", "before (95 %)", "after (95 %)", ""
  for (i = 1; i <= scenarios; i++) {
    sc = order[i]
    if (players[sc] == 1) {
      row(sc, "alive", "alive (share)", "%.3f")
      row(sc, "distance", "distance (px)", "%.1f")
    } else {
      row(sc, "alive", "alive (of " players[sc] ")", "%.2f")
      row(sc, "distance", "mean distance (px)", "%.1f")
    }
  }
  printf "%d seeds, %d steps, %d fixed futures\n", n[order[1] SUBSEP "alive" SUBSEP "before"], STEPS, FUTURES
  if (degenerate)
    print "* every seed of one build gave the same value: an interval of width 0, which no other\n" \
      "  mean lies within; compare the values themselves"
  exit differ ? 1 : 0
}' STEPS="$steps" FUTURES="$futures" "$work/values"
