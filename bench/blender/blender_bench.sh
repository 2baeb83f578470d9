#!/usr/bin/env bash
# Blender's own anti-aliasing against Tavi's, with the Tavi add-on in the
# real Blender: one busy scene at 1920x1080 rendered with Workbench at each
# anti-aliasing choice (off, FXAA, 5, 8, 11, 16 and 32 samples) and with
# anti-aliasing off and the add-on enabled. Prints, from that one run, each
# render's time (and the add-on's filtering time), and its error against
# the 32-sample render as PSNR over all pixels and over the 32-sample
# render's edge pixels (bench/blender/image_error.cpp, the host's figures).
#
# Usage: bench/blender/blender_bench.sh
# Environment: BUILD_DIR (default build), BLENDER (default blender),
# WORK (scratch folder, kept; default a new temporary one, removed after).
set -euo pipefail
cd "$(dirname "$0")/../.."

build=${BUILD_DIR:-build}
blender=${BLENDER:-blender}
zip=$build/blender/tavi_blender.zip
for needed in "$zip" "$build/bench/image_error"; do
  [ -e "$needed" ] || { echo "blender_bench: no $needed; build first (scripts/build.sh)" >&2; exit 1; }
done
if [ -n "${WORK:-}" ]; then
  work=$WORK
  mkdir -p "$work"
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work/frames"

# The add-on goes into a scratch user folder, never the machine's own.
export BLENDER_USER_SCRIPTS=$work/user/scripts BLENDER_USER_CONFIG=$work/user/config TMPDIR=$work
"$blender" -b --factory-startup --python-exit-code 1 \
  --python-expr "import bpy, sys; bpy.ops.preferences.addon_install(filepath=sys.argv[-1])" -- "$(realpath "$zip")" \
  >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; exit 1; }
"$blender" -b --factory-startup --python-exit-code 1 --python bench/blender/blender_bench.py -- "$work/frames" \
  >"$work/render.log" 2>&1 || { tail -20 "$work/render.log" >&2; exit 1; }

cut -f1 "$work/frames/times.tsv" | sed "s|^|$work/frames/|; s|$|.png|" |
  xargs -d "\n" "$build/bench/image_error" "$work/frames/32 samples.png" >"$work/errors.tsv"

echo "Workbench, 1920x1080, $(sed -n 's/^Blender \([0-9.]*\).*/Blender \1/p' "$work/render.log" | head -1);" \
  "error against the 32-sample render (PSNR, higher is closer)"
printf '%-12s %10s %10s %12s %12s\n' "render" "render s" "filter s" "overall" "edges"
paste "$work/frames/times.tsv" "$work/errors.tsv" |
  while IFS=$'\t' read -r name seconds filter _ overall edges count; do
    [ "$filter" = "0.000" ] && filter="-"
    printf '%-12s %10s %10s %12s %12s\n' "$name" "$seconds" "$filter" "$overall" "$edges"
  done
echo "edge pixels: $(cut -f4 "$work/errors.tsv" | head -1) of $((1920 * 1080))"
