#!/usr/bin/env bash
# Makes docs/blender-panel.png, the README's picture of the Blender add-on:
# Blender's window under Xvfb with a still filtered by the add-on ("Tavi
# Render") and the Tavi panel in Properties > Render. The add-on is
# installed from the build into a scratch user folder, never the machine's
# own. Needs blender and xvfb (scripts/setup.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${BUILD_DIR:-build}"
[ "$build_dir" = build ] && scripts/build.sh
work="$(mktemp -d)"
xvfb_pid=""
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid"; rm -rf "$work"' EXIT

# Xvfb picks a free display and writes its number once it is ready.
Xvfb -displayfd 3 -screen 0 1440x1120x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "blender-panel-shot: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$work/display")"

export BLENDER_USER_SCRIPTS="$work/user/scripts" BLENDER_USER_CONFIG="$work/user/config" TMPDIR="$work"
blender -b --factory-startup --python-exit-code 1 \
  --python-expr "import bpy, sys; bpy.ops.preferences.addon_install(filepath=sys.argv[-1])" \
  -- "$(realpath "$build_dir/blender/tavi_blender.zip")" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log" >&2; exit 1; }
# Opening a file leaves out the splash screen.
blender -b --factory-startup --python-exit-code 1 --python-expr "import bpy; bpy.ops.wm.save_as_mainfile(filepath='$work/start.blend')" \
  >>"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; exit 1; }
timeout 300 blender --factory-startup --window-geometry 0 0 1440 1120 --python-exit-code 1 "$work/start.blend" \
  --python scripts/blender-panel-shot.py -- "$work/shot.png" >"$work/blender.log" 2>&1 ||
  { tail -20 "$work/blender.log" >&2; exit 1; }
[ -s "$work/shot.png" ] || { tail -20 "$work/blender.log" >&2; exit 1; }
cp "$work/shot.png" docs/blender-panel.png
echo "Wrote docs/blender-panel.png"
