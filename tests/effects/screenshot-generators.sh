#!/usr/bin/env bash
# Pictures of the generator dialogs (Simple Tone, FM Tone, Silence, Noise) and Sample Type as the
# program's menu opens them (effects_tests, GeneratorTest) under a virtual X display, as PNGs.
#   tests/effects/screenshot-generators.sh [OUTDIR]
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${KV_BUILD_DIR:-$root/build}
out=$(realpath -m "${1:-$build/generator-shots}")
mkdir -p "$out"
rm -f "$out"/*.bmp "$out"/*.png
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  # A Wine virtual desktop draws the window frames that no window manager draws here.
  KV_WINE_DISPLAY=x11 KV_SHOT_DIR="Z:$1" "$0/wine-run" explorer /desktop=KvShot,1280x800 \
    "$0/bin/effects_tests.exe" --gtest_filter="GeneratorTest.*" >"$1/run.txt" 2>&1 || true
  WINEPREFIX="$0/wine/x11" wineserver -k || true
' "$build" "$out"
for f in "$out"/*.bmp; do [ -f "$f" ] && convert "$f" "${f%.bmp}.png" && rm -f "$f"; done
ls "$out"
