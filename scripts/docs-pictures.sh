#!/usr/bin/env bash
# Makes the pictures of the documentation from what the commands draw now:
#   demo-comparison.png  tavi demo's comparison at its default size
#   panel-script.png     the scripted session docs/panel-session.txt on the
#                        demo's input (tavi panel --script ... --screenshot)
#   panel-window.png     the panel's window on the demo's input, played by
#                        docs/panel-window.events under SDL's offscreen driver
# into FOLDER (default docs/), from the build in BUILD_DIR (default build).
# The test docs_pictures makes them into a scratch folder and holds the
# ones in docs/ to them. The Blender picture has a script of its own
# (scripts/blender-panel-shot.sh): Blender draws it, not tavi.
#
#   scripts/docs-pictures.sh [FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath "${BUILD_DIR:-build}")
folder=$(realpath "${1:-docs}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/tavi" demo -o "$work/demo" >/dev/null
cp "$work/demo/comparison.png" "$folder/demo-comparison.png"
(cd "$work/demo" && "$build/tavi" panel input.png --script "$root/docs/panel-session.txt" \
  --screenshot "$folder/panel-script.png" >/dev/null)
(cd "$work/demo" && SDL_VIDEODRIVER=offscreen "$build/tavi" panel input.png \
  --events "$root/docs/panel-window.events" >/dev/null)
cp "$work/demo/panel-window.png" "$folder/panel-window.png"
echo "Wrote demo-comparison.png, panel-script.png and panel-window.png to $folder"
