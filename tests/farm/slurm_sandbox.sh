# Sourced: a one-node Slurm cluster on this machine, for tests and for
# trying tavi-array.sbatch by hand. Every daemon listens on 127.0.0.1 only
# and keeps its config, state, logs, pid files and sockets in one mktemp
# folder; all are stopped by process id.
#
#   . tests/farm/slurm_sandbox.sh
#   sandbox_start || echo "no cluster: $sandbox_problem"
#   ...sbatch, squeue, scancel: SLURM_CONF names the sandbox's config...
#   sandbox_stop
#
# sandbox_start sets `sandbox_work` (the folder), `sandbox_node`,
# `sandbox_ports` and SLURM_CONF; where a daemon cannot run here it stops
# what it started and returns 1 with the reason in `sandbox_problem`.
# Needs root (slurmd runs as root) and Slurm and munge installed
# (scripts/setup-farm.sh).

sandbox_pids=()
sandbox_problem=""
sandbox_work=""

# A free port on the loopback address: nothing answers there.
_sandbox_used_ports=" "
_sandbox_free_port() {
  local port
  for _ in $(seq 100); do
    port=$((20000 + RANDOM % 40000))
    [[ $_sandbox_used_ports == *" $port "* ]] && continue
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      _sandbox_used_ports+="$port "
      echo "$port"
      return
    fi
  done
  return 1
}

# The reason a daemon gave, from its log: its last two errors, as one line.
_sandbox_last_error() {
  grep -h -i -E 'error|fatal' "$@" 2>/dev/null | grep -v -i -E 'pmix|MPI:|MailProg|state file|Trying backup' |
    sed -E 's/^\[[^]]*\] //; s/^[a-z]+: //' | awk '!seen[$0]++' | tail -n 2 | paste -s -d ';' | sed 's/;/; /g' |
    cut -c1-240
}

_sandbox_refuse() {
  sandbox_problem=$1
  sandbox_stop
  return 1
}

sandbox_start() {
  local c
  [[ $(id -u) -eq 0 ]] || { sandbox_problem="a one-node Slurm here needs root (slurmd runs as root), and this is $(id -un)"; return 1; }
  for c in munged slurmctld slurmd sbatch sinfo squeue scontrol scancel; do
    command -v "$c" >/dev/null || { sandbox_problem="Slurm and munge are installed but have no $c"; return 1; }
  done
  sandbox_work=$(mktemp -d /tmp/tavi-farm.XXXXXX)
  local work=$sandbox_work
  # munged wants every folder above its socket searchable by all.
  chmod 711 "$work"
  mkdir -p "$work/state" "$work/spool" "$work/log"
  mkdir -m 755 "$work/munge"
  export SLURM_CONF=$work/slurm.conf

  local ctld_port slurmd_port node_line node
  ctld_port=$(_sandbox_free_port) && slurmd_port=$(_sandbox_free_port) || { _sandbox_refuse "no free port on 127.0.0.1"; return 1; }
  sandbox_ports="$ctld_port $slurmd_port"
  # The node as slurmd sees this machine, reached on the loopback address.
  node_line=$(env -u SLURM_CONF slurmd -C 2>/dev/null | head -n 1)
  [[ $node_line == NodeName=* ]] || { _sandbox_refuse "slurmd -C cannot describe this machine"; return 1; }
  node=${node_line%% *}
  node=${node#NodeName=}
  sandbox_node=$node

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
  sandbox_pids+=($!)
  for _ in $(seq 50); do
    [[ -S $work/munge/munge.socket ]] && break
    kill -0 "${sandbox_pids[0]}" 2>/dev/null || break
    sleep 0.2
  done
  [[ -S $work/munge/munge.socket ]] ||
    { _sandbox_refuse "munged cannot start here: $(tail -n 1 "$work/log/munged.out" "$work/log/munged.log" 2>/dev/null | grep -v '^==>' | grep . | tail -n 1)"; return 1; }

  slurmctld -D -f "$SLURM_CONF" >"$work/log/slurmctld.out" 2>&1 &
  sandbox_pids+=($!)
  local up=""
  for _ in $(seq 50); do
    timeout 5 scontrol ping 2>/dev/null | grep -q 'is UP' && up=1 && break
    kill -0 "${sandbox_pids[1]}" 2>/dev/null || break
    sleep 0.2
  done
  [[ -n $up ]] || { _sandbox_refuse "slurmctld cannot start here: $(_sandbox_last_error "$work/log/slurmctld.log" "$work/log/slurmctld.out")"; return 1; }

  slurmd -D -f "$SLURM_CONF" -N "$node" >"$work/log/slurmd.out" 2>&1 &
  sandbox_pids+=($!)
  local state=""
  for _ in $(seq 100); do
    state=$(timeout 5 sinfo -h -n "$node" -o %T 2>/dev/null)
    [[ $state == idle ]] && break
    kill -0 "${sandbox_pids[2]}" 2>/dev/null || break
    sleep 0.3
  done
  [[ $state == idle ]] ||
    { _sandbox_refuse "slurmd cannot start here (node ${state:-unknown}): $(_sandbox_last_error "$work/log/slurmd.log" "$work/log/slurmd.out")"; return 1; }
  return 0
}

# Stops the sandbox's jobs, then its daemons, and removes its folder.
sandbox_stop() {
  local i
  # Jobs first, so that no step outlives the daemons. The cluster is the
  # sandbox's own: every job in it is one of ours.
  if ((${#sandbox_pids[@]} >= 2)); then
    timeout 10 scancel --partition=farm >/dev/null 2>&1
    for _ in $(seq 20); do
      [[ -z $(timeout 5 squeue -h -o %i 2>/dev/null) ]] && break
      sleep 0.5
    done
  fi
  for ((i = ${#sandbox_pids[@]} - 1; i >= 0; i--)); do
    kill "${sandbox_pids[i]}" 2>/dev/null
  done
  for ((i = ${#sandbox_pids[@]} - 1; i >= 0; i--)); do
    for _ in $(seq 50); do
      kill -0 "${sandbox_pids[i]}" 2>/dev/null || break
      sleep 0.2
    done
    kill -KILL "${sandbox_pids[i]}" 2>/dev/null
    wait "${sandbox_pids[i]}" 2>/dev/null
  done
  sandbox_pids=()
  [[ -z $sandbox_work ]] || rm -rf "$sandbox_work"
  sandbox_work=""
  return 0
}
