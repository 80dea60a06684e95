#!/usr/bin/env bash
# Pictures of a new user's run through the video panes (video_user_tests) under a virtual X
# display, playing to the build's private sound server: the video attached, playback with
# Frame Animation, the preview at 200% and the saved AVI opened again, as PNG files.
#   tests/video/screenshot-user.sh [OUTDIR]
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${KV_BUILD_DIR:-$root/build}
out=$(realpath -m "${1:-$build/video-user-shots}")
mkdir -p "$out"
rm -f "$out"/*.bmp
"$root/scripts/pulse-null.sh" start "$build/pulse"
trap '"$root/scripts/pulse-null.sh" stop "$build/pulse"' EXIT
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  # A Wine virtual desktop draws the window frames that no window manager draws here.
  KV_WINE_DISPLAY=x11 PULSE_SERVER="unix:$0/pulse/native" KV_SHOT_DIR="Z:$1" \
    "$0/wine-run" explorer /desktop=KvShot,1280x800 "$0/bin/video_user_tests.exe" >"$1/run.txt" 2>&1 || true
  WINEPREFIX="$0/wine/x11" wineserver -k || true
' "$build" "$out"
for f in "$out"/*.bmp; do [ -f "$f" ] && convert "$f" "${f%.bmp}.png" && rm -f "$f"; done
ls "$out"
