#!/usr/bin/env bash
# The Slurm example files run as written: a one-node Slurm from Debian's packages (munged under
# its own user, slurmctld and slurmd in the foreground, everything in a temporary folder, on ports
# of its own) runs examples/slurm/ai-levels.sbatch as a four-task array and merge.sbatch after it,
# on a small experiment; the merged runs.csv and summary.csv equal those of one run on this
# machine, the step times aside. A task that fails cancels the merge; run again as the README
# says, it and the merge give the same. Where Slurm cannot start (not root, packages missing, a
# daemon that will not come up) the test is skipped with the reason.
# Usage: slurm-test.sh SOURCE_DIR EXPERIMENT_PROGRAM
set -uo pipefail
source_dir=$1
program=$2
skip_code=77
fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIP: $*" >&2; exit $skip_code; }

# The README shows the job files as they are, wherever Slurm can run or not.
readme_block() { # the bash block that follows the line naming FILE
  awk -v name="\`$1\`:" '$0 == name { found = 1; next }
    found && /^```bash$/ { inside = 1; next }
    inside && /^```$/ { exit }
    inside { print }' "$source_dir/README.md"
}
for file in examples/slurm/ai-levels.sbatch examples/slurm/merge.sbatch; do
  diff <(readme_block "$file") "$source_dir/$file" >&2 || fail "the README does not show $file as it is"
done

[ "$(id -u)" -eq 0 ] || skip "the Slurm daemons need root"
for command in munged slurmctld slurmd sbatch squeue sinfo scontrol setpriv; do
  command -v "$command" >/dev/null ||
    skip "$command not found (packages munge, slurmctld, slurmd, slurm-client: ./install-deps.sh --tests)"
done
id munge >/dev/null 2>&1 || skip "no user munge (package munge)"

tmp=$(mktemp -d)
chmod 755 "$tmp"
# Every program started from here on, and every one the jobs start, carries this in its
# environment: that is how the clean-up finds them all, and only them (the two that look for them
# are started without it).
export SLURM_CONF=$tmp/slurm.conf
ours() {
  env -u SLURM_CONF grep -lzx "SLURM_CONF=$SLURM_CONF" /proc/[0-9]*/environ 2>/dev/null |
    env -u SLURM_CONF cut -d/ -f3
}
cleanup() {
  local status=$? pids
  trap - EXIT INT TERM HUP
  [ -f "$SLURM_CONF" ] && timeout 10 scancel --full --quiet --user=root 2>/dev/null
  # The daemons and whatever is left of the jobs, by their ids.
  mapfile -t pids < <(ours)
  [ ${#pids[@]} -gt 0 ] && kill "${pids[@]}" 2>/dev/null
  for _ in $(seq 50); do
    mapfile -t pids < <(ours)
    [ ${#pids[@]} -eq 0 ] && break
    sleep 0.1
  done
  [ ${#pids[@]} -gt 0 ] && kill -KILL "${pids[@]}" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$tmp"
  exit $status
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
# Polls CONDITION (a command) every 0.2 s until it holds, for SECONDS at most.
wait_for() { # seconds, condition...
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.2
  done
}
logs() { tail -n 20 "$tmp"/*.log 2>/dev/null; }

# Munge, the authentication of every message between the daemons and the commands: its own key
# and files in a folder only its user reads, its socket in one that everyone may enter.
mkdir "$tmp/munge" "$tmp/socket"
head -c 1024 /dev/urandom >"$tmp/munge/key"
chmod 400 "$tmp/munge/key"
chown -R munge:munge "$tmp/munge" "$tmp/socket"
chmod 700 "$tmp/munge"
chmod 755 "$tmp/socket"
setpriv --reuid=munge --regid=munge --init-groups munged --foreground \
  --socket="$tmp/socket/munge" --key-file="$tmp/munge/key" --pid-file="$tmp/munge/pid" \
  --log-file="$tmp/munge/log" --seed-file="$tmp/munge/seed" >"$tmp/munged.log" 2>&1 &
wait_for 10 test -S "$tmp/socket/munge" || { logs; skip "munged did not start"; }

# Two free ports, away from Slurm's usual 6817 and 6818 so that a Slurm of the machine is left alone.
free_port() {
  local port
  for _ in $(seq 100); do
    port=$((20000 + RANDOM % 20000))
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return; }
  done
  return 1
}
if ! ctld_port=$(free_port) || ! slurmd_port=$(free_port); then
  skip "no free port"
fi
[ "$ctld_port" != "$slurmd_port" ] || slurmd_port=$((ctld_port + 1))

host=$(hostname -s)
mkdir -p "$tmp/state" "$tmp/spool"
# One node of 8 CPUs whatever the machine has (config_overrides), so that the four tasks of 4 CPUs
# the example asks for run two at a time here too.
cat >"$SLURM_CONF" <<CONF
ClusterName=kartsim-test
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$tmp/socket/munge
StateSaveLocation=$tmp/state
SlurmdSpoolDir=$tmp/spool
SlurmctldPidFile=$tmp/slurmctld.pid
SlurmdPidFile=$tmp/slurmd.pid
SlurmctldLogFile=$tmp/slurmctld.log
SlurmdLogFile=$tmp/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
SchedulerType=sched/builtin
MpiDefault=none
MailProg=/bin/true
ReturnToService=2
SlurmdParameters=config_overrides
NodeName=kartsim NodeHostname=$host NodeAddr=127.0.0.1 CPUs=8 State=UNKNOWN
PartitionName=test Nodes=kartsim Default=YES MaxTime=INFINITE State=UP
CONF
slurmctld -D -i -f "$SLURM_CONF" >"$tmp/slurmctld.out" 2>&1 &
slurmd -D -N kartsim -f "$SLURM_CONF" >"$tmp/slurmd.out" 2>&1 &
node_idle() { [ "$(sinfo -h -n kartsim -o %T 2>/dev/null)" = idle ]; }
wait_for 60 node_idle || { logs; tail -n 20 "$tmp"/*.out; skip "Slurm's node did not come up"; }

# The experiment: a few short runs at fixed futures, so that every shard repeats exactly.
mkdir "$tmp/work"
cd "$tmp/work" || fail "no work folder"
cat >small.experiment.json <<'JSON'
{
  "format": "kartsim-experiment",
  "version": 1,
  "description": "Two AI levels of a lone kart, a few steps each.",
  "scene": "kart",
  "steps": 8,
  "futures": 40,
  "repetitions": 3,
  "seed": 5,
  "variables": [
    {"setting": "ai_level", "values": [3, 7]}
  ]
}
JSON
# The jobs find kartsim-experiment on the PATH, as an installed one would be.
PATH=$(dirname "$program"):$PATH
export PATH
timeout 120 "$program" small.experiment.json --jobs 2 --out single >single.out 2>&1 ||
  { cat single.out; fail "the run on one machine"; }
no_jobs() { [ -z "$(squeue -h -o %i 2>/dev/null)" ]; }
state() { scontrol -o show job "$1" | grep -o 'JobState=[A-Z_]*' | cut -d= -f2; }
# The step times are the machine's: every other value is the same.
without_step_times() { # runs.csv: the columns whose name begins with step_ms go
  awk -F, 'NR == 1 { for (i = 1; i <= NF; i++) keep[i] = $i !~ /^step_ms/ }
    { line = ""; for (i = 1; i <= NF; i++) if (keep[i]) line = line "," $i; print line }' "$1"
}
same_as_single() { # folder
  diff <(without_step_times single/runs.csv) <(without_step_times "$1/runs.csv") ||
    fail "$1: runs.csv differs from one machine's"
  diff <(grep -v ',step_ms' single/summary.csv) <(grep -v ',step_ms' "$1/summary.csv") ||
    fail "$1: summary.csv differs from one machine's"
}
submit() { # out: the array, then the merge once it has ended well, as the README has them
  array=$(sbatch --parsable --array=0-3 "$source_dir/examples/slurm/ai-levels.sbatch" \
    small.experiment.json "$1") || fail "sbatch of the array"
  merge=$(sbatch --parsable --dependency="afterok:$array" \
    "$source_dir/examples/slurm/merge.sbatch" "$1") || fail "sbatch of the merge"
  wait_for 240 no_jobs || { squeue; logs; fail "the jobs did not end"; }
}

submit small
[ "$(state "$merge")" = COMPLETED ] || { tail -n 20 slurm-*.out; logs; fail "merge: $(state "$merge")"; }
same_as_single small
[ "$(($(wc -l <small/runs.csv) - 1))" -eq 6 ] || fail "small/runs.csv: not 6 runs"

# A task that fails (its folder cannot be made) cancels the merge rather than leave it waiting;
# that task run again, then the merge, give the same.
touch again-shard2
submit again
[ "$(state "${array}_2")" = FAILED ] || fail "task 2: $(state "${array}_2"), not FAILED"
[ "$(state "$merge")" = CANCELLED ] || fail "merge after a failed task: $(state "$merge")"
rm again-shard2
rerun=$(sbatch --parsable --array=2 "$source_dir/examples/slurm/ai-levels.sbatch" \
  small.experiment.json again) || fail "sbatch of task 2 again"
merge=$(sbatch --parsable --dependency="afterok:$rerun" "$source_dir/examples/slurm/merge.sbatch" \
  again) || fail "sbatch of the merge again"
wait_for 240 no_jobs || { squeue; logs; fail "the jobs did not end"; }
[ "$(state "$merge")" = COMPLETED ] || { tail -n 20 slurm-*.out; fail "merge: $(state "$merge")"; }
same_as_single again
echo "Slurm $(sinfo -V | cut -d' ' -f2): the four tasks and the merge gave one machine's runs.csv and summary.csv, and so did a failed task run again"
