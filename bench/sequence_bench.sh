#!/usr/bin/env bash
# Times `tavi process` on a sequence of PNG frames of the sample render with
# one and with two jobs, and splits a frame's time three ways by running
# the sequence three times:
#   full        the default settings
#   no edges    --threshold 0: the frame goes through the filter (capture,
#               engine, write-back), but the engine finds no edge
#   filter off  --disable: the host reads and writes the files only
# Frames per second are those `tavi process` reports itself (from the first
# frame read to the last written); each figure is the median of REPEAT runs.
#
# Usage: bench/sequence_bench.sh
# Environment: TAVI (default build/tavi), MODULE (default: the tavi56.p
# beside TAVI), FRAMES (24), WIDTH x HEIGHT (1920 x 1080), REPEAT (3),
# WORK (scratch folder; default a new temporary one, removed afterwards).
set -euo pipefail
cd "$(dirname "$0")/.."

tavi=${TAVI:-build/tavi}
frames=${FRAMES:-24}
width=${WIDTH:-1920}
height=${HEIGHT:-1080}
repeat=${REPEAT:-3}
module_option=()
[ -n "${MODULE:-}" ] && module_option=(--module "$MODULE")

if [ -n "${WORK:-}" ]; then
  work=$WORK
  mkdir -p "$work"
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi

echo "== $frames frames of the sample at ${width}x${height} in $work"
"$tavi" "${module_option[@]}" demo --width "$width" --height "$height" -o "$work/demo" >/dev/null
rm -rf "$work/frames"
mkdir -p "$work/frames"
for ((i = 1; i <= frames; i++)); do
  cp "$work/demo/input.png" "$(printf '%s/frames/shot.%04d.png' "$work" "$i")"
done

# Frames per second of one run, as tavi reports it.
run() {
  local jobs=$1
  shift
  rm -rf "$work/out"
  mkdir -p "$work/out"
  "$tavi" "${module_option[@]}" process "$work"/frames/shot.*.png -o "$work/out/shot.####.png" \
    --jobs "$jobs" "$@" 2>/dev/null | sed -n 's/.*(\([0-9.]*\) frames\/s).*/\1/p'
}

# The median frames per second of REPEAT runs.
median_run() {
  local results=()
  for ((r = 0; r < repeat; r++)); do results+=("$(run "$@")"); done
  printf '%s\n' "${results[@]}" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

declare -A fps
for jobs in 1 2; do
  fps[full,$jobs]=$(median_run "$jobs")
  fps[noedges,$jobs]=$(median_run "$jobs" --threshold 0)
  fps[off,$jobs]=$(median_run "$jobs" --disable)
done

echo
printf '%-6s %12s %12s %12s\n' jobs "full" "no edges" "filter off"
for jobs in 1 2; do
  printf '%-6s %12s %12s %12s   frames/s\n' "$jobs" "${fps[full,$jobs]}" "${fps[noedges,$jobs]}" "${fps[off,$jobs]}"
done

echo
awk -v f1="${fps[full,1]}" -v f2="${fps[full,2]}" -v n1="${fps[noedges,1]}" -v o1="${fps[off,1]}" 'BEGIN {
  full = 1000 / f1; noedges = 1000 / n1; off = 1000 / o1
  printf "2 jobs / 1 job, full settings:        %.2f x (goal >= 1.7)\n", f2 / f1
  printf "one frame with 1 job, %.1f ms:\n", full
  printf "  reading and writing the PNG files   %6.1f ms  %3.0f %%\n", off, 100 * off / full
  printf "  the frame through the filter        %6.1f ms  %3.0f %%\n", noedges - off, 100 * (noedges - off) / full
  printf "  engine                              %6.1f ms  %3.0f %%\n", full - noedges, 100 * (full - noedges) / full
}'
