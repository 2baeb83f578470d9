#!/usr/bin/env bash
# The farm's array job script, src/farm/tavi-array.sbatch, run by a real
# one-node Slurm (tests/farm/slurm_sandbox.sh): the three tasks of an
# array that counts from 0 (--array=0-2), and those of one that steps
# (--array=1-5:2), together write exactly the bytes one `tavi process` run
# writes; one task run again alone does too; and the tasks of an array
# given as a list no range describes (--array=1,3,7) stop and say so.
# Where the daemons cannot run here, says why in one line and counts as
# skipped.
#
#   array_job_test.sh TAVI
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
tavi=$(realpath "$1")
sbatch_script=$root/src/farm/tavi-array.sbatch
started=$SECONDS
. tests/support/result_lines.sh
. tests/farm/slurm_sandbox.sh

[[ -x $tavi ]] || die "$tavi is not built"
sbatch_pid=""
stop_all() {
  local status=$?
  trap - EXIT INT TERM
  if [[ -n $sbatch_pid ]]; then
    kill "$sbatch_pid" 2>/dev/null
    wait "$sbatch_pid" 2>/dev/null
  fi
  sandbox_stop
  exit "$status"
}
trap stop_all EXIT
trap 'exit 130' INT TERM

if ! sandbox_start; then
  skip "the array job on a one-node Slurm: $sandbox_problem"
  finish
  exit 0
fi
work=$sandbox_work
mkdir -p "$work/frames"
echo "farm: one-node Slurm up on 127.0.0.1 ports ${sandbox_ports% *} and ${sandbox_ports#* }, node $sandbox_node"

if command -v ss >/dev/null; then
  listening=$(ss -Hltn "( sport = :${sandbox_ports% *} or sport = :${sandbox_ports#* } )" | awk '{print $4}' | sort -u | tr '\n' ' ')
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
  echo "farm: sbatch --array=$array --wait tavi-array.sbatch frames/shot.*.png -o farm/"
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
  # docs/farm.md's way to find the failed tasks: none here.
  failed_logs=$(grep -L 'finished with status 0' "tavi-${job}"_*.log)
  if [[ -z $failed_logs ]]; then
    pass "--array=$array: grep -L 'finished with status 0' finds no failed task"
  else
    fail "--array=$array: grep -L finds $failed_logs"
  fi
done

# --- A failed task run again alone --------------------------------------------
# Task 3 of --array=1-5:2 held the second slice; alone, it is told the array.
rm -f farm/shot.11.png farm/shot.12.png
echo "farm: TAVI_ARRAY=1-5:2 sbatch --array=3 --wait tavi-array.sbatch ..."
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
echo "farm: sbatch --array=1,3,7 --wait tavi-array.sbatch ..."
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
if [[ $(grep -L 'finished with status 0' "tavi-${job}"_*.log | wc -l) -eq 3 ]]; then
  pass "--array=1,3,7: grep -L 'finished with status 0' finds the three failed tasks"
else
  fail "--array=1,3,7: grep -L does not find the three failed tasks"
fi
echo "farm: task 3 said: $(sed -n 1p "tavi-${job}_3.log" 2>/dev/null)"

if ((result_lines_failed)); then
  echo "farm: the daemons' last words:"
  tail -n 5 "$sandbox_work/log/slurmctld.log" "$sandbox_work/log/slurmd.log" 2>/dev/null
fi
echo "farm: $((SECONDS - started)) s"
finish
