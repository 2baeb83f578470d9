#!/usr/bin/env bash
# Runs scripts/tavi-array.sbatch on a real one-node Slurm cluster started on
# this machine for the purpose, and checks that the three tasks of an array
# that counts from 0 (--array=0-2), and those of one that steps
# (--array=1-5:2), together write exactly the bytes one `tavi process` run
# writes, that one task run again alone does too, and that the tasks of an
# array given as a list no range describes (--array=1,3,7) stop and say so.
#
# Installs Slurm and munge from Debian's packages where missing. Every
# daemon listens on 127.0.0.1 only and keeps its config, state, logs, pid
# files and sockets in a mktemp folder; all are stopped by process id on
# exit, failure or interrupt. Where the daemons cannot run here, says why
# in one line and counts as skipped.
#
#   BUILD_DIR=build scripts/test-farm.sh
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${BUILD_DIR:-build}
[[ $build == /* ]] || build=$root/$build
tavi=$build/tavi
sbatch_script=$root/scripts/tavi-array.sbatch
started=$SECONDS

passed=0 failed=0
pass() { echo "ok: $*"; passed=$((passed + 1)); }
fail() { echo "FAILED: $*"; failed=$((failed + 1)); }
finish() {
  echo "farm: $((SECONDS - started)) s"
  echo "$passed passed, $failed failed"
  [[ $failed -eq 0 ]]
  exit
}
skip() {
  echo "skipped: $*"
  echo "0 passed, 0 failed, 1 skipped"
  exit 0
}

if [[ ! -x $tavi ]]; then
  fail "$tavi is not built"
  finish
fi
[[ $(id -u) -eq 0 ]] || skip "a one-node Slurm here needs root (slurmd runs as root), and this is $(id -un)"

# --- Slurm and munge, from the distribution's packages ---------------------
packages=(slurmctld slurmd slurm-client munge)
. scripts/missing-packages.sh  # run from the top of the tree
mapfile -t missing < <(missing_packages "${packages[@]}")
if ((${#missing[@]})); then
  echo "farm: installing ${missing[*]}"
  # The packages' own services must not start: this test runs its own.
  made_policy=""
  if [[ ! -e /usr/sbin/policy-rc.d ]]; then
    printf '#!/bin/sh\nexit 101\n' >/usr/sbin/policy-rc.d && chmod 755 /usr/sbin/policy-rc.d && made_policy=1
  fi
  # Package lists are fetched only when they do not know Slurm yet.
  apt_log=$(mktemp)
  apt-cache show slurmd >/dev/null 2>&1 || timeout 90 apt-get update -qq >"$apt_log" 2>&1
  DEBIAN_FRONTEND=noninteractive timeout 240 apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=60 "${missing[@]}" >>"$apt_log" 2>&1
  installed=$?
  [[ -n $made_policy ]] && rm -f /usr/sbin/policy-rc.d
  why=$(grep . "$apt_log" | tail -n 1)
  rm -f "$apt_log"
  [[ $installed -eq 0 ]] || skip "cannot install ${missing[*]} with apt-get (${why:-status $installed})"
fi
for c in munged slurmctld slurmd sbatch sinfo squeue scontrol scancel; do
  command -v "$c" >/dev/null || skip "the Slurm packages are installed but have no $c"
done

# --- The cluster's folder, ports and config ---------------------------------
work=$(mktemp -d /tmp/tavi-farm.XXXXXX)
# munged wants every folder above its socket searchable by all.
chmod 711 "$work"
mkdir -p "$work/state" "$work/spool" "$work/log" "$work/frames"
mkdir -m 755 "$work/munge"
export SLURM_CONF=$work/slurm.conf

pids=()
stop_all() {
  local status=$?
  trap - EXIT INT TERM
  # Jobs first, so that no step outlives the daemons. The cluster is this
  # test's own: every job in it is one of ours.
  if [[ -n ${sbatch_pid:-} ]]; then
    kill "$sbatch_pid" 2>/dev/null
    wait "$sbatch_pid" 2>/dev/null
  fi
  if ((${#pids[@]} >= 2)); then
    timeout 10 scancel --partition=farm >/dev/null 2>&1
    for _ in $(seq 20); do
      [[ -z $(timeout 5 squeue -h -o %i 2>/dev/null) ]] && break
      sleep 0.5
    done
  fi
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null
  done
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    for _ in $(seq 50); do
      kill -0 "${pids[i]}" 2>/dev/null || break
      sleep 0.2
    done
    kill -KILL "${pids[i]}" 2>/dev/null
    wait "${pids[i]}" 2>/dev/null
  done
  rm -rf "$work"
  exit "$status"
}
trap stop_all EXIT
trap 'exit 130' INT TERM

# A free port on the loopback address: nothing answers there.
used_ports=" "
free_port() {
  local port
  for _ in $(seq 100); do
    port=$((20000 + RANDOM % 40000))
    [[ $used_ports == *" $port "* ]] && continue
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      used_ports+="$port "
      echo "$port"
      return
    fi
  done
  return 1
}
ctld_port=$(free_port) && slurmd_port=$(free_port) || skip "no free port on 127.0.0.1"

# The node as slurmd sees this machine, reached on the loopback address.
node_line=$(env -u SLURM_CONF slurmd -C 2>/dev/null | head -n 1)
[[ $node_line == NodeName=* ]] || skip "slurmd -C cannot describe this machine"
node=${node_line%% *}
node=${node#NodeName=}

cat >"$SLURM_CONF" <<EOF
ClusterName=tavifarm
SlurmctldHost=$node(127.0.0.1)
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
CommunicationParameters=NoCtldInAddrAny,NoInAddrAny
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$work/munge/munge.socket
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/log/slurmctld.log
SlurmdLogFile=$work/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
MpiDefault=none
MailProg=/bin/true
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
$node_line NodeAddr=127.0.0.1 State=UNKNOWN
PartitionName=farm Nodes=$node Default=YES MaxTime=10 State=UP
EOF

# The reason a daemon gave, from its log: its last two errors, as one line.
last_error() {
  grep -h -i -E 'error|fatal' "$@" 2>/dev/null | grep -v -i -E 'pmix|MPI:|MailProg|state file|Trying backup' |
    sed -E 's/^\[[^]]*\] //; s/^[a-z]+: //' | awk '!seen[$0]++' | tail -n 2 | paste -s -d ';' | sed 's/;/; /g' |
    cut -c1-240
}

# --- munged, slurmctld and slurmd, each in the foreground of its own pid ----
if command -v mungekey >/dev/null; then
  mungekey --create --keyfile="$work/munge.key" >/dev/null 2>&1
else
  dd if=/dev/urandom of="$work/munge.key" bs=1024 count=1 status=none
fi
chmod 400 "$work/munge.key"
munged --foreground --key-file="$work/munge.key" --socket="$work/munge/munge.socket" \
  --pid-file="$work/munged.pid" --log-file="$work/log/munged.log" --seed-file="$work/munged.seed" \
  >"$work/log/munged.out" 2>&1 &
pids+=($!)
for _ in $(seq 50); do
  [[ -S $work/munge/munge.socket ]] && break
  kill -0 "${pids[0]}" 2>/dev/null || break
  sleep 0.2
done
[[ -S $work/munge/munge.socket ]] ||
  skip "munged cannot start here: $(tail -n 1 "$work/log/munged.out" "$work/log/munged.log" 2>/dev/null | grep -v '^==>' | grep . | tail -n 1)"

slurmctld -D -f "$SLURM_CONF" >"$work/log/slurmctld.out" 2>&1 &
pids+=($!)
up=""
for _ in $(seq 50); do
  timeout 5 scontrol ping 2>/dev/null | grep -q 'is UP' && up=1 && break
  kill -0 "${pids[1]}" 2>/dev/null || break
  sleep 0.2
done
[[ -n $up ]] || skip "slurmctld cannot start here: $(last_error "$work/log/slurmctld.log" "$work/log/slurmctld.out")"

slurmd -D -f "$SLURM_CONF" -N "$node" >"$work/log/slurmd.out" 2>&1 &
pids+=($!)
state=""
for _ in $(seq 100); do
  state=$(timeout 5 sinfo -h -n "$node" -o %T 2>/dev/null)
  [[ $state == idle ]] && break
  kill -0 "${pids[2]}" 2>/dev/null || break
  sleep 0.3
done
[[ $state == idle ]] ||
  skip "slurmd cannot start here (node ${state:-unknown}): $(last_error "$work/log/slurmd.log" "$work/log/slurmd.out")"
echo "farm: one-node Slurm up on 127.0.0.1 ports $ctld_port and $slurmd_port, node $node"

if command -v ss >/dev/null; then
  listening=$(ss -Hltn "( sport = :$ctld_port or sport = :$slurmd_port )" | awk '{print $4}' | sort -u | tr '\n' ' ')
  if [[ -n $listening && -z $(tr ' ' '\n' <<<"$listening" | grep . | grep -v '^127\.0\.0\.1:') ]]; then
    pass "slurmctld and slurmd listen on 127.0.0.1 only (${listening% })"
  else
    fail "the daemons listen on: ${listening:-nothing}"
  fi
fi

# --- Seven frames numbered 8 to 14: the glob lists 10-14 before 8 and 9 ------
for n in 8 9 10 11 12 13 14; do
  "$tavi" demo -o "$work/demo" --width $((40 + 3 * n)) --height $((24 + 2 * n)) >/dev/null &&
    mv "$work/demo/input.png" "$work/frames/shot.$n.png" || fail "tavi demo made no frame $n"
done
rm -rf "$work/demo"
cd "$work"
frames=(frames/shot.*.png)

"$tavi" process "${frames[@]}" -o reference/ --jobs 1 --quiet || fail "tavi process over all frames"

# --- The array job: three tasks, one output folder, a log each ---------------
# sbatch waits in the background, so that an interrupt is seen at once.
submit() {
  timeout 90 env TAVI="$tavi" sbatch --parsable --wait "$@" "$sbatch_script" "${frames[@]}" -o farm/ \
    >sbatch.out 2>&1 &
  sbatch_pid=$!
  wait "$sbatch_pid"
  local status=$?
  sbatch_pid=""
  job=$(head -n 1 sbatch.out)
  job=${job%%;*}
  return $status
}
same_as_reference() {
  local bad=0 f
  for f in reference/*.png; do
    cmp -s "$f" "farm/${f#reference/}" || { echo "  farm/${f#reference/} differs from one run's or is missing"; bad=1; }
  done
  [[ -z $(find farm -name '.*' -type f) ]] || { echo "  temporary files left in farm/"; bad=1; }
  return $bad
}

# Each task's log names its slice; `ids` are the array's task ids in order.
expected=("chunk 1/3: frames 8-10;" "chunk 2/3: frames 11-12;" "chunk 3/3: frames 13-14;")
logs_name_slices() {
  local ok=1 i=0 id log
  for id in "$@"; do
    log="tavi-${job}_$id.log"
    if ! grep -q -F "${expected[i]}" "$log" 2>/dev/null; then
      echo "  $log lacks \"${expected[i]}\":"
      sed 's/^/    /' "$log" 2>/dev/null
      ok=""
    fi
    i=$((i + 1))
  done
  [[ -n $ok ]]
}

# --- Array jobs: three tasks, one output folder, a log each ------------------
for array in 0-2 1-5:2; do
  case $array in
  0-2) ids=(0 1 2) ;;
  1-5:2) ids=(1 3 5) ;;
  esac
  rm -rf farm
  echo "farm: sbatch --array=$array --wait scripts/tavi-array.sbatch frames/shot.*.png -o farm/"
  submit --array=$array
  status=$?
  if [[ $status -eq 0 ]]; then
    pass "array job $job (--array=$array): three tasks finished"
  else
    fail "array job $job (--array=$array): status $status"
    sed "s/^/  /" sbatch.out
  fi
  if same_as_reference; then
    pass "--array=$array: all 7 frames equal one run's bytes"
  else
    fail "--array=$array: farm output"
  fi
  if logs_name_slices "${ids[@]}"; then
    pass "--array=$array: a log per task, each naming its slice"
  else
    fail "--array=$array: task logs"
  fi
done

# --- A failed task run again alone --------------------------------------------
# Task 3 of --array=1-5:2 held the second slice; alone, it is told the array.
rm -f farm/shot.11.png farm/shot.12.png
echo "farm: TAVI_ARRAY=1-5:2 sbatch --array=3 --wait scripts/tavi-array.sbatch ..."
export TAVI_ARRAY=1-5:2
submit --array=3
status=$?
unset TAVI_ARRAY
rerun=$job
if [[ $status -eq 0 ]] && grep -q -F "chunk 2/3: frames 11-12;" "tavi-${rerun}_3.log" 2>/dev/null &&
  same_as_reference; then
  pass "task 3 of --array=1-5:2 run again alone restores its frames"
else
  fail "rerun of task 3 (status $status)"
  cat "tavi-${rerun}_3.log" 2>/dev/null
fi

# --- A list of task ids that no range describes ------------------------------
# Each task's place among 1,3,7 cannot be told from Slurm's variables: every
# task must stop and say so, rather than take a slice another task takes.
rm -rf farm
echo "farm: sbatch --array=1,3,7 --wait scripts/tavi-array.sbatch ..."
submit --array=1,3,7
status=$?
refused=1
for id in 1 3 7; do
  if ! grep -q "tavi-array.sbatch: .*--array" "tavi-${job}_$id.log" 2>/dev/null; then
    echo "  tavi-${job}_$id.log does not refuse the list:"
    sed 's/^/    /' "tavi-${job}_$id.log" 2>/dev/null
    refused=""
  fi
done
if [[ $status -ne 0 && -n $refused && ! -e farm ]]; then
  pass "--array=1,3,7: every task stops and says why, and writes nothing"
else
  fail "--array=1,3,7 (status $status)"
fi
echo "farm: task 3 said: $(sed -n 1p "tavi-${job}_3.log" 2>/dev/null)"

if [[ $failed -ne 0 ]]; then
  echo "farm: the daemons' last words:"
  tail -n 5 log/slurmctld.log log/slurmd.log 2>/dev/null
fi
finish
