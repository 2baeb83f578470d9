#!/usr/bin/env bash
# Makes docs/panel-window.png, the README's picture of the panel window:
# `tavi panel` on the demo's input, in its window under SDL's offscreen
# video driver, played by docs/panel-window.events; the route the window's
# tests take.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build_dir="${BUILD_DIR:-build}"
BUILD_DIR="$build_dir" scripts/build.sh
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build_dir/tavi" demo -o "$work" >/dev/null
(cd "$work" && SDL_VIDEODRIVER=offscreen "$root/$build_dir/tavi" panel input.png --events "$root/docs/panel-window.events")
cp "$work/panel-window.png" docs/panel-window.png
echo "Wrote docs/panel-window.png"
